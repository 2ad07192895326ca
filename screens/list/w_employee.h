// w_employee ("员工管理"): the employee list. A grid of employees (d_employee), a search by
// number and name, row selection by mouse and keys, opening the form for an existing
// or a new employee, and the export of the grid to a file with an audit line.
//
// Every handler runs its ancestor's first (w_mysheet, uo_dwtitlesort, uo_xpbutton); a
// runtime error there ends it. Only dw_1's ue_key has no ancestor handler.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime/control.h"
#include "screens/host/uo_dwtitlesort.h"
#include "screens/host/uo_xpbutton.h"
#include "screens/host/w_mysheet.h"

namespace screens {

class w_employee_dw_1;

class w_employee : public host::w_mysheet {
  public:
    static constexpr const char* kClassName = "w_employee";
    // The form the list opens, and how the sheet service is asked to place it.
    static constexpr const char* kFormClassName = "w_employeeadd";
    static constexpr int kFormMenuPosition = 3;
    static constexpr int kFormArrangement = 2;

    explicit w_employee(host::Host& host);

    // The grid's SELECT as defined, saved at open; every search is built on it.
    const std::string& ls_sql() const { return ls_sql_; }
    // The row the keys (arrows, pages, Home and End) and Enter work on (1-based).
    std::int32_t li_currow() const { return li_currow_; }
    // Rows found by the last search.
    std::int32_t li_rowcount() const { return li_rowcount_; }

    // The controls by name; NullObjectError when one is missing (after destroy).
    host::uo_dwtitlesort& dw_1() const;
    runtime::SingleLineEdit& sle_id() const;
    runtime::SingleLineEdit& sle_name() const;

    std::optional<std::string> instance_variable(std::string_view name) const override;

    int create() override;
    int destroy() override;
    int open() override;

  private:
    friend class w_employee_dw_1;

    // Handlers of the controls, run after the control's ancestor handler.
    void dw_1_constructor();
    void dw_1_clicked(int row);
    void dw_1_doubleclicked(int row);
    void dw_1_ue_key(int key);
    void cb_1_clicked();  // search
    void cb_2_clicked();  // export
    void cb_3_clicked();  // add
    void cb_4_clicked();  // modify
    void cb_5_clicked();  // exit

    // Highlights a row as the arrow keys do: scroll first, then the highlight.
    void highlight_by_key(int row);
    // PageDown and End: on by `rows` as Down goes by one, stopping at the last row found.
    void key_forward(std::int64_t rows);
    // PageUp and Home: back by `rows` as Up goes by one, stopping at row 1.
    void key_back(std::int64_t rows);
    // Opens employee `eid` after checking that it still exists; refills the grid when not.
    void open_employee(const std::optional<std::string>& eid);
    // Opens the form as a sheet of the main window with the open request.
    void open_form(const std::string& request);
    // Writes the Syslog line of an export and ends the transaction.
    void write_export_audit();

    std::string ls_sql_;
    std::int32_t li_rowcount_ = 0;
    std::int32_t li_currow_ = 0;
};

}  // namespace screens
