#include "platform/runtime/transaction.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "schema/schema.h"
#include "tests/support/test_db.h"

namespace {

using runtime::Transaction;
using testing_support::TestDatabase;

class Sqlca : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        auto conn = database.connect();
        schema::create(*conn);
        conn->execute("INSERT INTO Employee (eid, ename) VALUES ('E1', '张三'), ('E2', '李四')");
        ASSERT_EQ(sqlca.connect(database.url()), 0) << sqlca.sqlerrtext();
        observer = database.connect();
    }
    std::int64_t count_on_other(const std::string& where) {
        return observer->query_all("SELECT count(*) FROM employee WHERE " + where)
            .rows[0][0]
            .as_integer();
    }

    TestDatabase database{GetParam()};
    Transaction sqlca;
    std::unique_ptr<db::Connection> observer;  // a second user of the same database
};

TEST_P(Sqlca, SingleRowSelectResultCodes) {
    std::vector<db::Value> into;
    EXPECT_EQ(sqlca.select_into("select eid from employee where eid = ?", {"E1"}, into), 0);
    ASSERT_EQ(into.size(), 1u);
    EXPECT_EQ(into[0], db::Value("E1"));
    into.clear();
    EXPECT_EQ(sqlca.select_into("select eid from employee where eid = ?", {"E9"}, into), 100);
    EXPECT_TRUE(into.empty());
    EXPECT_EQ(sqlca.select_into("select eid from employee", {}, into), -1);  // two rows
    EXPECT_EQ(sqlca.select_into("select nope from employee where eid = ?", {"E1"}, into), -1);
    EXPECT_NE(sqlca.sqlerrtext().find("nope"), std::string::npos) << sqlca.sqlerrtext();
    EXPECT_EQ(sqlca.select_into("select eid from employee where eid = ?", {"E2"}, into), 0);
    EXPECT_TRUE(sqlca.sqlerrtext().empty());
}

