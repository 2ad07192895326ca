// The Debian packages of this build, made with CPack and unpacked with dpkg-deb into a
// scratch root as dpkg would lay them out: what each holds and where, that nothing in them
// names the machine that built them, that their metadata passes the tools that read it, and
// that the unpacked programs reach every class with no registration step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/shell.h"
#include "tests/support/test_db.h"

namespace fs = std::filesystem;

namespace {

using namespace testing_support;

bool have(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// One packaging for all tests: it builds and unpacks both packages.
class PackagedTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = new testing_support::TempDir;
        if (!have("dpkg-deb") || !have("dpkg-shlibdeps")) return;  // each test skips
        const fs::path out = root_->path() / "packages";
        Outcome made = shell(std::string(TARVO_CPACK) + " -G DEB --config " +
                             quote(std::string(TARVO_BUILD_DIR) + "/CPackConfig.cmake") + " -B " +
                             quote(out.string()));
        ASSERT_EQ(made.status, 0) << made.out << made.err;
        for (const auto& entry : fs::directory_iterator(out)) {
            if (entry.path().extension() != ".deb") continue;
            debs_->push_back(entry.path());
            Outcome unpacked = shell("dpkg-deb -x " + quote(entry.path().string()) + " " +
                                     quote(unpacked_root().string()));
            ASSERT_EQ(unpacked.status, 0) << unpacked.err;
        }
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
        debs_->clear();
    }
    void SetUp() override {
        if (debs_->empty()) GTEST_SKIP() << "dpkg-dev is not installed (make test installs it)";
    }

    static fs::path unpacked_root() { return root_->path() / "root"; }
    static fs::path usr() { return unpacked_root() / "usr"; }
    static Outcome shell(const std::string& command, const std::string& input = "") {
        return testing_support::shell(root_->path(), command, input);
    }
    // The package file whose name starts with `name` and a '_'.
    static fs::path deb(const std::string& name) {
        for (const fs::path& d : *debs_)
            if (d.filename().string().starts_with(name + "_")) return d;
        return {};
    }
    static std::string field(const std::string& name, const std::string& which) {
        Outcome r = shell("dpkg-deb -f " + quote(deb(name).string()) + " " + which);
        return r.out.empty() ? "" : r.out.substr(0, r.out.size() - 1);
    }

    static testing_support::TempDir* root_;
    static std::vector<fs::path>* debs_;
};

testing_support::TempDir* PackagedTree::root_ = nullptr;
std::vector<fs::path>* PackagedTree::debs_ = new std::vector<fs::path>;

TEST_F(PackagedTree, TwoPackagesOfOneVersionWithTheirFilesWhereDebianLooks) {
    ASSERT_FALSE(deb("tarvo").empty());
    ASSERT_FALSE(deb("tarvo-dev").empty());
    const std::string version = field("tarvo", "Version");
    EXPECT_EQ(deb("tarvo").filename(), "tarvo_" + version + "_amd64.deb");
    EXPECT_EQ(field("tarvo-dev", "Version"), version);
    EXPECT_EQ(field("tarvo-dev", "Depends"), "tarvo (= " + version + ")");
    // Run-time dependencies read from the libraries, and what Qt loads without linking.
    const std::string depends = field("tarvo", "Depends");
    for (const char* needed : {"libpq5", "libsqlite3-0", "libqt6widgets6", "qt6-qpa-plugins"})
        EXPECT_NE(depends.find(needed), std::string::npos) << depends;

    for (const char* program : {"tarvo", "tarvo-script", "tarvo-db", "tarvo-com"}) {
        SCOPED_TRACE(program);
        EXPECT_TRUE(fs::exists(usr() / "bin" / program));
        EXPECT_TRUE(fs::exists(usr() / "share/man/man1" / (std::string(program) + ".1.gz")));
        // Every --version prints the package's version.
        Outcome v = shell(quote((usr() / "bin" / program).string()) + " --version");
        EXPECT_EQ(v.out, std::string(program) + " " + version + "\n") << v.err;
    }
    for (const char* file :
         {"lib/tarvo/libtarvo_screens.so", "lib/tarvo/libtarvo_component.so",
          "lib/tarvo/libtarvo_ado.so", "lib/tarvo/registry", "share/applications/tarvo.desktop",
          "share/icons/hicolor/scalable/apps/tarvo.svg",
          "share/metainfo/org.tarvo.Tarvo.metainfo.xml", "share/doc/tarvo/copyright",
          "share/doc/tarvo/changelog.gz", "share/doc/tarvo/README.md",
          // the developer package's
          "include/tarvo/com.h", "lib/pkgconfig/tarvo.pc", "lib/cmake/Tarvo/TarvoConfig.cmake",
          "share/doc/tarvo-dev/copyright"})
        EXPECT_TRUE(fs::exists(usr() / file)) << file;
}

