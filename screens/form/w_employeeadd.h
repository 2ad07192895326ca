// w_employeeadd ("员工信息"): one employee's record and photo. The list opens it with the
// request "new" or an employee number. It adds, modifies, saves and deletes employees,
// stores a chosen photo, mirrors the photo in the one temporary file every form shares, and
// guards against closing with unsaved changes.
//
// Every handler of the window and of its buttons runs its ancestor's first (w_mysheet,
// uo_xpbutton); a runtime error there ends it. dw_1 is a plain data-window control: its
// handlers have no ancestor.
#pragma once

#include <optional>
#include <string>

#include "platform/db/value.h"
#include "platform/runtime/datawindow_control.h"
#include "screens/host/uo_xpbutton.h"
#include "screens/host/w_mysheet.h"

namespace screens {

class w_employeeadd_dw_1;

class w_employeeadd : public host::w_mysheet {
  public:
    static constexpr const char* kClassName = "w_employeeadd";
    // The temporary photo file of every form, and the command that shows it in p_1.
    static constexpr const char* kTempPhoto = "c:\\tempemployee.JPG";
    static constexpr const char* kShowTempPhoto = "p_1.filename='c:\\tempemployee.JPG'";
    static constexpr const char* kShowNoPhoto = "p_1.filename=''";

    explicit w_employeeadd(host::Host& host);

    // "new" from Add until the record's first successful save.
    const std::string& flag() const { return flag_; }

    // The controls by name; NullObjectError when one is missing (after destroy).
    runtime::DataWindowControl& dw_1() const;
    host::uo_xpbutton& button(std::string_view name) const;

    // "flag", and the ancestor's editflag and ltotalmodified.
    std::optional<std::string> instance_variable(std::string_view name) const override;

    int create() override;
    int destroy() override;
    int open() override;
    int closequery() override;
    int close() override;

  private:
    friend class w_employeeadd_dw_1;

    // Handlers of the controls, run after the control's ancestor handler.
    void dw_1_constructor();
    void dw_1_doubleclicked(const std::string& object);
    int dw_1_dberror(const runtime::DbError& error);
    void cb_add_clicked();
    void cb_save_clicked();
    void cb_modi_clicked();
    void cb_del_clicked();
    void cb_7_clicked();  // exit

    // Sets the enabled state of buttons, in the order given.
    void set_buttons(std::initializer_list<std::pair<const char*, bool>> states);
    // Reads the stored photo of `eid` and shows it through the temporary file; false when
    // there is none to show (the picture then stays as it is).
    bool load_photo(const db::Value& eid);
    // The close guard's question: 1 yes (save), 2 no (drop), 3 cancel.
    int ask_to_save();

    // Photo selection: the whole file in passes of at most 32765 bytes, or none (the user
    // was told why) when it cannot be measured, opened or read.
    std::optional<db::Bytes> read_photo_file(const std::string& path);
    // Stores the photo in the employee's row at once. When the row does not take it, the
    // user is told why and the picture shows the stored photo again.
    void store_photo(const std::string& eid, db::Bytes photo);
    // Shows a photo through the temporary file; false (the picture empty, the user told)
    // when the file cannot be written.
    bool show_photo(const db::Bytes& photo);

    // Save's steps: the number check of a record begun with Add (false: refused, the user
    // told); the write of the record and of a pending photo in one commit (false: nothing
    // written, the edits stay).
    bool number_is_acceptable();
    void refuse_save();
    bool write_record();
    bool write_pending_photo();

    static constexpr const char* kPhotoUpdate = "update employee set photo = ? where eid = ? ";
    static constexpr const char* kPhotoSelect = "select photo from employee where eid = ? ";

    std::string flag_;
    // The number the shown record has in the table; none while it is not in the table
    // (opened with "new", after Add, after a delete, or a number that no row has).
    std::optional<std::string> stored_eid_;
    // A photo chosen while the record is not in the table; written with its first save.
    std::optional<db::Bytes> pending_photo_;
};

}  // namespace screens
