// The common causes of failures, said in Chinese, from real failures of both databases: a
// value too long, a duplicate key, a wrong type, a read-only database, a lock another user
// holds, a full disk, a lost connection. The database's own text stays after the cause.
#include <gtest/gtest.h>

#include <functional>

#include "platform/db/error_reason.h"
#include "schema/schema.h"
#include "tests/support/faults.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

// What the user is told about the failure of `work`; "" when it did not fail.
std::string told(const std::function<void()>& work) {
    try {
        work();
    } catch (const db::Error& e) {
        const std::string text = db::explain(e);
        EXPECT_NE(text.find(e.what()), std::string::npos) << "the database's own text is kept";
        return text;
    }
    return "";
}

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

class ErrorReasons : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        conn = database.connect();
        schema::create(*conn);
        conn->execute("INSERT INTO Employee (eid, ename) VALUES ('E1', '张三')");
    }
    bool sqlite() const { return database.backend() == db::Backend::sqlite; }

    TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> conn;
};

TEST_P(ErrorReasons, ValuesTheTablesRefuse) {
    const std::string too_long = told([&] {
        conn->execute("UPDATE Employee SET ename = ? WHERE eid = 'E1'", {std::string(51, 'x')});
    });
    EXPECT_TRUE(starts_with(too_long, "值太长")) << too_long;

    const std::string twice =
        told([&] { conn->execute("INSERT INTO Employee (eid, ename) VALUES ('E1', '李四')"); });
    EXPECT_TRUE(starts_with(twice, "数据不符合数据库的约束")) << twice;

    const std::string wrong_type =
        told([&] { conn->execute("INSERT INTO HR_Dept (DeptName, DeptOrder) VALUES ('y', 'x')"); });
    EXPECT_TRUE(starts_with(wrong_type, "值的类型")) << wrong_type;
}

TEST_P(ErrorReasons, AReadOnlyDatabase) {
    std::unique_ptr<db::Connection> reader;
    if (sqlite()) {
        reader = db::connect(database.url() + "?mode=ro");
    } else {
        reader = database.connect();
        reader->execute("SET default_transaction_read_only = on");
    }
    const std::string text =
        told([&] { reader->execute("UPDATE Employee SET ename = 'x' WHERE eid = 'E1'"); });
    EXPECT_TRUE(starts_with(text, "数据库是只读的，不能写入（")) << text;
}

TEST_P(ErrorReasons, ALockAnotherUserHolds) {
    auto holder = database.connect();
    holder->begin();
    holder->execute("UPDATE Employee SET ename = '王五' WHERE eid = 'E1'");
    std::unique_ptr<db::Connection> waiter;
    if (sqlite()) {
        waiter = db::connect(testing_support::impatient(database.url()));
    } else {
        waiter = database.connect();
        waiter->execute("SET lock_timeout = '50ms'");
    }
    const std::string text =
        told([&] { waiter->execute("UPDATE Employee SET ename = 'x' WHERE eid = 'E1'"); });
    EXPECT_TRUE(starts_with(text, "数据库正被其他用户锁定，请稍后再试（")) << text;
    holder->rollback();
}

TEST_P(ErrorReasons, AFullDisk) {
    if (!sqlite()) GTEST_SKIP() << "the server's disk is not this process's";
    std::string text;
    {
        testing_support::FileSizeLimit full(64 * 1024);
        text = told([&] {
            for (int i = 0; i < 1000; ++i)
                conn->execute("INSERT INTO Employee (eid, content) VALUES (?, ?)",
                              {"N" + std::to_string(i), std::string(200, 'x')});
        });
    }
    EXPECT_TRUE(starts_with(text, "磁盘已满（") || starts_with(text, "读写数据库文件出错（"))
        << text;
}

TEST_P(ErrorReasons, ALostConnection) {
    if (sqlite()) GTEST_SKIP() << "a server connection";
    auto killer = database.connect();
    const auto pid = conn->query_all("SELECT pg_backend_pid()").rows[0][0].as_integer();
    conn->begin();  // lost inside a transaction: nothing is replayed
    killer->query_all("SELECT pg_terminate_backend(?)", {pid});
    const std::string text = told([&] { conn->execute("SELECT 1"); });
    EXPECT_TRUE(starts_with(text, "与数据库服务器的连接已断开")) << text;
}

INSTANTIATE_TEST_SUITE_P(Backends, ErrorReasons,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

TEST(ErrorReason, MessagesInChineseAndUnknownCausesAreLeftAsTheyAre) {
    EXPECT_EQ(db::explain(-1, "08003", "数据库未连接"), "数据库未连接");
    EXPECT_EQ(db::explain(0, "P0001", "UPDATE refused"), "UPDATE refused");
    EXPECT_EQ(db::explain(1, "", "no such table: x"), "no such table: x");
    EXPECT_EQ(db::explain(-1, "",
                          "connection to server at \"127.0.0.1\", port 1 failed: Connection "
                          "refused"),
              "无法连接数据库服务器（connection to server at \"127.0.0.1\", port 1 failed: "
              "Connection refused）");
    EXPECT_EQ(db::common_reason(0, "28P01", "password authentication failed for user \"x\""),
              "登录数据库失败（用户名或密码不对）");
}

}  // namespace
