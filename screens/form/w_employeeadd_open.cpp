// Opening (a new record or the employee of a number, with its photo), the close guard and
// the clean-up at close.
#include "screens/form/w_employeeadd.h"

namespace screens {

int w_employeeadd::open() {
    w_mysheet::open();
    const std::optional<std::string> ls_parm = app().message().stringparm;
    runtime::DataWindowControl& dw = dw_1();
    if (ls_parm == "new") {
        dw.insertrow(0);
        button("cb_del").set_enabled(false);
        return 0;
    }
    // Any other text, and a missing request, is an employee number.
    const db::Value eid = ls_parm ? db::Value(*ls_parm) : db::Value();
    dw.retrieve({eid});
    set_buttons({{"cb_add", true}, {"cb_save", false}, {"cb_modi", true}, {"cb_del", false}});
    if (dw.rowcount() > 0) stored_eid_ = dw.getitemstring(1, "eid");
    load_photo(eid);
    return 0;
}

bool w_employeeadd::load_photo(const db::Value& eid) {
    runtime::Transaction& sqlca = host().sqlca;
    std::optional<db::Bytes> photo;
    sqlca.set_autocommit(true);
    sqlca.selectblob(kPhotoSelect, {eid}, photo);  // no row, or a failure: no photo
    sqlca.set_autocommit(false);
    return photo && show_photo(*photo);  // none: the picture stays as it is
}

int w_employeeadd::ask_to_save() {
    return app().show_message(this, "messagebox", "提示", "部分数据被改动！是否存盘？",
                              runtime::Icon::question, runtime::Buttons::yes_no_cancel, 1);
}

int w_employeeadd::closequery() {
    w_mysheet::closequery();
    // As the data window holds them. A photo waiting for its record's first save is a
    // change too, or closing would lose it.
    runtime::DataWindowControl& dw = dw_1();
    ltotalmodified = dw.deletedcount();
    ltotalmodified = ltotalmodified + dw.modifiedcount() + (pending_photo_ ? 1 : 0);
    // Text typed and not yet accepted (Esc or the close box leave the field as it is) is
    // a change too.
    if (dw.data().edit_modified()) ltotalmodified = ltotalmodified + 1;
    if (ltotalmodified <= 0) return 0;
    switch (ask_to_save()) {
        case 1:
            button("cb_save").trigger_clicked();
            // A refused or failed save keeps the window open with the edits.
            return editflag == "1" ? 1 : 0;
        case 2:
            return 0;
        default:
            return 1;
    }
}

int w_employeeadd::close() {
    w_mysheet::close();
    app().files().remove(kTempPhoto);  // a missing file or a failed deletion is ignored
    return 0;
}

}  // namespace screens
