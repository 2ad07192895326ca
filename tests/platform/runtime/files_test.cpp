// File services on real files: block reads, seek, delete, exact writes, path mapping.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>

#include "platform/db/connection.h"
#include "platform/runtime/files.h"
#include "platform/runtime/replace_file.h"
#include "tests/support/faults.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_db.h"

namespace {

using runtime::Files;
namespace fs = std::filesystem;

db::Bytes pattern(std::size_t n) {
    db::Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xff);
    return b;
}

class FilesTest : public ::testing::Test {
  protected:
    std::string make(const std::string& name, const db::Bytes& bytes) {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return p.string();
    }
    // Reads a file the way the photo selection does: passes computed from the length,
    // each read followed by a seek to the running position.
    std::pair<int, db::Bytes> read_in_passes(const std::string& path) {
        std::int64_t len = files.length(path);
        int handle = files.open_read(path);
        int passes = len <= 0 ? 0 : static_cast<int>((len + Files::kMaxRead - 1) / Files::kMaxRead);
        db::Bytes all, block;
        std::int64_t pos = 0;
        for (int i = 0; i < passes; ++i) {
            int got = files.read(handle, block);
            all.insert(all.end(), block.begin(), block.end());
            pos += got;
            files.seek(handle, pos);
        }
        files.close(handle);
        return {passes, all};
    }

    testing_support::TempDir dir;
    Files files{dir / "drive_c"};
};

TEST_F(FilesTest, ReadsAtMost32765BytesPerCall) {
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, Files::kMaxRead, Files::kMaxRead + 1,
                          2 * Files::kMaxRead, 2 * Files::kMaxRead + 3}) {
        db::Bytes data = pattern(n);
        std::string path = make("f" + std::to_string(n), data);
        EXPECT_EQ(files.length(path), static_cast<std::int64_t>(n));
        auto [passes, got] = read_in_passes(path);
        EXPECT_EQ(passes, static_cast<int>((n + Files::kMaxRead - 1) / Files::kMaxRead)) << n;
        EXPECT_EQ(got, data) << n;
    }
}

TEST_F(FilesTest, SingleReadsReportCountsAndTheEnd) {
    std::string path = make("g", pattern(Files::kMaxRead + 1));
    int h = files.open_read(path);
    ASSERT_GT(h, 0);
    db::Bytes block;
    EXPECT_EQ(files.read(h, block), 32765);
    EXPECT_EQ(block.size(), 32765u);
    EXPECT_EQ(files.read(h, block), 1);
    EXPECT_EQ(files.read(h, block), 0);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(files.seek(h, 32764), 1);
    EXPECT_EQ(files.read(h, block), 2);
    EXPECT_EQ(files.close(h), 1);
    EXPECT_EQ(files.close(h), -1);
    EXPECT_EQ(files.read(h, block), -1);
    EXPECT_EQ(files.seek(h, 0), -1);
}

TEST_F(FilesTest, MissingFilesFailToMeasureAndOpenButDeleteQuietly) {
    std::string missing = (dir / "none.jpg").string();
    EXPECT_LT(files.length(missing), 0);
    EXPECT_EQ(files.open_read(missing), -1);
    EXPECT_LT(files.length(dir.path().string()), 0);  // a folder is not a file
    EXPECT_EQ(files.remove(missing), 1);
    std::string present = make("del", pattern(3));
    EXPECT_EQ(files.remove(present), 1);
    EXPECT_FALSE(fs::exists(present));
    EXPECT_EQ(files.remove(dir.path().string()), -1);
    EXPECT_TRUE(fs::exists(dir.path()));
}

TEST_F(FilesTest, WindowsDrivePathsMapIntoTheDriveFolder) {
    EXPECT_EQ(files.map("c:\\tempemployee.JPG"), dir / "drive_c" / "tempemployee.JPG");
    EXPECT_EQ(files.map("C:\\a\\b.txt"), dir / "drive_c" / "a" / "b.txt");
    EXPECT_EQ(files.map("d:\\x.txt"), dir / "drive_d" / "x.txt");
    EXPECT_EQ(files.map("/tmp/a\\b"), fs::path("/tmp/a\\b"));  // POSIX paths stay
    EXPECT_EQ(files.map("ico\\find.ico"), fs::path("ico/find.ico"));
    // ".." stops at the drive's root, as on Windows.
    EXPECT_EQ(files.map("c:\\..\\..\\etc\\passwd"), dir / "drive_c" / "etc" / "passwd");
    EXPECT_EQ(files.map("c:\\a\\..\\..\\b\\.\\c.txt"), dir / "drive_c" / "b" / "c.txt");
    EXPECT_EQ(files.map("c:..\\x"), dir / "drive_c" / "x");
    EXPECT_EQ(files.map("c:\\.."), dir / "drive_c");

    db::Bytes photo = pattern(70000);
    EXPECT_EQ(files.write_bytes("c:\\tempemployee.JPG", photo), 1);  // creates the folder
    EXPECT_EQ(files.length("c:\\tempemployee.JPG"), 70000);
    auto [passes, got] = read_in_passes("c:\\tempemployee.JPG");
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(got, photo);
    EXPECT_EQ(files.remove("c:\\tempemployee.JPG"), 1);
    EXPECT_LT(files.length("c:\\tempemployee.JPG"), 0);
}

