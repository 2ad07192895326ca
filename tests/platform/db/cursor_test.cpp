// Cursors over large results on both databases: rows read as they arrive, several cursors
// open on one connection, failures part-way through a result, cursors abandoned early.
#include <gtest/gtest.h>

#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

class Cursors : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        conn = database.connect();
        conn->execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20))");
    }
    bool pg() const { return conn->backend() == db::Backend::postgresql; }

    // The numbers 1 to n as column i, with `expr` (over i) as a second column.
    std::string numbers(int n, const std::string& expr = "i") const {
        if (pg())
            return "SELECT i, " + expr + " AS v FROM generate_series(1, " + std::to_string(n) +
                   ") AS i";
        return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
               std::to_string(n) + ") SELECT i, " + expr + " AS v FROM n";
    }
    // An expression that fails at i = 500 and not before.
    std::string fails_at_500() const {
        return pg() ? "1 / (i - 500)" : "abs(i - 500 + (-9223372036854775807 - 1))";
    }
    std::int64_t count() {
        return conn->query_all("SELECT count(*) FROM t").rows[0][0].as_integer();
    }

    TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> conn;
};

TEST_P(Cursors, AFailurePartWayThroughComesAfterTheRowsBeforeIt) {
    conn->begin();
    conn->execute("INSERT INTO t (id) VALUES (1)");
    auto c = conn->query(numbers(1000, fails_at_500()));  // the statement itself is sound
    int rows = 0;
    try {
        while (c->next()) ++rows;
        FAIL() << "row 500 fails";
    } catch (const db::Error& e) {
        if (pg()) {
            EXPECT_EQ(e.sqlstate(), "22012") << e.what();  // division by zero
        } else {
            EXPECT_NE(std::string(e.what()).find("overflow"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(rows, 499);
    EXPECT_FALSE(c->next());  // the failure is reported once, the statement not started over
    c.reset();
    // The open transaction survives the failed read, with the write made before it.
    EXPECT_TRUE(conn->in_transaction());
    conn->execute("INSERT INTO t (id) VALUES (2)");
    conn->commit();
    EXPECT_EQ(count(), 2);
}

TEST_P(Cursors, OtherStatementsRunWhileACursorIsPartWayThrough) {
    for (bool in_transaction : {false, true}) {
        SCOPED_TRACE(in_transaction ? "in a transaction" : "autocommit");
        conn->execute("DELETE FROM t");
        if (in_transaction) conn->begin();
        auto outer = conn->query(numbers(3000));
        int seen = 0;
        for (; seen < 10 && outer->next(); ++seen) EXPECT_EQ(outer->value(0), db::Value(seen + 1));
        // The current row stays readable across other statements.
        conn->execute("INSERT INTO t (id, name) VALUES (?, ?)", {1, "甲"});
        auto inner = conn->query("SELECT name FROM t WHERE id = ?", {1});
        ASSERT_TRUE(inner->next());
        EXPECT_EQ(inner->text(0), "甲");
        EXPECT_EQ(outer->value(0), db::Value(10));
        EXPECT_EQ(in_transaction, conn->in_transaction());
        while (outer->next()) {
            ++seen;
            ASSERT_EQ(outer->value(1), db::Value(seen));
        }
        EXPECT_EQ(seen, 3000);
        EXPECT_FALSE(inner->next());
        if (in_transaction) conn->commit();
        EXPECT_EQ(count(), 1);
    }
}

TEST_P(Cursors, AnAbandonedCursorFreesTheConnection) {
    conn->begin();
    conn->execute("INSERT INTO t (id) VALUES (1)");
    {
        auto c = conn->query(numbers(100000, "'some text ' || i"));
        ASSERT_TRUE(c->next());
        EXPECT_EQ(c->text(1), "some text 1");
    }
    conn->execute("INSERT INTO t (id) VALUES (2)");
    conn->commit();
    EXPECT_FALSE(conn->in_transaction());
    EXPECT_EQ(count(), 2);
    // Several cursors dropped in any order leave nothing behind either.
    auto a = conn->query(numbers(500));
    auto b = conn->query(numbers(500));
    ASSERT_TRUE(a->next());
    ASSERT_TRUE(b->next());
    a.reset();
    while (b->next()) {
    }
    b.reset();
    EXPECT_EQ(count(), 2);
}

TEST_P(Cursors, ViewsPointIntoTheCurrentRow) {
    conn->execute("INSERT INTO t (id, name) VALUES (1, '张三'), (2, NULL)");
    auto c = conn->query("SELECT id, name FROM t ORDER BY id");
    ASSERT_TRUE(c->next());
    db::ValueView id = c->view(0), name = c->view(1);
    EXPECT_EQ(id.kind, db::ValueView::Kind::integer);
    EXPECT_EQ(id.integer, 1);
    EXPECT_EQ(name.kind, db::ValueView::Kind::text);
    EXPECT_EQ(name.data, "张三");
    ASSERT_TRUE(c->next());
    EXPECT_EQ(c->view(1).kind, db::ValueView::Kind::null);
    EXPECT_TRUE(c->value(1).is_null());
    EXPECT_FALSE(c->next());
}

// The rows behind a recordset: a static cursor's count and rows, and a page read forward,
// each cost one statement on PostgreSQL (no cursor declared, moved, fetched and closed); the
// count of a forward read is a statement of its own, asked only when wanted.
TEST_P(Cursors, RowSourcesReadInOneStatement) {
    const std::string sql = numbers(1000, "'n' || i") + " ORDER BY i";
    auto sent = [&, before = conn->round_trips()]() mutable {
        const auto n = conn->round_trips() - before;
        before = conn->round_trips();
        return n;
    };
    auto counted = conn->dialect().open_rows(*conn, sql, db::Reading::counted);
    EXPECT_EQ(counted->count(), 1000);
    ASSERT_TRUE(counted->seek(999));
    EXPECT_EQ(counted->row().value(0), db::Value(1000));
    EXPECT_EQ(sent(), pg() ? 1 : 2);  // SQLite counts with COUNT(*), from an index
    ASSERT_TRUE(counted->seek(2));    // back: the statement again
    EXPECT_EQ(counted->row().value(1), db::Value("n3"));
    EXPECT_FALSE(counted->seek(1000));
    counted.reset();
    sent();

    auto page = conn->dialect().open_rows(*conn, sql + " LIMIT 10 OFFSET 20", db::Reading::forward);
    int rows = 0;
    for (int i = 0; page->seek(i); ++i) ++rows;
    EXPECT_EQ(rows, 10);
    EXPECT_EQ(sent(), 1);
    EXPECT_EQ(page->count(), 10);
    EXPECT_EQ(sent(), 1);
}

INSTANTIATE_TEST_SUITE_P(Db, Cursors, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

TEST(PostgresCursor, AConnectionClosedUnderACursorEndsItWithAnError) {
    TestDatabase database("postgresql");
    TARVO_REQUIRE_DB(database);
    auto conn = database.connect();
    auto c = conn->query("SELECT i FROM generate_series(1, 100000) AS i");
    ASSERT_TRUE(c->next());
    conn.reset();
    EXPECT_THROW(
        {
            while (c->next()) {
            }
        },
        db::Error);
}

TEST(PostgresCursor, AStatementThatFailsAtOnceFailsTheQuery) {
    TestDatabase database("postgresql");
    TARVO_REQUIRE_DB(database);
    auto conn = database.connect();
    conn->begin();
    EXPECT_THROW(conn->query("SELECT 1 / 0"), db::Error);
    EXPECT_THROW(conn->query("SELECT nothing FROM nowhere"), db::Error);
    EXPECT_EQ(conn->query_all("SELECT 2").rows[0][0], db::Value(2));  // still usable
    conn->commit();
}

}  // namespace
