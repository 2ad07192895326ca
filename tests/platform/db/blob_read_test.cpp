// Connection::read_blob on both databases: PostgreSQL reads a byte block column in pieces,
// and must give exactly what a plain read gives, whatever the statement and the value.
#include <gtest/gtest.h>

#include <optional>

#include "platform/db/connection.h"
#include "platform/db/postgres/pg_blob.h"
#include "platform/db/postgres/pg_stream.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

db::Bytes pattern(std::size_t n, unsigned seed) {
    db::Bytes b(n);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& byte : b) {
        x = x * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    return b;
}

class BlobRead : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        conn = database.connect();
        std::string blob = conn->backend() == db::Backend::sqlite ? "BLOB" : "BYTEA";
        conn->execute("CREATE TABLE b (id INTEGER PRIMARY KEY, name VARCHAR(20), data " + blob +
                      ")");
    }
    void put(int id, const db::Value& data) {
        conn->execute("INSERT INTO b (id, name, data) VALUES (?, ?, ?)",
                      {id, "名" + std::to_string(id), data});
    }
    // read_blob's answer, checked to agree with the first value of a plain read.
    std::optional<db::Bytes> read(const std::string& sql, const db::Params& params = {}) {
        std::optional<db::Bytes> blob = db::Bytes{0xEE};  // must be replaced
        EXPECT_EQ(conn->read_blob(sql, params, blob), 1) << sql;
        return blob;
    }
    TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> conn;
};

TEST_P(BlobRead, BlocksOfEverySizeComeBackByteForByte) {
    // Around the 1 MB piece, several pieces, and a block of more than sixteen pieces' worth
    // of the smallest piece (the pieces then grow).
    const std::size_t MB = 1024 * 1024;
    const std::size_t sizes[] = {1, 1000, MB - 1, MB, MB + 1, 3 * MB + 7, 17 * MB + 3};
    int id = 0;
    for (std::size_t n : sizes) {
        ++id;
        put(id, pattern(n, id));
    }
    put(++id, db::Bytes{});
    put(++id, db::Value());
    id = 0;
    for (std::size_t n : sizes) {
        ++id;
        auto got = read("SELECT data FROM b WHERE id = ?", {id});
        ASSERT_TRUE(got) << n;
        EXPECT_TRUE(*got == pattern(n, id)) << "block of " << n << " bytes differs";
    }
    auto empty = read("SELECT data FROM b WHERE id = ?", {++id});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(read("SELECT data FROM b WHERE id = ?", {++id}));
}

TEST_P(BlobRead, CompressibleBlockOfManyPieces) {
    // The server compresses this one; pieces of it are decompressed from its start.
    db::Bytes zeros(40 * 1024 * 1024, 0);
    zeros.back() = 7;
    put(1, zeros);
    auto got = read("SELECT data FROM b WHERE id = 1");
    ASSERT_TRUE(got);
    EXPECT_TRUE(*got == zeros);
}

TEST_P(BlobRead, RowsFoundAreCounted) {
    put(1, db::Bytes{1});
    put(2, db::Bytes{2});
    std::optional<db::Bytes> blob = db::Bytes{9};
    EXPECT_EQ(conn->read_blob("SELECT data FROM b WHERE id = 99", {}, blob), 0);
    EXPECT_EQ(conn->read_blob("SELECT data FROM b ORDER BY id", {}, blob), 2);
    ASSERT_TRUE(blob);
    EXPECT_EQ(*blob, db::Bytes{9}) << "a failed read left the caller's block alone";
    // The connection serves the next statement after a result left half read.
    EXPECT_EQ(conn->query_all("SELECT count(*) FROM b").rows.at(0).at(0), db::Value(2));
}

