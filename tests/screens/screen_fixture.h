// The screens as the host runs them: the screen library module loaded, sqlca connected to a
// real database of the test's backend, scripted dialogs, and a second connection through
// which a test sets up and checks the table as another user of the same database would.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/runtime/application.h"
#include "platform/runtime/script_driver.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "schema/schema.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"
#include "screens/host/w_mysheet.h"
#include "tests/screens/support/screens.h"
#include "tests/support/test_db.h"

namespace screens_test {

// A window of the screen library opened as a sheet of w_main with no database behind it.
class WindowWithoutDatabase : public ::testing::Test {
  protected:
    void open_window(std::string_view name, std::optional<std::string> request, int menu,
                     int arrangement) {
        h.register_classes();
        library = testing_support::load_screens(h);
        w = dynamic_cast<host::w_mysheet*>(
            app.open_sheet(name, h.w_main(), std::move(request), menu, arrangement));
        ASSERT_NE(w, nullptr);
    }

    testing_support::TempDir dir;
    runtime::ScriptedInteraction ui;
    runtime::Files files{dir / "drive_c"};
    runtime::Application app{ui, files};
    host::Host h{app};
    std::unique_ptr<host::ScreenLibrary> library;
    host::w_mysheet* w = nullptr;
};

class ScreenTest : public ::testing::TestWithParam<std::string> {
  protected:
    // Derived fixtures call this first and stop when it skipped or failed:
    //   ScreenTest::SetUp(); if (IsSkipped() || HasFatalFailure()) return;
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        other = database.connect();
        schema::create(*other);
        h.gs_username = "admin";
        ASSERT_EQ(h.sqlca.connect(database.url()), 0) << h.sqlca.sqlerrtext();
        h.register_classes();
        library = testing_support::load_screens(h);
        ASSERT_TRUE(library);
    }

    // Opens a window of the screen library as a sheet of w_main, as the host or the list
    // does.
    host::w_mysheet* open_sheet(std::string_view name, std::optional<std::string> request,
                                int menu_position = 0, int arrangement = 0) {
        return dynamic_cast<host::w_mysheet*>(
            app.open_sheet(name, h.w_main(), std::move(request), menu_position, arrangement));
    }

    // Prompts of one kind ("info", "error", "ask", "messagebox", "open", "db-error", ...).
    std::vector<runtime::Prompt> prompts(const std::string& kind) const {
        std::vector<runtime::Prompt> out;
        for (const auto& p : ui.prompts())
            if (p.kind == kind) out.push_back(p);
        return out;
    }
    // The texts of every prompt, in order, as "kind:text" ("info:保存成功").
    std::vector<std::string> prompt_texts() const {
        std::vector<std::string> out;
        for (const auto& p : ui.prompts()) out.push_back(p.kind + ":" + p.text);
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
};

// A script of user actions run through the scripted driver; its transcript is compared
// line by line with the one kept beside the script.
class ScreenScriptTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::filesystem::create_directories(files.drive_c());
        driver.set_database(other.get());
        driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
            return app.open_sheet(name, h.w_main(), std::move(parm), 0, 0);
        });
    }

    static std::vector<std::string> lines_of(std::istream& in) {
        std::vector<std::string> out;
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }

    // Runs `folder`/`name`.script and expects every line to run and the transcript to
    // equal `name`.expected.
    void expect_transcript(const std::filesystem::path& folder, const std::string& name) {
        std::ifstream script(folder / (name + ".script"));
        ASSERT_TRUE(script) << "missing " << (folder / (name + ".script"));
        EXPECT_EQ(driver.run(script), 0);

        std::ifstream expected_file(folder / (name + ".expected"));
        const std::vector<std::string> expected = lines_of(expected_file);
        // Paths the user chose as "c:\..." come back as this run's folder for drive C.
        std::string text = out.str();
        const std::string drive = files.drive_c().string();
        for (auto at = text.find(drive); at != std::string::npos; at = text.find(drive, at))
            text.replace(at, drive.size(), "{drive_c}");
        std::istringstream transcript(text);
        const std::vector<std::string> got = lines_of(transcript);
        for (std::size_t i = 0; i < std::max(expected.size(), got.size()); ++i)
            EXPECT_EQ(i < got.size() ? got[i] : "(missing)",
                      i < expected.size() ? expected[i] : "(none)")
                << "transcript line " << i + 1;
        if (::testing::Test::HasFailure()) std::cerr << out.str();
    }

    std::ostringstream out;
    runtime::ScriptDriver driver{app, ui, out};
};

}  // namespace screens_test
