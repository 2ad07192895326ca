// The employee list opened as the host opens it, a sheet of w_main, over six employees.
#pragma once

#include <string>
#include <vector>

#include "platform/runtime/datawindow_control.h"
#include "tests/screens/screen_fixture.h"

namespace list_test {

struct Employee {
    const char* eid;
    const char* ename;
    const char* flag;
};

// Descending text order of the numbers: T\t9, E12__, 9, 12, 112, 10.
inline const std::vector<Employee>& staff() {
    static const std::vector<Employee> s = {
        {"9", "张三", "1"},      {"10", "李四", "0"},      {"12", "王五", "1"},
        {"112", "O'Brien", "1"}, {"E12  ", "张小三", "1"}, {"T\t9", "制表", "0"},
    };
    return s;
}

class ListTest : public screens_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const Employee& e : staff()) add(e);
        w = open_sheet("w_employee", std::nullopt);
        ASSERT_NE(w, nullptr);
    }

    void add(const Employee& e) {
        other->execute("INSERT INTO Employee (eid, ename, flag) VALUES (?, ?, ?)",
                       {e.eid, e.ename, e.flag});
    }

    runtime::CommandButton& button(const char* name) {
        return w->control_as<runtime::CommandButton>(name);
    }
    runtime::DataWindowControl& grid() { return w->control_as<runtime::DataWindowControl>("dw_1"); }
    runtime::SingleLineEdit& edit(const char* name) {
        return w->control_as<runtime::SingleLineEdit>(name);
    }
    // The window's counters and saved SELECT.
    int li_currow() const { return std::stoi(w->instance_variable("li_currow").value()); }
    int li_rowcount() const { return std::stoi(w->instance_variable("li_rowcount").value()); }
    std::string ls_sql() const { return w->instance_variable("ls_sql").value(); }

    // What the user does with the mouse.
    void press(const char* name) { runtime::user::press(button(name)); }
    void click_row(int row, const char* object) { runtime::user::click(grid(), row, object); }
    void double_click_row(int row, const char* object) {
        if (runtime::user::click(grid(), row, object) == runtime::InputResult::done)
            runtime::user::double_click(grid(), row, object);
    }

    // Types into both boxes and presses the query button.
    void search(const std::string& id, const std::string& name) {
        runtime::user::type(edit("sle_id"), id);
        runtime::user::type(edit("sle_name"), name);
        runtime::user::press(button("cb_1"));
    }

    std::vector<std::string> numbers() {
        std::vector<std::string> out;
        for (int r = 1; r <= grid().rowcount(); ++r)
            out.push_back(grid().getitemstring(r, "eid").value_or("(null)"));
        return out;
    }
    std::vector<int> selected_rows() {
        std::vector<int> out;
        for (int r = 1; r <= grid().rowcount(); ++r)
            if (grid().isselected(r)) out.push_back(r);
        return out;
    }

    // Requests to open the employee form.
    std::vector<runtime::OpenRequest> form_requests() {
        std::vector<runtime::OpenRequest> out;
        for (const auto& r : app.open_requests())
            if (r.window == "w_employeeadd") out.push_back(r);
        return out;
    }

    // The number the latest open form shows: "(no form)", or "(null)" for a new record.
    std::string open_form_number() {
        runtime::Window* form = app.find_open("w_employeeadd");
        if (!form) return "(no form)";
        auto& dw = form->control_as<runtime::DataWindowControl>("dw_1");
        return dw.getitemstring(1, "eid").value_or("(null)");
    }

    host::w_mysheet* w = nullptr;
};

}  // namespace list_test