TEST_F(PackagedTree, NothingNamesTheBuildMachineAndLibrariesAreFoundBesideEachOther) {
    EXPECT_EQ(files_naming(unpacked_root(), fs::canonical(TARVO_SOURCE_DIR).string()),
              std::vector<std::string>{});
    // Nor the home of the user who built it (the manual pages come from --help).
    if (const char* home = std::getenv("HOME"); home && *home) {
        EXPECT_EQ(files_naming(unpacked_root(), std::string(home) + "/.local/share/tarvo"),
                  std::vector<std::string>{});
    }
    for (const auto& entry : fs::recursive_directory_iterator(usr())) {
        if (!entry.is_regular_file() || entry.is_symlink()) continue;
        if (read(entry.path()).substr(0, 4) !=
            "\x7f"
            "ELF")
            continue;
        Outcome dynamic = shell("readelf -d " + quote(entry.path().string()));
        for (const std::string& line : lines(dynamic.out)) {
            if (line.find("RUNPATH") == std::string::npos &&
                line.find("RPATH") == std::string::npos)
                continue;
            const bool program = entry.path().parent_path().filename() == "bin";
            EXPECT_NE(line.find(program ? "[$ORIGIN/../lib/tarvo]" : "[$ORIGIN]"),
                      std::string::npos)
                << entry.path() << ": " << line;
        }
    }
}

TEST_F(PackagedTree, ManualsMetadataAndDesktopEntryPassTheirTools) {
    if (have("man")) {
        Outcome page =
            shell("MANWIDTH=80 man -l " + quote((usr() / "share/man/man1/tarvo-db.1.gz").string()));
        EXPECT_EQ(page.status, 0) << page.err;
        EXPECT_NE(page.out.find("tarvo-db - create, fill and set up the employee database"),
                  std::string::npos)
            << page.out;
        EXPECT_NE(page.out.find("--employees"), std::string::npos) << page.out;
    }
    if (have("appstreamcli")) {
        Outcome valid =
            shell("appstreamcli validate --no-net " +
                  quote((usr() / "share/metainfo/org.tarvo.Tarvo.metainfo.xml").string()));
        EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    }
    if (have("desktop-file-validate")) {
        Outcome valid = shell("desktop-file-validate " +
                              quote((usr() / "share/applications/tarvo.desktop").string()));
        EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
        EXPECT_EQ(valid.out, "");
    }
}

TEST_F(PackagedTree, TheUnpackedToolsCreateEveryClassWithNoRegistration) {
    testing_support::TempDir home;
    Outcome created =
        shell("env -u TARVO_REGISTRY -u LD_LIBRARY_PATH HOME=" + quote(home.path().string()) +
                  " XDG_CONFIG_HOME=" + quote((home / "config").string()) +
                  " XDG_CONFIG_DIRS=" + quote((home / "etc").string()) + " " +
                  quote((usr() / "bin/tarvo-com").string()) + " --format json --batch",
              "ADODB.Connection State\nADODB.Recordset State\nTarvo.Department GetError\n"
              "Tarvo.Person GetError\nTarvo.Message GetError\n");
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(lines(created.out),
              (std::vector<std::string>{R"({"ok":true,"result":0})", R"({"ok":true,"result":0})",
                                        R"({"ok":true,"result":""})", R"({"ok":true,"result":""})",
                                        R"({"ok":true,"result":""})"}))
        << created.err;
    EXPECT_FALSE(fs::exists(home / "config" / "tarvo" / "registry"));
}

}  // namespace