TEST_F(FilesTest, WriteReplacesTheFileWithExactlyTheBytes) {
    std::string path = make("w", pattern(5000));
    db::Bytes shorter = {0x00, 0x0d, 0x0a, 0xff, 0x1a};
    EXPECT_EQ(files.write_bytes(path, shorter), 1);
    auto [passes, got] = read_in_passes(path);
    EXPECT_EQ(got, shorter);
    EXPECT_EQ(files.write_bytes(path, {}), 1);
    EXPECT_EQ(files.length(path), 0);
    EXPECT_EQ(files.write_bytes((dir / "no" / "such" / "dir" / "f").string(), shorter), -1);
    EXPECT_EQ(files.write_bytes(dir.path().string(), shorter), -1);
    for (auto& e : fs::directory_iterator(dir.path()))  // no temporary file left behind
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(FilesTest, WriteThatFillsTheDiskKeepsTheOldFileAndItsPermissions) {
    const db::Bytes old = pattern(100);
    std::string path = make("export.xls", old);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    {
        testing_support::FileSizeLimit full(4096);
        EXPECT_FALSE(runtime::replace_file(path, std::string(20000, 'x')));
    }
    EXPECT_EQ(read_in_passes(path).second, old);
    EXPECT_EQ(testing_support::file_names(dir.path()), std::vector<std::string>{"export.xls"});

    ASSERT_TRUE(runtime::replace_file(path, "new"));  // an export keeps the file's mode
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(path, fs::perms::owner_read);  // read-only (root may write it anyway)
    if (::geteuid() != 0) {
        EXPECT_FALSE(runtime::replace_file(path, "newer"));
        EXPECT_EQ(read_in_passes(path).second, (db::Bytes{'n', 'e', 'w'}));
    }
    // Only files are replaced: not a folder, not a device.
    EXPECT_FALSE(runtime::replace_file(dir.path(), "x"));
    EXPECT_FALSE(runtime::replace_file("/dev/null", "x"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// Another user of a shared folder plants links where the program writes: at the target,
// and at the temporary names an earlier version used. No write goes through them.
TEST_F(FilesTest, LinksPlantedInTheFolderAreNeverFollowed) {
    const db::Bytes secret = pattern(64);
    const std::string victim = make("private.txt", secret);
    fs::create_directories(dir / "drive_c");
    const fs::path temp_photo = dir / "drive_c" / "tempemployee.JPG";
    fs::create_symlink(victim, temp_photo);
    fs::create_symlink(victim,
                       temp_photo.string() + ".tarvo-" + std::to_string(::getpid()) + ".tmp");

    ASSERT_EQ(files.write_bytes("c:\\tempemployee.JPG", pattern(10)), 1);
    EXPECT_FALSE(fs::is_symlink(temp_photo));  // the link was replaced by the file
    EXPECT_EQ(read_in_passes(temp_photo.string()).second, pattern(10));
    EXPECT_EQ(read_in_passes(victim).second, secret);

    EXPECT_EQ(files.remove("c:\\tempemployee.JPG"), 1);
    EXPECT_EQ(read_in_passes(victim).second, secret);
}

TEST_F(FilesTest, ThePhotoAndItsFolderAreForTheUserAloneAndExportsFollowTheUmask) {
    const mode_t old_mask = ::umask(022);
    ASSERT_EQ(files.write_bytes("c:\\tempemployee.JPG", pattern(10)), 1);
    const fs::path exported = dir / "list.xls";
    ASSERT_TRUE(runtime::replace_file(exported, "a\tb\r\n"));
    ::umask(old_mask);
    const auto mode = [](const fs::path& p) {
        return fs::status(p).permissions() & fs::perms::all;
    };
    EXPECT_EQ(mode(dir / "drive_c"), fs::perms::owner_all);
    EXPECT_EQ(mode(dir / "drive_c" / "tempemployee.JPG"),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(exported), fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read | fs::perms::others_read);

    // A photo file an earlier version left readable by others becomes private.
    fs::permissions(dir / "drive_c" / "tempemployee.JPG", fs::perms::others_read,
                    fs::perm_options::add);
    ASSERT_EQ(files.write_bytes("c:\\tempemployee.JPG", pattern(20)), 1);
    EXPECT_EQ(mode(dir / "drive_c" / "tempemployee.JPG"),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FilesTest, TheOpenDatabaseIsNeverReadWrittenOrDeletedAsAFile) {
    const fs::path database = dir / "tarvo.db";
    auto conn = db::connect("sqlite:" + database.string());
    conn->execute_script("CREATE TABLE x (a); INSERT INTO x VALUES (1)");
    fs::create_hard_link(database, dir / "photo.JPG");
    for (const fs::path& p : {database, dir / "tarvo.db-wal", dir / "photo.JPG"}) {
        const auto size = fs::file_size(p);
        EXPECT_TRUE(files.is_database_file(p.string())) << p;
        EXPECT_EQ(files.open_read(p.string()), -1) << p;
        EXPECT_EQ(files.write_bytes(p.string(), pattern(5)), -1) << p;
        EXPECT_FALSE(runtime::replace_file(p, "x")) << p;
        EXPECT_EQ(files.remove(p.string()), -1) << p;
        EXPECT_EQ(fs::file_size(p), size) << p;
    }
    EXPECT_FALSE(runtime::replace_file(dir / "tarvo.db-journal", "x"));
    EXPECT_FALSE(fs::exists(dir / "tarvo.db-journal"));
    EXPECT_EQ(conn->query_all("SELECT a FROM x").rows.size(), 1u);

    conn.reset();  // closed: an ordinary file again
    EXPECT_FALSE(files.is_database_file(database.string()));
    EXPECT_GT(files.open_read((dir / "photo.JPG").string()), 0);
}

// A program killed while it writes (here by the file-size signal, which ends it at once)
// leaves its temporary file; the next program to start removes it, but never one that a
// running program is writing, nor a file that only looks like one.
TEST_F(FilesTest, LeftoversOfDeadWritersAreRemovedAtTheNextStart) {
    const testing_support::ScopedEnv state("XDG_STATE_HOME", (dir / "state").string());
    const fs::path exports = dir / "exports";
    fs::create_directories(exports);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        runtime::replace_file(exports / "list.xls", std::string(100000, 'x'));
        ::_exit(0);  // not reached: the signal ends the writer
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    ASSERT_EQ(testing_support::file_names(exports).size(), 1u);  // its temporary file

    // Leftovers in the drive folder: a dead writer's of this and of an earlier version; a
    // running writer's (this process) and other files stay.
    fs::create_directories(dir / "drive_c");
    const std::string dead = std::to_string(child), alive = std::to_string(::getpid());
    for (const std::string& name : std::vector<std::string>{
             "tempemployee.JPG.tarvo-" + dead + "-abc123.tmp",
             "tempemployee.JPG.tarvo-" + dead + ".tmp",
             "tempemployee.JPG.tarvo-" + alive + "-abc123.tmp", "notes.tarvo-x.tmp", "plain.tmp"})
        make("drive_c/" + name, pattern(3));

    EXPECT_EQ(runtime::remove_leftover_files({dir / "drive_c"}), 3);
    EXPECT_EQ(testing_support::file_names(exports), std::vector<std::string>{});
    EXPECT_EQ(testing_support::file_names(dir / "drive_c"),
              (std::vector<std::string>{"notes.tarvo-x.tmp", "plain.tmp",
                                        "tempemployee.JPG.tarvo-" + alive + "-abc123.tmp"}));
    EXPECT_EQ(testing_support::file_names(runtime::unfinished_files_folder()),
              std::vector<std::string>{});
}

TEST_F(FilesTest, APreparedProgramOutlivesTheFileSizeLimitAndKeepsTheOldFile) {
    const testing_support::ScopedEnv state("XDG_STATE_HOME", (dir / "state").string());
    const std::string path = make("list.xls", pattern(10));
    const pid_t child = ::fork();
    if (child == 0) {
        runtime::prepare_file_writing({});
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool replaced = runtime::replace_file(path, std::string(100000, 'x'));
        ::_exit(replaced ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_in_passes(path).second, pattern(10));
    EXPECT_EQ(testing_support::file_names(dir.path()),
              (std::vector<std::string>{"list.xls", "state"}));
}

TEST(FilesDefaults, DriveAndStateFoldersFollowTheEnvironment) {
    using testing_support::ScopedEnv;
    const ScopedEnv home("HOME", "/home/u");
    {
        const ScopedEnv drive("TARVO_DRIVE_C", "/tmp/tarvo-drive-test");
        EXPECT_EQ(Files::default_drive_c(), fs::path("/tmp/tarvo-drive-test"));
    }
    const ScopedEnv drive("TARVO_DRIVE_C", std::nullopt);
    {
        const ScopedEnv data("XDG_DATA_HOME", "/tmp/xdg");
        const ScopedEnv state("XDG_STATE_HOME", "/tmp/xdg-state");
        EXPECT_EQ(Files::default_drive_c(), fs::path("/tmp/xdg/tarvo/drive_c"));
        EXPECT_EQ(runtime::unfinished_files_folder(), fs::path("/tmp/xdg-state/tarvo/unfinished"));
    }
    const ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    const ScopedEnv state("XDG_STATE_HOME", std::nullopt);
    EXPECT_EQ(Files::default_drive_c(), fs::path("/home/u/.local/share/tarvo/drive_c"));
    EXPECT_EQ(runtime::unfinished_files_folder(),
              fs::path("/home/u/.local/state/tarvo/unfinished"));
}

}  // namespace
