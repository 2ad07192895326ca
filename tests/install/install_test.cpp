// This build installed into a scratch prefix, stripped as packages ship it: no file of it
// names the build folder; its programs create every class through the registry the tree
// ships, for a user who has registered nothing; a user's registration wins over it; and the
// example client builds against the installed tree alone, with CMake and with pkg-config.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "schema/schema.h"
#include "tests/support/shell.h"
#include "tests/support/test_db.h"

namespace fs = std::filesystem;

namespace {

using namespace testing_support;

// One installation for all tests of the program: installing takes seconds.
class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = new testing_support::TempDir;
        Outcome r = shell(std::string(TARVO_CMAKE) + " --install " + quote(TARVO_BUILD_DIR) +
                          " --prefix " + quote(prefix().string()) + " --strip");
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(fs::exists(prefix() / TARVO_BINDIR / "tarvo-com")) << "not installed";
        fs::create_directories(dir / "home");
        db_path = (dir / "hr.db").string();
        auto db = db::connect("sqlite:" + db_path);
        schema::create(*db);
        db->execute("INSERT INTO HR_Dept (DeptName, DeptOrder) VALUES ('总部', 1)");
        for (const char* name : {"张三", "李四", "王五"})
            db->execute("INSERT INTO HR_Person (DeptID, PersonName, PersonSex) VALUES (1, ?, '女')",
                        {std::string(name)});
    }

    static fs::path prefix() { return root_->path() / "prefix"; }

    static Outcome shell(const std::string& command, const std::string& input = "") {
        return testing_support::shell(root_->path(), command, input);
    }

    // A program run as a user of the installed tree runs it: a home of their own with no
    // registry and no configuration, no TARVO_REGISTRY, no library path.
    Outcome as_user(const std::string& program, const std::vector<std::string>& args,
                    const std::string& input = "") {
        std::string cmd =
            "env -u TARVO_REGISTRY -u LD_LIBRARY_PATH HOME=" + quote((dir / "home").string()) +
            " XDG_CONFIG_HOME=" + quote((dir / "home" / ".config").string()) +
            " XDG_CONFIG_DIRS=" + quote((dir / "etc").string()) + " " + quote(program);
        for (const auto& a : args) cmd += " " + quote(a);
        return shell(cmd, input);
    }
    Outcome tarvo_com(const std::vector<std::string>& args, const std::string& input = "") {
        return as_user((prefix() / TARVO_BINDIR / "tarvo-com").string(), args, input);
    }
    std::string connect() const { return "Provider=SQLite;Data Source=" + db_path; }
    fs::path user_registry() const { return dir / "home" / ".config" / "tarvo" / "registry"; }

    static testing_support::TempDir* root_;
    testing_support::TempDir dir;
    std::string db_path;
};

testing_support::TempDir* InstalledTree::root_ = nullptr;

TEST_F(InstalledTree, NamesNoFileOfTheBuildFolderAndVersionsTheAutomationLibrary) {
    const std::string build = fs::canonical(TARVO_BUILD_DIR).string();
    EXPECT_EQ(files_naming(prefix(), build), std::vector<std::string>{})
        << "the build folder is " << build;

    // Clients link the versioned name; the link name alone serves the linker.
    const fs::path lib = prefix() / TARVO_PRIVATE_LIBDIR;
    EXPECT_EQ(fs::read_symlink(lib / "libtarvo_com.so"), "libtarvo_com.so.1");
    ASSERT_TRUE(fs::is_symlink(lib / "libtarvo_com.so.1"));
    EXPECT_TRUE(fs::is_regular_file(lib / fs::read_symlink(lib / "libtarvo_com.so.1")));
}

TEST_F(InstalledTree, CreatesEveryClassForAUserWhoRegisteredNothing) {
    Outcome created = tarvo_com({"--format", "json", "--batch"},
                                "ADODB.Connection State\n"
                                "ADODB.Recordset State\n"
                                "Tarvo.Department GetError\n"
                                "Tarvo.Person GetError\n"
                                "Tarvo.Message GetError\n");
    EXPECT_EQ(created.status, 0) << created.err;
    const std::vector<std::string> fresh = {
        R"({"ok":true,"result":0})", R"({"ok":true,"result":0})", R"({"ok":true,"result":""})",
        R"({"ok":true,"result":""})", R"({"ok":true,"result":""})"};
    EXPECT_EQ(lines(created.out), fresh) << created.err;

    // The objects at work: the component's recordsets come from the installed server too.
    Outcome used = tarvo_com({"--connect", connect(), "--format", "json", "--batch"},
                             "Tarvo.Person GetPageData 2 2\n"
                             "Tarvo.Department GetData 1\n"
                             "Tarvo.Message GetPageData 10 1\n");
    EXPECT_EQ(used.status, 0) << used.err;
    const std::vector<std::string> expected = {
        R"({"ok":true,"result":{"rows":1,"cols":15,"cells":[[3,1,"王五","女",null,null,null,null,null,null,null,null,null,null,null]]}})",
        R"({"ok":true,"result":{"rows":2,"cols":5,"cells":[["DeptID","DeptName","DeptOrder","DeptParentID","DeptMemo"],[1,"总部",1,null,null]]}})",
        R"({"ok":true,"result":{"rows":0,"cols":0,"cells":[]}})",
    };
    EXPECT_EQ(lines(used.out), expected) << used.err;
    EXPECT_FALSE(fs::exists(user_registry()));  // looking up writes nothing

    // The tree moved to another folder, as a package unpacked elsewhere, still finds them.
    const fs::path moved = dir / "moved";
    fs::rename(prefix(), moved);
    Outcome after_move = as_user((moved / TARVO_BINDIR / "tarvo-com").string(),
                                 {"--format", "json", "Tarvo.Person", "GetError"});
    fs::rename(moved, prefix());
    EXPECT_EQ(after_move.out, "{\"ok\":true,\"result\":\"\"}\n") << after_move.err;
}

