// The PostgreSQL session: quoted text read literally whatever the settings, values in their
// binary forms, and connections lost to the server.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/db/connection.h"
#include "tests/support/silent_server.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

class PgSession : public ::testing::Test {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        conn = database.connect();
        conn->execute("CREATE TABLE dept (id INTEGER PRIMARY KEY, name TEXT, ord INTEGER)");
        conn->execute("INSERT INTO dept VALUES (1, 'a', 1), (2, 'b', 2)");
    }
    std::string url_with(const std::string& option) const {
        return database.url() + "%20-c" + option;
    }
    // The statement the data component builds for a name that ends in a backslash.
    static void inject(db::Connection& c) {
        c.execute("UPDATE dept SET name = '\\'',ord=999 --' WHERE id = 1");
    }
    void expect_untouched_but_row_one() {
        auto r = conn->query_all("SELECT id, name, ord FROM dept ORDER BY id");
        ASSERT_EQ(r.rows.size(), 2u);
        EXPECT_EQ(r.rows[0][1], db::Value("\\',ord=999 --"));
        EXPECT_EQ(r.rows[0][2], db::Value(1));
        EXPECT_EQ(r.rows[1][1], db::Value("b"));
        EXPECT_EQ(r.rows[1][2], db::Value(2));
    }
    static std::string setting(db::Connection& c) {
        return c.query_all("SHOW standard_conforming_strings").rows.at(0).at(0).as_text();
    }
    // Ends the server process of `victim` from another connection, and waits until it is
    // gone.
    void terminate(db::Connection& victim) {
        auto pid = victim.query_all("SELECT pg_backend_pid()").rows.at(0).at(0);
        auto admin = db::connect(testing_support::postgres_url());
        admin->query_all("SELECT pg_terminate_backend(?)", {pid});
        for (int i = 0; i < 500; ++i) {
            auto n = admin->query_all("SELECT count(*) FROM pg_stat_activity WHERE pid = ?", {pid});
            if (n.rows.at(0).at(0) == db::Value(0)) return;
            usleep(10000);
        }
        FAIL() << "the server process did not end";
    }

    TestDatabase database{"postgresql"};
    std::unique_ptr<db::Connection> conn;
};

TEST_F(PgSession, QuotedTextStaysLiteralWhateverTheUrlSays) {
    auto off = db::connect(url_with("standard_conforming_strings%3Doff"));
    EXPECT_EQ(setting(*off), "on");
    inject(*off);
    expect_untouched_but_row_one();
}

TEST_F(PgSession, QuotedTextStaysLiteralWhateverTheDatabaseOrRoleSay) {
    const std::string base = testing_support::postgres_url();
    const std::string name = "tarvo_scs_" + std::to_string(getpid());
    auto admin = db::connect(base);
    admin->execute("DROP DATABASE IF EXISTS " + name);
    admin->execute("CREATE DATABASE " + name);
    admin->execute("ALTER DATABASE " + name + " SET standard_conforming_strings = off");
    admin->execute("DROP ROLE IF EXISTS " + name);
    admin->execute("CREATE ROLE " + name + " LOGIN SUPERUSER");
    admin->execute("ALTER ROLE " + name + " SET standard_conforming_strings = off");
    {
        const auto at = base.rfind('/');
        auto by_db = db::connect(base.substr(0, at + 1) + name);
        EXPECT_EQ(setting(*by_db), "on");
        std::string by_role_url = base;
        by_role_url.replace(by_role_url.find("postgres@"), 8, name);
        by_role_url +=
            "?options=-csearch_path%3D" + database.url().substr(database.url().rfind("%3D") + 3);
        auto by_role = db::connect(by_role_url);
        EXPECT_EQ(setting(*by_role), "on");
        inject(*by_role);
        expect_untouched_but_row_one();
    }
    admin->execute("DROP DATABASE " + name);
    admin->execute("DROP ROLE " + name);
}

TEST_F(PgSession, AStatementCannotTurnLiteralTextOff) {
    conn->execute("SET standard_conforming_strings = off");
    inject(*conn);
    expect_untouched_but_row_one();
    conn->execute_script("SET standard_conforming_strings = off");
    conn->execute_script("UPDATE dept SET name = '\\' WHERE id = 2");
    EXPECT_EQ(conn->query_all("SELECT name FROM dept WHERE id = 2").rows.at(0).at(0),
              db::Value("\\"));
    // Inside a transaction the setting is turned back on too, and a savepoint rolled back
    // to does not turn it off again.
    conn->begin();
    conn->savepoint("s");
    conn->execute("SET LOCAL standard_conforming_strings = off");
    conn->rollback_to("s");
    inject(*conn);
    conn->commit();
    EXPECT_EQ(setting(*conn), "on");
}

