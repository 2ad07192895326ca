// The screen library as a module: what it exports, what it hands over, how a module that is
// missing or faulty is refused, and that it stays loaded while a window of it lives.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/runtime/application.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"
#include "tests/support/test_db.h"

namespace {

// Runs a command and returns what it printed (standard error too) and its exit status.
std::pair<std::string, int> run(const std::string& command) {
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return {"", -1};
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    const int status = ::pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

bool module_loaded(const char* path) {
    void* h = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (h) ::dlclose(h);
    return h != nullptr;
}

class ScreenLibraryTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::ScreenLibrary> load(const std::string& list) {
        error.clear();
        return host::ScreenLibrary::load(h, host::ScreenLibrary::library_list(list), error);
    }
    testing_support::TempDir dir;
    runtime::ScriptedInteraction ui;
    runtime::Files files{dir / "drive_c"};
    runtime::Application app{ui, files};
    host::Host h{app};
    std::string error;
};

TEST_F(ScreenLibraryTest, ModuleExportsOnlyItsEntry) {
    auto [symbols, status] = run("nm -D --defined-only " TARVO_SCREENS_MODULE);
    ASSERT_EQ(status, 0) << symbols;
    std::string names;
    for (std::size_t at = 0; at < symbols.size();) {
        std::size_t end = symbols.find('\n', at);
        std::string line = symbols.substr(at, end - at);
        names += line.substr(line.rfind(' ') + 1) + " ";
        at = end == std::string::npos ? symbols.size() : end + 1;
    }
    EXPECT_EQ(names, "tarvo_screen_library ");
}

TEST_F(ScreenLibraryTest, HandsOverItsWindowsAndDefinitionsByName) {
    // A folder on the list is searched for the module file.
    std::string folder = TARVO_SCREENS_MODULE;
    folder = folder.substr(0, folder.rfind('/'));
    auto library = load("/nowhere:" + folder);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library->path(), TARVO_SCREENS_MODULE);
    EXPECT_TRUE(app.has_class("w_employee"));
    EXPECT_NE(app.definition("D_EMPLOYEE"), nullptr);
    EXPECT_NE(app.definition("d_employeeadd"), nullptr);
    h.register_classes();
    runtime::Window* w = h.open_sheet("w_employee", std::nullopt);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->title(), "员工管理");

    // A second load names the same windows again: refused, nothing changes.
    EXPECT_EQ(load(TARVO_SCREENS_MODULE), nullptr);
    EXPECT_NE(error.find("重复定义了窗口"), std::string::npos) << error;
    EXPECT_NE(error.find("w_employee"), std::string::npos) << error;
}

TEST_F(ScreenLibraryTest, MissingOrFaultyModulesAreRefusedWithTheReason) {
    EXPECT_EQ(load((dir / "nothing-here").string()), nullptr);
    EXPECT_NE(error.find("找不到屏幕库 libtarvo_screens.so"), std::string::npos) << error;
    EXPECT_NE(error.find("nothing-here"), std::string::npos) << error;

    const std::string not_a_module = (dir / "libtarvo_screens.so").string();
    std::FILE* f = std::fopen(not_a_module.c_str(), "w");
    std::fputs("not a shared object", f);
    std::fclose(f);
    EXPECT_EQ(load(dir.path().string()), nullptr);
    EXPECT_NE(error.find("无法加载屏幕库"), std::string::npos) << error;

    EXPECT_EQ(load(TARVO_NO_ENTRY_MODULE), nullptr);
    EXPECT_NE(error.find("没有入口 tarvo_screen_library"), std::string::npos) << error;

    EXPECT_EQ(load(TARVO_TWICE_MODULE), nullptr);
    EXPECT_NE(error.find("重复定义了窗口： w_twice"), std::string::npos) << error;
    EXPECT_FALSE(app.has_class("w_twice"));  // nothing of a refused module is registered
    EXPECT_FALSE(app.has_class("w_once"));
}

TEST_F(ScreenLibraryTest, ModuleStaysLoadedUntilItsLastWindowIsFreed) {
    h.register_classes();
    auto library = load(TARVO_SCREENS_MODULE);
    ASSERT_TRUE(library) << error;
    runtime::Window* w = h.open_sheet("w_employee", std::nullopt);
    ASSERT_NE(w, nullptr);
    library.reset();  // the host lets go of the library
    EXPECT_FALSE(app.has_class("w_employee"));
    EXPECT_EQ(app.definition("d_employee"), nullptr);
    EXPECT_TRUE(module_loaded(TARVO_SCREENS_MODULE));

    // The window still works, and closes through its own exit button.
    runtime::user::press(w->control_as<runtime::CommandButton>("cb_1"));
    runtime::user::key(*w, runtime::key::kEscape);
    EXPECT_TRUE(app.sheets(h.w_main()).empty());
    EXPECT_FALSE(module_loaded(TARVO_SCREENS_MODULE));
}

TEST(TarvoScript, RefusesAScreenLibraryItCannotLoad) {
    testing_support::TempDir dir;
    const std::string tool = TARVO_SCRIPT_TOOL;
    const std::string db = " --db sqlite:" + (dir / "t.db").string() + " --prepare ";
    auto [missing, status] = run(tool + db + "--library " + (dir / "none").string() + " /dev/null");
    EXPECT_EQ(status, 2);
    EXPECT_NE(missing.find("tarvo-script: 找不到屏幕库"), std::string::npos) << missing;
    auto [no_entry, status2] = run(tool + db + "--library " TARVO_NO_ENTRY_MODULE " /dev/null");
    EXPECT_EQ(status2, 2);
    EXPECT_NE(no_entry.find("没有入口"), std::string::npos) << no_entry;
    auto [twice, status3] = run(tool + db + "--library " TARVO_TWICE_MODULE " /dev/null");
    EXPECT_EQ(status3, 2);
    EXPECT_NE(twice.find("重复定义了窗口"), std::string::npos) << twice;
}

}  // namespace