TEST_P(Sqlca, CountIntoAnInteger) {
    std::int64_t n = -5;
    EXPECT_EQ(sqlca.select_count("select count ( *) from employee where eid = ?", {"E1"}, n), 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(sqlca.select_count("select count(*) from employee where eid = ?", {" E1"}, n), 0);
    EXPECT_EQ(n, 0);
    n = 7;
    EXPECT_EQ(sqlca.select_count("select count(*) from nowhere", {}, n), -1);
    EXPECT_EQ(n, 7);
}

TEST_P(Sqlca, WritesWaitForCommitWithAutocommitOff) {
    EXPECT_FALSE(sqlca.autocommit());
    EXPECT_EQ(sqlca.execute("insert into employee (eid) values (?)", {"E3"}), 0);
    EXPECT_EQ(sqlca.sqlnrows(), 1);
    EXPECT_EQ(count_on_other("eid = 'E3'"), 0);
    EXPECT_EQ(sqlca.execute("delete from employee where eid = ?", {"E1"}), 0);
    EXPECT_EQ(sqlca.rollback(), 0);
    EXPECT_EQ(count_on_other("eid in ('E1', 'E3')"), 1);

    EXPECT_EQ(sqlca.execute("insert into employee (eid) values (?)", {"E4"}), 0);
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(count_on_other("eid = 'E4'"), 1);
}

TEST_P(Sqlca, SwitchingAutocommitOnCommitsWhatIsOpen) {
    sqlca.execute("insert into employee (eid) values (?)", {"E5"});
    EXPECT_EQ(sqlca.set_autocommit(true), 0);
    EXPECT_EQ(count_on_other("eid = 'E5'"), 1);
    sqlca.execute("insert into employee (eid) values (?)", {"E6"});
    EXPECT_EQ(count_on_other("eid = 'E6'"), 1);  // each statement commits by itself
    EXPECT_EQ(sqlca.rollback(), 0);
    EXPECT_EQ(count_on_other("eid = 'E6'"), 1);
}

TEST_P(Sqlca, FailedWriteReportsAndKeepsTheTransaction) {
    sqlca.execute("insert into employee (eid) values (?)", {"E7"});
    EXPECT_EQ(sqlca.execute("insert into employee (eid) values (?)", {"E1"}), -1);  // duplicate
    EXPECT_FALSE(sqlca.sqlerrtext().empty());
    // The earlier write of the same transaction survives and commits.
    std::vector<db::Value> into;
    EXPECT_EQ(sqlca.select_into("select eid from employee where eid = ?", {"E7"}, into), 0);
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(count_on_other("eid = 'E7'"), 1);
}

TEST_P(Sqlca, BlobsRoundTripAndNullIsNoBlob) {
    std::optional<db::Bytes> blob = db::Bytes{1};
    EXPECT_EQ(sqlca.selectblob("select photo from employee where eid = ?", {"E1"}, blob), 0);
    EXPECT_FALSE(blob.has_value());
    db::Bytes photo(100000);
    for (std::size_t i = 0; i < photo.size(); ++i) photo[i] = static_cast<std::uint8_t>(i % 251);
    sqlca.set_autocommit(true);
    EXPECT_EQ(sqlca.updateblob("update employee set photo = ? where eid = ?", photo, {"E1"}), 0);
    EXPECT_EQ(sqlca.sqlnrows(), 1);
    sqlca.set_autocommit(false);
    EXPECT_EQ(sqlca.selectblob("select photo from employee where eid = ?", {"E1"}, blob), 0);
    ASSERT_TRUE(blob.has_value());
    EXPECT_TRUE(*blob == photo);
    EXPECT_EQ(sqlca.selectblob("select photo from employee where eid = ?", {"E9"}, blob), 100);
    EXPECT_EQ(sqlca.updateblob("update employee set photo = ? where eid = ?", {}, {"E9"}), 0);
    EXPECT_EQ(sqlca.sqlnrows(), 0);
}

TEST_P(Sqlca, UnitFailureUndoesOnlyTheUnit) {
    sqlca.execute("insert into employee (eid) values (?)", {"E8"});
    int rc = sqlca.run_unit([](db::Connection& c) {
        c.execute("delete from employee where eid = 'E2'");
        c.execute("insert into employee (eid) values ('E1')");  // fails: duplicate
    });
    EXPECT_EQ(rc, -1);
    EXPECT_FALSE(sqlca.sqlerrtext().empty());
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(count_on_other("eid in ('E2', 'E8')"), 2);

    sqlca.set_autocommit(true);
    EXPECT_EQ(sqlca.run_unit(
                  [](db::Connection& c) { c.execute("delete from employee where eid = 'E2'"); }),
              0);
    EXPECT_EQ(count_on_other("eid = 'E2'"), 0);
}

// Mended: an exception that is no database error ends the unit as a failure does, with
// nothing of it left for a later commit, and is passed on.
TEST_P(Sqlca, UnitEndedByAnotherExceptionIsUndoneAndPassedOn) {
    auto interrupted = [](db::Connection& c) {
        c.execute("delete from employee where eid = 'E2'");
        throw std::runtime_error("interrupted");
    };
    sqlca.execute("insert into employee (eid) values (?)", {"E8"});
    EXPECT_THROW(sqlca.run_unit(interrupted), std::runtime_error);  // inside an open one
    EXPECT_TRUE(sqlca.connection()->in_transaction());
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(count_on_other("eid in ('E2', 'E8')"), 2);

    EXPECT_THROW(sqlca.run_unit(interrupted), std::runtime_error);  // a transaction of its own
    EXPECT_FALSE(sqlca.connection()->in_transaction());
    sqlca.set_autocommit(true);
    EXPECT_THROW(sqlca.run_unit(interrupted), std::runtime_error);
    EXPECT_FALSE(sqlca.connection()->in_transaction());
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(count_on_other("eid = 'E2'"), 1);
}

// Mended: when the commit of switching autocommit on fails, autocommit stays off and the
// caller can roll back; later writes still wait for a commit instead of joining a
// transaction that nobody ends.
TEST_P(Sqlca, FailedCommitOfSwitchingAutocommitOnKeepsItOff) {
    // A child row without its parent breaks a foreign key that is checked at commit.
    observer->execute("CREATE TABLE parent_t (id INTEGER PRIMARY KEY)");
    observer->execute(
        "CREATE TABLE child_t (id INTEGER REFERENCES parent_t (id) DEFERRABLE INITIALLY "
        "DEFERRED)");
    if (database.backend() == db::Backend::sqlite)
        sqlca.connection()->execute("PRAGMA foreign_keys = ON");
    sqlca.execute("insert into employee (eid) values (?)", {"E9"});
    ASSERT_EQ(sqlca.execute("insert into child_t (id) values (?)", {std::int64_t{1}}), 0);
    EXPECT_EQ(sqlca.set_autocommit(true), -1);
    EXPECT_FALSE(sqlca.sqlerrtext().empty());
    EXPECT_FALSE(sqlca.autocommit());
    EXPECT_EQ(sqlca.rollback(), 0);
    EXPECT_EQ(count_on_other("eid = 'E9'"), 0);

    sqlca.execute("insert into employee (eid) values (?)", {"E10"});
    EXPECT_TRUE(sqlca.connection()->in_transaction());
    EXPECT_EQ(count_on_other("eid = 'E10'"), 0);
    EXPECT_EQ(sqlca.set_autocommit(true), 0);
    EXPECT_TRUE(sqlca.autocommit());
    EXPECT_EQ(count_on_other("eid = 'E10'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Db, Sqlca, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

TEST(SqlcaConnect, FailuresGiveCodeAndText) {
    Transaction sqlca;
    std::vector<db::Value> into;
    EXPECT_EQ(sqlca.select_into("select 1", {}, into), -1);
    EXPECT_EQ(sqlca.sqlerrtext(), "数据库未连接");
    EXPECT_EQ(sqlca.execute("delete from employee"), -1);
    EXPECT_EQ(sqlca.commit(), -1);
    EXPECT_EQ(sqlca.connect("sqlite:/nonexistent-dir/x.db"), -1);
    EXPECT_FALSE(sqlca.connected());
    EXPECT_NE(sqlca.sqlerrtext().find("cannot open"), std::string::npos);
    EXPECT_EQ(sqlca.connect("postgresql://u@127.0.0.1:1/x?connect_timeout=2"), -1);
    EXPECT_FALSE(sqlca.sqlerrtext().empty());
}

TEST(SqlcaConnect, LockedDatabaseIsAnErrorNotAHang) {
    testing_support::TempDir dir;
    std::string url = "sqlite:" + (dir / "l.db").string() + "?busy_timeout=20";
    Transaction a, b;
    ASSERT_EQ(a.connect(url), 0);
    ASSERT_EQ(b.connect(url), 0);
    schema::create(*a.connection());
    EXPECT_EQ(a.execute("insert into employee (eid) values (?)", {"E1"}), 0);
    EXPECT_EQ(b.execute("insert into employee (eid) values (?)", {"E2"}), -1);
    EXPECT_NE(b.sqlerrtext().find("locked"), std::string::npos) << b.sqlerrtext();
    EXPECT_EQ(a.commit(), 0);
    EXPECT_EQ(b.execute("insert into employee (eid) values (?)", {"E2"}), 0);
    EXPECT_EQ(b.commit(), 0);
}

}  // namespace