TEST_F(InstalledTree, AUsersRegistrationWinsAndAServerThatIsGoneCanBeUnregistered) {
    // The user's own copy of the component, registered: its entries hide the installed ones.
    const fs::path mine = dir / "mine" / "libtarvo_component.so";
    fs::create_directories(mine.parent_path());
    fs::copy_file(prefix() / TARVO_PRIVATE_LIBDIR / "libtarvo_component.so", mine);
    Outcome registered = tarvo_com({"register", mine.string()});
    ASSERT_EQ(registered.status, 0) << registered.err;
    EXPECT_NE(read(user_registry()).find(mine.string()), std::string::npos);
    Outcome call = tarvo_com({"--format", "json", "Tarvo.Department", "GetError"});
    EXPECT_EQ(call.out, "{\"ok\":true,\"result\":\"\"}\n") << call.err;

    // Once the copy is gone the class fails: the user's entry still wins.
    fs::remove(mine);
    call = tarvo_com({"--format", "json", "Tarvo.Department", "GetError"});
    EXPECT_EQ(call.status, 1);
    EXPECT_NE(call.out.find("cannot load the server " + mine.string()), std::string::npos)
        << call.out;

    // Unregistering the file that is gone removes its entries, and the installed server
    // serves the user again.
    Outcome unregistered = tarvo_com({"unregister", mine.string()});
    EXPECT_EQ(unregistered.status, 0) << unregistered.err;
    EXPECT_EQ(unregistered.out, "unregistered " + mine.string() + "\n");
    const std::string left = read(user_registry());
    EXPECT_EQ(left.find("libtarvo_component"), std::string::npos) << left;
    EXPECT_EQ(left.find("Tarvo."), std::string::npos) << left;
    EXPECT_EQ(left.find("TypeLib"), std::string::npos) << left;
    call = tarvo_com({"--format", "json", "Tarvo.Department", "GetError"});
    EXPECT_EQ(call.out, "{\"ok\":true,\"result\":\"\"}\n") << call.err;
}

TEST_F(InstalledTree, EveryHeaderCompilesOnItsOwn) {
    const fs::path include = prefix() / TARVO_INCLUDEDIR;
    int headers = 0;
    for (const auto& entry : fs::recursive_directory_iterator(include)) {
        if (entry.path().extension() != ".h") continue;
        ++headers;
        // As the one include of a file of its own.
        Outcome r = shell(std::string(TARVO_CXX) + " -std=c++20 -fsyntax-only -Wall -Wextra" +
                              " -Werror -I" + quote((include / "tarvo").string()) + " -I" +
                              quote(include.string()) + " -x c++ -",
                          "#include \"" + entry.path().string() + "\"\n");
        EXPECT_EQ(r.status, 0) << entry.path() << "\n" << r.err;
    }
    EXPECT_GE(headers, 12);
}

// What the example prints for page 1 of size 2 of the three people.
const char* const client_page =
    "1\t1\t张三\t女\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\n"
    "2\t1\t李四\t女\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\n";

TEST_F(InstalledTree, BuildsTheExampleClientWithCMakeAndWithPkgConfig) {
    // The example as the installed documentation carries it.
    const fs::path example = prefix() / TARVO_DOCDIR / "examples" / "client";
    ASSERT_TRUE(fs::exists(example / "CMakeLists.txt"));
    const fs::path build = dir / "client";
    Outcome configured = shell(
        std::string(TARVO_CMAKE) + " -S " + quote(example.string()) + " -B " +
        quote(build.string()) + " -DCMAKE_PREFIX_PATH=" + quote(prefix().string()) +
        " -DCMAKE_CXX_COMPILER=" + quote(TARVO_CXX) + " -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF");
    ASSERT_EQ(configured.status, 0) << configured.out << configured.err;
    Outcome built = shell(std::string(TARVO_CMAKE) + " --build " + quote(build.string()));
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    Outcome listed = as_user((build / "tarvo-client").string(), {db_path, "2", "1"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, client_page);

    if (std::string(TARVO_PKG_CONFIG).empty()) GTEST_SKIP() << "no pkg-config";
    const std::string flags =
        "$(PKG_CONFIG_PATH=" + quote((prefix() / TARVO_LIBDIR / "pkgconfig").string()) + " " +
        TARVO_PKG_CONFIG + " --cflags --libs tarvo)";
    const fs::path program = dir / "client-pc";
    Outcome compiled = shell(std::string(TARVO_CXX) + " -std=c++20 -Wall -Wextra " +
                             quote((example / "client.cpp").string()) + " " + flags + " -o " +
                             quote(program.string()));
    ASSERT_EQ(compiled.status, 0) << compiled.err;
    listed = as_user(program.string(), {db_path, "2", "1"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, client_page);
}

}  // namespace
