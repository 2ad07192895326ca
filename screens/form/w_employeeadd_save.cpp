// The buttons: Add, Modify, Save (number check, record and pending photo in one commit),
// Delete and Exit; and what dw_1 says when another user changed the employee.
#include "platform/text/gbk.h"
#include "screens/form/w_employeeadd.h"

namespace screens {
namespace {

constexpr const char* kCountQuery = "select count ( *) from employee where eid = ? ";
constexpr const char* kChangedByOthers =
    "该员工已被他人修改或删除，没有写入任何数据。请关闭后重新打开该员工再修改。";

}  // namespace

void w_employeeadd::cb_add_clicked() {
    runtime::DataWindowControl& dw = dw_1();
    dw.reset();  // unsaved edits go without a question
    dw.insertrow(0);
    dw.setfocus();
    flag_ = "new";
    stored_eid_.reset();
    pending_photo_.reset();
    set_buttons({{"cb_save", true}, {"cb_del", false}, {"cb_add", false}, {"cb_modi", false}});
    dw.modify("datawindow.readonly=no");
}

void w_employeeadd::cb_modi_clicked() {
    set_buttons({{"cb_add", false}, {"cb_del", true}, {"cb_modi", false}, {"cb_save", true}});
}

void w_employeeadd::cb_save_clicked() {
    runtime::DataWindowControl& dw = dw_1();
    // A form whose record did not load (or was deleted) has nothing to write.
    if (dw.rowcount() == 0 && dw.deletedcount() == 0) {
        host().f_showinfo("没有可保存的员工记录");
        return;
    }
    // What is still being typed is part of the save (the close guard's Yes saves it too).
    if (dw.accepttext() != 1) {  // refused: the user was told why, the cursor stays
        editflag = "1";
        return;
    }
    if (flag_ == "new" && !number_is_acceptable()) {
        refuse_save();
        return;
    }
    if (!write_record()) {
        host().f_showinfo("保存失败");
        editflag = "1";  // the close guard keeps the window open with the edits
        return;
    }
    host().f_showinfo("保存成功");
    // Saved: the record is in the table now, and saving it again updates it.
    flag_.clear();
    editflag.clear();
    stored_eid_ = dw_1().getitemstring(1, "eid");
    set_buttons({{"cb_add", true}, {"cb_del", false}, {"cb_modi", true}, {"cb_save", false}});
}

bool w_employeeadd::number_is_acceptable() {
    const std::optional<std::string> ls_id = dw_1().getitemstring(1, "eid");
    if (!ls_id || text::trim_blanks(*ls_id).empty()) {
        host().f_showerror("编号不能为空");
        return false;
    }
    std::int64_t li_count = 0;  // stays 0 when the count fails
    host().sqlca.select_count(kCountQuery, {db::Value(*ls_id)}, li_count);
    if (li_count > 0) {
        host().f_showinfo("编号重复");
        return false;
    }
    return true;
}

void w_employeeadd::refuse_save() {
    runtime::DataWindowControl& dw = dw_1();
    dw.setfocus();
    dw.setcolumn("eid");
    editflag = "1";
}

bool w_employeeadd::write_record() {
    runtime::DataWindowControl& dw = dw_1();
    runtime::Transaction& sqlca = host().sqlca;
    // The rows keep their statuses until the commit went through, so nothing that failed
    // on the way is taken for saved.
    if (dw.update(true, false) != 1) return false;  // undone by the data window, reported
    if (pending_photo_ && !write_pending_photo()) {
        sqlca.rollback();
        return false;
    }
    if (sqlca.commit() != 0) {
        host().f_showerror("提交失败：" + sqlca.reason());
        sqlca.rollback();
        return false;
    }
    dw.resetupdate();
    pending_photo_.reset();
    return true;
}

bool w_employeeadd::write_pending_photo() {
    runtime::Transaction& sqlca = host().sqlca;
    const std::optional<std::string> eid = dw_1().getitemstring(1, "eid");
    sqlca.updateblob(kPhotoUpdate, *pending_photo_, {eid ? db::Value(*eid) : db::Value()});
    if (sqlca.sqlcode() == 0 && sqlca.sqlnrows() == 1) return true;
    host().f_showerror(sqlca.sqlcode() != 0
                           ? "照片保存失败：" + sqlca.reason()
                           : std::string("照片保存失败：没有可存放照片的员工记录"));
    return false;
}

void w_employeeadd::cb_del_clicked() {
    if (host().f_showask("确定删除该员工吗？", 2) == 2) return;
    runtime::DataWindowControl& dw = dw_1();
    runtime::Transaction& sqlca = host().sqlca;
    dw.deleterow(1);
    if (dw.update(true, false) == 1 && sqlca.commit() == 0) {
        dw.resetupdate();
        stored_eid_.reset();
        pending_photo_.reset();
        return;  // no message; the form stays open and empty
    }
    // The deletion stays pending, so the close guard asks about it.
    sqlca.rollback();
    host().f_showerror("删除失败");
}

void w_employeeadd::cb_7_clicked() {
    request_close();
}

int w_employeeadd::dw_1_dberror(const runtime::DbError& error) {
    if (!error.conflict) return 0;  // the runtime shows the database's own message
    host().f_showerror(kChangedByOthers);
    return 1;
}

}  // namespace screens