TEST_P(BlobRead, StatementsOfAnyShape) {
    put(1, db::Bytes{'a', 0, 'b'});
    const db::Bytes want{'a', 0, 'b'};
    // A trailing semicolon, a trailing comment, several columns, a placeholder in a
    // subquery, a quoted question mark, an expression.
    EXPECT_EQ(read("SELECT data FROM b WHERE id = 1 ; "), want);
    EXPECT_EQ(read("SELECT data FROM b WHERE id = ? -- the photo", {1}), want);
    EXPECT_EQ(read("SELECT data, id, name FROM b WHERE name = ?", {"名1"}), want);
    EXPECT_EQ(read("SELECT data FROM b WHERE id IN (SELECT id FROM b WHERE id = ?)", {1}), want);
    EXPECT_EQ(read("SELECT data FROM b WHERE name <> '?' AND id = ?", {1}), want);
}

TEST_P(BlobRead, ValuesThatAreNoBlockAsTheirText) {
    put(1, db::Bytes{});
    EXPECT_EQ(read("SELECT name FROM b WHERE id = 1"), (db::Bytes{0xE5, 0x90, 0x8D, '1'}));
    EXPECT_EQ(read("SELECT id FROM b WHERE id = 1"), db::Bytes{'1'});
    EXPECT_EQ(read("SELECT 'x\\y'"), (db::Bytes{'x', '\\', 'y'})) << "read literally";
    std::optional<db::Bytes> blob;
    EXPECT_THROW(conn->read_blob("SELECT FROM b", {}, blob), db::Error);
}

TEST_P(BlobRead, ErrorsAreTheStatementsOwnAndLeaveTheTransactionUsable) {
    conn->begin();
    put(1, pattern(2 * 1024 * 1024 + 5, 1));  // not committed: visible to this connection
    std::optional<db::Bytes> blob;
    try {
        conn->read_blob("SELECT data FROM no_such_table", {}, blob);
        ADD_FAILURE() << "read from a missing table";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("no_such_table"), std::string::npos) << e.what();
    }
    EXPECT_EQ(read("SELECT data FROM b WHERE id = 1"), pattern(2 * 1024 * 1024 + 5, 1));
    EXPECT_EQ(read("SELECT id FROM b WHERE id = 1"), db::Bytes{'1'});
    conn->commit();
    EXPECT_EQ(conn->query_all("SELECT count(*) FROM b").rows.at(0).at(0), db::Value(1));
}

INSTANTIATE_TEST_SUITE_P(Db, BlobRead, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

// The pieces are read for a byte block column only; for other columns the caller reads the
// value whole.
TEST(PgPiecesStatement, TakenForByteBlockColumnsOnly) {
    TestDatabase database("postgresql");
    if (!database.available()) GTEST_SKIP() << database.skip_reason();
    database.connect()->execute_script(
        "CREATE TABLE p (id INTEGER PRIMARY KEY, name TEXT, data BYTEA);"
        " INSERT INTO p VALUES (1, 'abc', '\\x010203')");
    PGconn* c = PQconnectdb(database.url().c_str());
    ASSERT_EQ(PQstatus(c), CONNECTION_OK) << PQerrorMessage(c);
    db::pg::Session session(c);
    std::optional<db::Bytes> blob;
    EXPECT_EQ(db::pg::read_blob_in_pieces(session, "SELECT data FROM p", {}, blob), 1);
    EXPECT_EQ(blob, (db::Bytes{1, 2, 3}));
    EXPECT_EQ(db::pg::read_blob_in_pieces(session, "SELECT name FROM p", {}, blob), -1);
    EXPECT_EQ(db::pg::read_blob_in_pieces(session, "SELECT id FROM p", {}, blob), -1);
    EXPECT_EQ(db::pg::read_blob_in_pieces(session, "SHOW server_version", {}, blob), -1);
}

TEST(PgPiecesStatement, KeepsTheStatementOnLinesOfItsOwn) {
    const std::string s = db::pg::pieces_statement("SELECT photo FROM employee -- note;\n ;; ");
    EXPECT_NE(s.find("(\nSELECT photo FROM employee -- note\n) AS q0"), std::string::npos) << s;
}

}  // namespace
