// The employee list opened as the host opens it: a sheet of w_main over a real database,
// with scripted dialogs. Employees are set up and checked through a second connection, as
// another user of the same database would.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/application.h"
#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "schema/schema.h"
#include "screens/host/host.h"
#include "screens/host/w_mysheet.h"
#include "tests/screens/support/screens.h"
#include "tests/support/test_db.h"

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

class ListTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        other = database.connect();
        schema::create(*other);
        for (const Employee& e : staff()) add(e);
        h.gs_username = "admin";
        ASSERT_EQ(h.sqlca.connect(database.url()), 0) << h.sqlca.sqlerrtext();
        h.register_classes();
        library = testing_support::load_screens(h);
        w = dynamic_cast<host::w_mysheet*>(
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

    // Prompts of one kind ("info", "error", "save", "db-error", ...).
    std::vector<runtime::Prompt> prompts(const std::string& kind) {
        std::vector<runtime::Prompt> out;
        for (const auto& p : ui.prompts())
            if (p.kind == kind) out.push_back(p);
        return out;
    }
    // Requests to open the employee form.
    std::vector<runtime::OpenRequest> form_requests() {
        std::vector<runtime::OpenRequest> out;
        for (const auto& r : app.open_requests())
            if (r.window == "w_employeeadd") out.push_back(r);
        return out;
    }

    testing_support::TestDatabase database{GetParam()};
    testing_support::TempDir dir;
    std::unique_ptr<db::Connection> other;
    runtime::ScriptedInteraction ui;
    runtime::Files files{dir / "drive_c"};
    runtime::Application app{ui, files};
    host::Host h{app};
    std::unique_ptr<host::ScreenLibrary> library;
    host::w_mysheet* w = nullptr;
};

}  // namespace list_test
