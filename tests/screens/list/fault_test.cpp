// The list when things go wrong: another user holding the lock of the SQLite file during a
// search and an export, an audit line whose commit fails, a disk that fills while
// exporting. Nothing committed is lost, nothing half-written is left, the user is told.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/screens/list/list_fixture.h"
#include "tests/support/faults.h"

namespace list_test {
namespace {

using Texts = std::vector<std::string>;

class ListFaults : public ListTest {
  protected:
    void SetUp() override {
        ListTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::filesystem::create_directory(out);
    }
    // SQLite only: sqlca waits briefly for a lock, so a locked file fails fast.
    bool sqlite_with_short_wait() {
        if (database.backend() != db::Backend::sqlite) return false;
        EXPECT_EQ(h.sqlca.connect(testing_support::impatient(database.url())), 0);
        return true;
    }
    std::int64_t audit_count() {
        return other->query_all("SELECT count(*) FROM Syslog").rows[0][0].as_integer();
    }
    std::string read_file(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void export_to(const std::filesystem::path& path) {
        ui.queue(runtime::Answer::file(path.string()));
        press("cb_2");
    }

    const std::filesystem::path out = dir / "out";
};

TEST_P(ListFaults, SearchWhileAnotherUserHoldsTheWriteLockShowsWhatIsCommitted) {
    if (!sqlite_with_short_wait()) GTEST_SKIP() << "a lock of the SQLite file";
    testing_support::SqliteLock lock(database.url());
    lock.connection().execute("INSERT INTO Employee (eid, ename) VALUES ('99', '未提交')");
    lock.connection().execute("DELETE FROM Employee WHERE eid = '10'");
    search("", "");
    EXPECT_TRUE(ui.prompts().empty());
    EXPECT_EQ(numbers(), (std::vector<std::string>{"T\t9", "E12  ", "9", "12", "112", "10"}));
    EXPECT_EQ(li_rowcount(), 6);

    lock.connection().commit();  // once committed, the next search shows it
    search("", "");
    EXPECT_EQ(numbers(), (std::vector<std::string>{"T\t9", "E12  ", "99", "9", "12", "112"}));
}

// The file is written, the audit line is not: the user hears both, in that order.
TEST_P(ListFaults, ExportWhileTheFileIsLockedTellsThatTheAuditLineIsMissing) {
    if (!sqlite_with_short_wait()) GTEST_SKIP() << "a lock of the SQLite file";
    search("", "");
    testing_support::SqliteLock lock(database.url());
    export_to(out / "a.xls");
    const Texts texts = prompt_texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "info:导出成功" + (out / "a.xls").string());
    EXPECT_EQ(
        texts[2],
        "error:导出记录未能写入日志：数据库正被其他用户锁定，请稍后再试（database is locked）");
    EXPECT_EQ(read_file(out / "a.xls").substr(0, 4), "No.\t");
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());

    lock.release();
    EXPECT_EQ(audit_count(), 0);
    export_to(out / "b.xls");
    EXPECT_EQ(prompts("error").size(), 1u);
    EXPECT_EQ(audit_count(), 1);
}

TEST_P(ListFaults, FailedCommitOfTheAuditLineIsTold) {
    // Syslog again, with a foreign key checked at commit that no user name satisfies.
    other->execute("DROP TABLE Syslog");
    other->execute("CREATE TABLE known_user (name VARCHAR(50) PRIMARY KEY)");
    other->execute(
        "CREATE TABLE Syslog (l_id INTEGER, l_user VARCHAR(50) REFERENCES known_user (name) "
        "DEFERRABLE INITIALLY DEFERRED, l_work VARCHAR(255))");
    if (database.backend() == db::Backend::sqlite)
        h.sqlca.connection()->execute("PRAGMA foreign_keys = ON");
    export_to(out / "a.xls");
    const Texts texts = prompt_texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "info:导出成功" + (out / "a.xls").string());
    EXPECT_EQ(texts[2].rfind("error:导出记录未能写入日志：", 0), 0u) << texts[2];
    EXPECT_GT(texts[2].size(), std::string("error:导出记录未能写入日志：").size());
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());
    EXPECT_EQ(audit_count(), 0);

    other->execute("INSERT INTO known_user (name) VALUES ('admin')");
    export_to(out / "b.xls");
    EXPECT_EQ(prompts("error").size(), 1u);
    EXPECT_EQ(audit_count(), 1);
}

// Mended: the export used to truncate the file it replaced and remove it on failure.
TEST_P(ListFaults, DiskThatFillsWhileExportingKeepsTheOldFileAndWritesNoAuditLine) {
    for (int i = 0; i < 300; ++i)
        other->execute("INSERT INTO Employee (eid, ename, content) VALUES (?, ?, ?)",
                       {"N" + std::to_string(i), "新员工", std::string(200, 'x')});
    if (database.backend() == db::Backend::sqlite)  // the audit line alone would fit
        other->execute_script("PRAGMA wal_checkpoint(TRUNCATE)");
    search("", "");
    const auto path = out / "员工.xls";
    std::ofstream(path, std::ios::binary) << "上周的导出";
    constexpr rlim_t kRoom = 64 * 1024;
    {
        testing_support::FileSizeLimit full(kRoom);
        export_to(path);
    }
    EXPECT_EQ(prompt_texts(),
              (Texts{"save:EXCEL表格(.xls),*.xls,Excel 工作簿(*.xlsx),*.xlsx", "error:导出失败"}));
    EXPECT_EQ(read_file(path), "上周的导出");
    EXPECT_EQ(testing_support::file_names(out), Texts{"员工.xls"});
    EXPECT_EQ(audit_count(), 0);
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());

    export_to(path);  // with room on the disk
    EXPECT_GT(read_file(path).size(), kRoom);
    EXPECT_EQ(testing_support::file_names(out), Texts{"员工.xls"});
    EXPECT_EQ(audit_count(), 1);
}

// The open database's files are no export targets, under any name: overwriting one (or
// opening it) would cost the program its locks and other users their saves.
TEST_P(ListFaults, TheOpenDatabaseIsNoExportTarget) {
    if (database.backend() != db::Backend::sqlite) GTEST_SKIP() << "a SQLite file";
    search("", "");
    const std::filesystem::path file = database.url().substr(7);
    std::filesystem::create_hard_link(file, out / "list.xls");
    const auto size = std::filesystem::file_size(file);
    for (const auto& target :
         {file, std::filesystem::path(file.string() + "-journal"), out / "list.xls"}) {
        ui.clear_prompts();
        export_to(target);
        EXPECT_EQ(prompt_texts(),
                  (Texts{"save:EXCEL表格(.xls),*.xls,Excel 工作簿(*.xlsx),*.xlsx",
                         "error:这是正在使用的数据库文件，不能导出到该文件：" + target.string()}));
    }
    EXPECT_EQ(std::filesystem::file_size(file), size);
    EXPECT_FALSE(std::filesystem::exists(file.string() + "-journal"));
    EXPECT_EQ(audit_count(), 0);
    search("", "");  // the database works on
    EXPECT_TRUE(prompts("db-error").empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ListFaults,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace list_test