TEST_F(PgSession, ValuesReadInTheirServerForms) {
    auto c = conn->query(
        "SELECT 12.50::numeric, -0.0001::numeric, 123456789012.5::numeric, 0.1::float8,"
        " 1e-5::float8, 2.5::real, true, DATE '2024-02-29', TIMESTAMP '1999-12-31 23:59:58.25',"
        " '6ba7b810-9dad-11d1-80b4-00c04fd430c8'::uuid, '{\"a\": 1}'::jsonb, 'x'::varchar,"
        " 32767::smallint, -5::bigint, DATE '1960-01-02'");
    ASSERT_TRUE(c->next());
    const char* texts[] = {"12.50",
                           "-0.0001",
                           "123456789012.5",
                           "0.1",
                           "1e-05",
                           "2.5",
                           "t",
                           "2024-02-29",
                           "1999-12-31 23:59:58.25",
                           "6ba7b810-9dad-11d1-80b4-00c04fd430c8",
                           "{\"a\": 1}",
                           "x",
                           "32767",
                           "-5",
                           "1960-01-02"};
    for (std::size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(c->text(i), texts[i]) << i;
    EXPECT_EQ(c->value(0), db::Value(12.5));
    EXPECT_EQ(c->value(6), db::Value(1));
    EXPECT_EQ(c->value(8), db::Value(db::DateTime{1999, 12, 31, 23, 59, 58}));
    EXPECT_EQ(c->value(14), db::Value(db::DateTime{1960, 1, 2, 0, 0, 0}));
    EXPECT_EQ(c->value(13), db::Value(-5));
}

TEST_F(PgSession, TimestampsWithAZoneReadInTheSessionsZone) {
    conn->execute("SET TIME ZONE 'Asia/Shanghai'");
    auto c = conn->query("SELECT TIMESTAMPTZ '2024-03-01 10:00:00+00'");
    ASSERT_TRUE(c->next());
    EXPECT_EQ(c->text(0), "2024-03-01 18:00:00+08");
    EXPECT_EQ(c->value(0), db::Value(db::DateTime{2024, 3, 1, 18, 0, 0}));
}

TEST_F(PgSession, TypesWithoutAReaderFailClearly) {
    try {
        conn->query_all("SELECT INTERVAL '1 day' AS span");
        ADD_FAILURE() << "an interval was read";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("span"), std::string::npos) << e.what();
    }
    EXPECT_EQ(conn->query_all("SELECT CAST(INTERVAL '1 day' AS text)").rows.at(0).at(0),
              db::Value("1 day"));
}

TEST_F(PgSession, ALostConnectionOpensAgainForTheNextStatement) {
    terminate(*conn);
    EXPECT_EQ(conn->execute("UPDATE dept SET ord = 5 WHERE id = 2"), 1);
    EXPECT_EQ(setting(*conn), "on");  // the new connection gets the same settings
    // Lost in the middle of a statement: said so, and the next statement works.
    try {
        conn->query_all("SELECT pg_terminate_backend(pg_backend_pid())");
        ADD_FAILURE() << "the statement survived its connection";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.sqlstate(), "08006");
        EXPECT_NE(std::string(e.what()).find("连接已断开"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(conn->in_transaction());
    EXPECT_EQ(conn->query_all("SELECT ord FROM dept WHERE id = 2").rows.at(0).at(0), db::Value(5));
}

// The server stops answering while a program is connected through `relay`: reconnecting
// gives up after the URL's wait instead of hanging.
TEST_F(PgSession, AReconnectionToAServerThatNoLongerAnswersGivesUp) {
    const std::string url = database.url();
    const auto port_at = url.find("127.0.0.1:") + 10;
    const auto port_end = url.find('/', port_at);
    testing_support::SilentServer relay(std::stoi(url.substr(port_at, port_end - port_at)));
    // A short wait of its own: reconnecting keeps the settings of the first connection.
    const std::string relayed =
        url.substr(0, port_at) + std::to_string(relay.port()) + url.substr(port_end);
    auto through = db::connect(relayed + (relayed.find('?') == std::string::npos ? "?" : "&") +
                               "connect_timeout=2");
    EXPECT_EQ(through->query_all("SELECT ord FROM dept WHERE id = 2").rows.at(0).at(0),
              db::Value(2));
    relay.go_silent();
    // The loss is noticed by the first statement or on sending it; the one after it
    // reconnects at the latest.
    std::string failure;
    for (int attempt = 0; attempt < 2 && failure.find("重新连接失败") == std::string::npos;
         ++attempt) {
        try {
            through->query_all("SELECT 1");
        } catch (const db::Error& e) {
            failure = e.what();
        }
    }
    EXPECT_NE(failure.find("重新连接失败"), std::string::npos) << failure;
    EXPECT_NE(failure.find("timeout expired"), std::string::npos) << failure;
}

TEST_F(PgSession, ATransactionLostWithItsConnectionIsNotReplayed) {
    conn->begin();
    conn->execute("UPDATE dept SET ord = 7 WHERE id = 1");
    terminate(*conn);
    try {
        conn->execute("UPDATE dept SET ord = 8 WHERE id = 2");
        ADD_FAILURE() << "a statement ran in a lost transaction";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.sqlstate(), "08006");
        EXPECT_NE(std::string(e.what()).find("事务已丢失"), std::string::npos) << e.what();
    }
    // Until it is rolled back the transaction stays lost: nothing runs, nothing commits.
    EXPECT_TRUE(conn->in_transaction());
    EXPECT_THROW(conn->execute("UPDATE dept SET ord = 9 WHERE id = 2"), db::Error);
    EXPECT_THROW(conn->commit(), db::Error);
    conn->rollback();
    EXPECT_FALSE(conn->in_transaction());
    auto r = conn->query_all("SELECT ord FROM dept ORDER BY id");
    EXPECT_EQ(r.rows.at(0).at(0), db::Value(1));
    EXPECT_EQ(r.rows.at(1).at(0), db::Value(2));
    // Lost inside a statement of a transaction: the same.
    conn->begin();
    EXPECT_THROW(conn->query_all("SELECT pg_terminate_backend(pg_backend_pid())"), db::Error);
    EXPECT_TRUE(conn->in_transaction());
    EXPECT_THROW(conn->commit(), db::Error);
    conn->rollback();
    EXPECT_EQ(conn->execute("UPDATE dept SET ord = 3 WHERE id = 1"), 1);
}

}  // namespace
