// The employee form opened as the list opens it (a sheet of w_main with an open request),
// driven through user actions, over two employees: E1 with a photo, E2 without.
#pragma once

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/datawindow_control.h"
#include "screens/host/uo_xpbutton.h"
#include "tests/screens/screen_fixture.h"

namespace form_test {

// `size` bytes in a pattern that no shift or truncation keeps equal.
inline db::Bytes pattern(std::size_t size, unsigned seed = 1) {
    db::Bytes out(size);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return out;
}

inline db::Bytes read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return db::Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::filesystem::path& p, const db::Bytes& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class FormTest : public screens_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        other->execute("INSERT INTO Employee (eid, ename, sex, flag, photo) VALUES (?, ?, ?, ?, ?)",
                       {"E1", "张三", "男", "1", e1_photo});
        other->execute("INSERT INTO Employee (eid, ename, flag) VALUES (?, ?, ?)",
                       {"E2", "李四", "0"});
    }

    // Opens the form as the list does; w is the form.
    host::w_mysheet* open_form(std::optional<std::string> request) {
        w = open_sheet("w_employeeadd", std::move(request), 3, 2);
        return w;
    }
    runtime::DataWindowControl& dw() { return w->control_as<runtime::DataWindowControl>("dw_1"); }
    host::uo_xpbutton& button(const char* name) { return w->control_as<host::uo_xpbutton>(name); }
    // The form's add-mode marker and the ancestor's editflag and ltotalmodified.
    std::string variable(const char* name) { return w->instance_variable(name).value(); }

    // The user clicks a button: the focus moves to it first (accepting a field being
    // edited), and a disabled button does nothing.
    void click(const char* name) { runtime::user::press(button(name)); }
    // The user types into a field of row 1, character by character (one the field refuses
    // is left out); with `accept` the text then becomes the value, as when the focus leaves.
    runtime::InputResult edit(const char* column, const std::string& text, bool accept = true) {
        EXPECT_EQ(runtime::user::place_cursor(dw(), 1, column), runtime::InputResult::done)
            << column;
        const runtime::InputResult typed = runtime::user::type_text(dw(), text);
        if (accept) dw().accepttext();
        return typed;
    }
    // Double-clicks p_1 and answers the file dialog with `path` (none: cancelled).
    void choose_photo(const std::optional<std::string>& path) {
        ui.queue(path ? runtime::Answer::file(*path) : runtime::Answer::cancelled());
        double_click(1, "p_1");
    }
    void double_click(int row, const char* object) {
        if (runtime::user::click(dw(), row, object) == runtime::InputResult::done)
            runtime::user::double_click(dw(), row, object);
    }
    // The user closes the window; true when it closed (w is then gone).
    bool close_form() { return runtime::user::close(*w) == runtime::InputResult::done; }

    std::vector<bool> enabled_buttons() {
        std::vector<bool> out;
        for (const char* b : {"cb_add", "cb_save", "cb_modi", "cb_del", "cb_print", "cb_7"})
            out.push_back(button(b).enabled());
        return out;
    }

    // A trigger on Employee that refuses every `operation` ("UPDATE", "INSERT", "DELETE")
    // with the message "<operation> refused", as a database may.
    void refuse(const std::string& operation) {
        const std::string name = trigger_name(operation);
        const std::string message = operation + " refused";
        if (database.backend() == db::Backend::sqlite) {
            other->execute("CREATE TRIGGER " + name + " BEFORE " + operation +
                           " ON employee BEGIN SELECT RAISE(ABORT, '" + message + "'); END");
            return;
        }
        other->execute("CREATE FUNCTION " + name +
                       "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION '" +
                       message + "'; END $$");
        other->execute("CREATE TRIGGER " + name + " BEFORE " + operation +
                       " ON employee FOR EACH ROW EXECUTE FUNCTION " + name + "()");
    }
    void allow(const std::string& operation) {
        other->execute("DROP TRIGGER " + trigger_name(operation) +
                       (database.backend() == db::Backend::sqlite ? "" : " ON employee"));
    }

    static std::string trigger_name(const std::string& operation) {
        std::string name = "refuse_" + operation;
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    }

    // What another user reads.
    std::string cell(const std::string& eid, const std::string& column) {
        auto rows =
            other->query_all("SELECT " + column + " FROM employee WHERE eid = ?", {eid}).rows;
        if (rows.empty()) return "(no row)";
        return rows[0][0].is_null() ? "(null)" : rows[0][0].to_string();
    }
    std::optional<db::Bytes> stored_photo(const std::string& eid) {
        auto rows = other->query_all("SELECT photo FROM employee WHERE eid = ?", {eid}).rows;
        if (rows.empty() || rows[0][0].is_null()) return std::nullopt;
        return rows[0][0].as_bytes();
    }
    // The one temporary photo file of every form.
    std::filesystem::path temp_photo() const { return files.map("c:\\tempemployee.JPG"); }
    std::string picture() { return dw().describe("p_1.filename"); }

    const db::Bytes e1_photo = pattern(70001, 7);
    host::w_mysheet* w = nullptr;
};

}  // namespace form_test
