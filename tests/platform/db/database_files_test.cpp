// The files of an open SQLite database are recognised under any name that reaches them, and
// a new database file is for its user alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/db/connection.h"
#include "platform/db/database_files.h"
#include "tests/support/test_db.h"

namespace {

namespace fs = std::filesystem;
using db::is_open_database_file;

class DatabaseFiles : public ::testing::Test {
  protected:
    fs::path file(const std::string& name) const { return dir / name; }
    testing_support::TempDir dir;
};

TEST_F(DatabaseFiles, EveryFileOfAnOpenDatabaseIsKnownByWhatItIsNotByItsName) {
    EXPECT_FALSE(is_open_database_file(file("t.db")));
    {
        auto conn = db::connect("sqlite:" + file("t.db").string());
        conn->execute_script("CREATE TABLE x (a); INSERT INTO x VALUES (1)");
        ASSERT_TRUE(fs::exists(file("t.db-wal")));
        for (const char* name : {"t.db", "t.db-wal", "t.db-shm", "t.db-journal"})
            EXPECT_TRUE(is_open_database_file(file(name))) << name;  // -journal: not there yet
        EXPECT_FALSE(is_open_database_file(file("t.dbx")));
        EXPECT_FALSE(is_open_database_file(file("photo.jpg")));
        EXPECT_FALSE(is_open_database_file(""));

        // Other names that reach the same files: links, another spelling, a linked folder.
        fs::create_hard_link(file("t.db"), file("copy.jpg"));
        fs::create_symlink(file("t.db-wal"), file("wal.jpg"));
        fs::create_directory_symlink(dir.path(), file("via"));
        EXPECT_TRUE(is_open_database_file(file("copy.jpg")));
        EXPECT_TRUE(is_open_database_file(file("wal.jpg")));
        EXPECT_TRUE(is_open_database_file(file("via") / "t.db"));
        EXPECT_TRUE(is_open_database_file(file("via") / "t.db-journal"));
        EXPECT_TRUE(is_open_database_file(dir.path() / "." / "t.db-shm"));
        EXPECT_FALSE(is_open_database_file(file("via") / "other.db"));

        // Two connections to one file: the file stays known while either is open.
        auto second = db::connect("sqlite:" + file("t.db").string());
        conn.reset();
        EXPECT_TRUE(is_open_database_file(file("t.db")));
    }
    EXPECT_FALSE(is_open_database_file(file("t.db")));
    EXPECT_FALSE(is_open_database_file(file("copy.jpg")));
}

TEST_F(DatabaseFiles, InMemoryDatabasesHaveNoFiles) {
    auto conn = db::connect("sqlite::memory:");
    EXPECT_FALSE(is_open_database_file(":memory:"));
    EXPECT_FALSE(is_open_database_file(file("t.db")));
}

TEST_F(DatabaseFiles, ANewDatabaseAndItsLogAreForTheirUserAlone) {
    const mode_t old_mask = ::umask(022);
    {
        auto conn = db::connect("sqlite:" + file("new.db").string());
        conn->execute_script("CREATE TABLE x (a)");
    }
    ::umask(old_mask);
    const auto mode = [&](const char* name) {
        return fs::status(file(name)).permissions() & fs::perms::all;
    };
    EXPECT_EQ(mode("new.db"), fs::perms::owner_read | fs::perms::owner_write);

    // An existing database keeps the mode its owner gave it.
    fs::permissions(file("new.db"), fs::perms::group_read, fs::perm_options::add);
    auto conn = db::connect("sqlite:" + file("new.db").string());
    conn->execute_script("INSERT INTO x VALUES (1)");
    EXPECT_EQ(mode("new.db"),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(mode("new.db-wal"), mode("new.db"));
}

}  // namespace
