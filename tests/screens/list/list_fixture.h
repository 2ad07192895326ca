// The employee list opened as the host opens it, a sheet of w_main, over six employees.
#pragma once

#include <string>
#include <vector>

#include "screens/list/w_employee.h"
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
        w = dynamic_cast<screens::w_employee*>(
            app.open_sheet("w_employee", h.w_main(), std::nullopt, 0, 0));
        ASSERT_NE(w, nullptr);
    }

    void add(const Employee& e) {
        other->execute("INSERT INTO Employee (eid, ename, flag) VALUES (?, ?, ?)",
                       {e.eid, e.ename, e.flag});
    }

    runtime::CommandButton& button(const char* name) {
        return w->control_as<runtime::CommandButton>(name);
    }
    runtime::DataWindowControl& grid() { return w->dw_1(); }

    // Types into both boxes and presses the query button.
    void search(const std::string& id, const std::string& name) {
        w->sle_id().type(id);
        w->sle_name().type(name);
        button("cb_1").press();
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

    screens::w_employee* w = nullptr;
};

}  // namespace list_test
