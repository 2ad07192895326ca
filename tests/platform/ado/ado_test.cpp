#include <gtest/gtest.h>

#include "platform/ado/ado.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/db/dialect.h"
#include "tests/platform/ado/ado_fixture.h"
#include "tests/platform/com/automation_client.h"
#include "tests/support/row_fetch.h"
#include "tests/support/silent_server.h"

using namespace com;
using testing_support::call;
using testing_support::get;
using testing_support::text;

namespace {

class AdoTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        auto db = database.connect();
        db->execute("CREATE TABLE people (id INTEGER, name VARCHAR(50), born VARCHAR(20))");
        for (int i = 1; i <= 25; ++i)
            db->execute("INSERT INTO people VALUES (?, ?, ?)",
                        {i, "人" + std::to_string(i), i % 5 == 0 ? db::Value() : db::Value("x")});
        ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
        auto cs = text(testing_support::ado_connection_string(database.url()));
        ASSERT_EQ(call(conn.get(), u"Open", {*cs}).hr, S_OK);
    }

    // A recordset opened by dispatch, as a client script does.
    Ptr<IDispatch> open(const std::string& sql) {
        Ptr<IDispatch> rs;
        EXPECT_EQ(CreateObject("ADODB.Recordset", rs.out()), S_OK);
        auto source = text(sql);
        Variant active = Variant::adopt(var_dispatch(conn.get()));
        auto r = call(rs.get(), u"Open", {*source, *active, var_i4(3), var_i4(-1), var_i4(-1)});
        EXPECT_EQ(r.hr, S_OK) << r.description;
        return rs;
    }

    static Variant field(IDispatch* rs, LONG i, const char16_t* what) {
        auto fields = get(rs, u"Fields");
        auto item = get(fields.value->pdispVal, u"Item", {var_i4(i)});
        EXPECT_EQ(item.hr, S_OK) << item.description;
        return get(item.value->pdispVal, what).value;
    }

    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    testing_support::TestDatabase database{GetParam()};
    Ptr<IDispatch> conn;
};

TEST_P(AdoTest, ExecuteRunsAStatementAndCountsItsRows) {
    Variant affected;
    auto sql = text("UPDATE people SET born = 'y' WHERE id <= 3");
    auto r = call(conn.get(), u"Execute", {*sql, var_ref(affected.get()), var_i4(-1)});
    ASSERT_EQ(r.hr, S_OK) << r.description;
    EXPECT_EQ(affected->lVal, 3);
    // Without a row-returning statement the recordset handed back is closed.
    auto state = get(r.value->pdispVal, u"State");
    EXPECT_EQ(state.value->lVal, ado::adStateClosed);
    // RecordsAffected and Options may be left out.
    auto del = text("DELETE FROM people WHERE id = 25");
    EXPECT_EQ(call(conn.get(), u"Execute", {*del}).hr, S_OK);
}

TEST_P(AdoTest, StaticCursorWalksRowsWithNamesAndValues) {
    auto rs = open("SELECT id, name, born FROM people WHERE id <= 5 ORDER BY id");
    EXPECT_EQ(get(rs.get(), u"RecordCount").value->lVal, 5);
    auto fields = get(rs.get(), u"Fields");
    EXPECT_EQ(get(fields.value->pdispVal, u"Count").value->lVal, 3);
    EXPECT_EQ(bstr_utf8(field(rs.get(), 1, u"Name")->bstrVal), "name");
    for (int i = 1; i <= 5; ++i) {
        ASSERT_EQ(get(rs.get(), u"EOF").value->boolVal, VARIANT_FALSE);
        Variant id = field(rs.get(), 0, u"Value");
        EXPECT_EQ(id->vt, VT_I4);
        EXPECT_EQ(id->lVal, i);
        EXPECT_EQ(bstr_utf8(field(rs.get(), 1, u"Value")->bstrVal), "人" + std::to_string(i));
        EXPECT_EQ(field(rs.get(), 2, u"Value")->vt, i == 5 ? VT_NULL : VT_BSTR);
        ASSERT_EQ(call(rs.get(), u"MoveNext", {}).hr, S_OK);
    }
    EXPECT_EQ(get(rs.get(), u"EOF").value->boolVal, VARIANT_TRUE);
    auto past = call(rs.get(), u"MoveNext", {});
    EXPECT_EQ(past.scode, ado::E_ADO_NO_CURRENT_ROW);
    EXPECT_EQ(call(rs.get(), u"Close", {}).hr, S_OK);
    EXPECT_EQ(get(rs.get(), u"RecordCount").scode, ado::E_ADO_CLOSED);
}

TEST_P(AdoTest, PagesStartWhereAbsolutePageSaysAndEmptyResultsAreAtEof) {
    auto rs = open("SELECT id FROM people ORDER BY id");
    ASSERT_EQ(testing_support::put(rs.get(), u"PageSize", var_i4(10)), S_OK);
    ASSERT_EQ(testing_support::put(rs.get(), u"AbsolutePage", var_i4(3)), S_OK);
    EXPECT_EQ(get(rs.get(), u"AbsolutePage").value->lVal, 3);
    for (int id = 21; id <= 25; ++id) {
        EXPECT_EQ(field(rs.get(), 0, u"Value")->lVal, id);
        call(rs.get(), u"MoveNext", {});
    }
    EXPECT_EQ(get(rs.get(), u"EOF").value->boolVal, VARIANT_TRUE);
    // Going back to an earlier page reads it again.
    ASSERT_EQ(testing_support::put(rs.get(), u"AbsolutePage", var_i4(1)), S_OK);
    EXPECT_EQ(field(rs.get(), 0, u"Value")->lVal, 1);
    ASSERT_EQ(testing_support::put(rs.get(), u"AbsolutePage", var_i4(4)), S_OK);
    EXPECT_EQ(get(rs.get(), u"EOF").value->boolVal, VARIANT_TRUE);
    EXPECT_NE(testing_support::put(rs.get(), u"AbsolutePage", var_i4(0)), S_OK);
    EXPECT_NE(testing_support::put(rs.get(), u"PageSize", var_i4(0)), S_OK);

    auto none = open("SELECT id FROM people WHERE id < 0");
    EXPECT_EQ(get(none.get(), u"EOF").value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(get(none.get(), u"RecordCount").value->lVal, 0);
    EXPECT_EQ(get(get(none.get(), u"Fields").value->pdispVal, u"Count").value->lVal, 1);
}

TEST_P(AdoTest, CursorsStayUsableWhileOtherStatementsRun) {
    auto outer = open("SELECT id FROM people WHERE id <= 3 ORDER BY id ");
    auto inner = open("SELECT name FROM people WHERE id = 2");
    auto del = text("DELETE FROM people WHERE id = 20");
    EXPECT_EQ(call(conn.get(), u"Execute", {*del}).hr, S_OK);
    EXPECT_EQ(bstr_utf8(field(inner.get(), 0, u"Value")->bstrVal), "人2");
    EXPECT_EQ(field(outer.get(), 0, u"Value")->lVal, 1);
    EXPECT_EQ(get(outer.get(), u"RecordCount").value->lVal, 3);
}

TEST_P(AdoTest, WritesCommitAtOnceWhileARecordsetIsOpen) {
    auto rs = open("SELECT id FROM people");  // open, no row read yet
    auto del = text("DELETE FROM people WHERE id = 1");
    ASSERT_EQ(call(conn.get(), u"Execute", {*del}).hr, S_OK);
    auto other = database.connect();
    EXPECT_EQ(other->query_all("SELECT COUNT(*) FROM people WHERE id = 1").rows[0][0].as_integer(),
              0);
    // Another connection can write too: nothing holds the database's write lock.
    other->execute("UPDATE people SET name = 'changed' WHERE id = 2");
    ASSERT_EQ(call(rs.get(), u"MoveNext", {}).hr, S_OK);
    EXPECT_EQ(get(rs.get(), u"EOF").value->boolVal, VARIANT_FALSE);
    EXPECT_EQ(field(rs.get(), 0, u"Value")->vt, VT_I4);
}

TEST_P(AdoTest, DatabaseFailuresKeepTheDatabasesCodeAndText) {
    auto bad = text("SELEC id FROM people");
    auto r = call(conn.get(), u"Execute", {*bad});
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, ado::E_ADO_DATABASE);
    EXPECT_EQ(r.source, "ADODB.Connection");
    if (GetParam() == "sqlite")
        EXPECT_TRUE(r.description.starts_with("SQLite error 1: ")) << r.description;
    else
        EXPECT_TRUE(r.description.starts_with("PostgreSQL error 42601: ")) << r.description;

    Ptr<IDispatch> rs;
    ASSERT_EQ(CreateObject("ADODB.Recordset", rs.out()), S_OK);
    auto missing = text("SELECT * FROM no_such_table");
    Variant active = Variant::adopt(var_dispatch(conn.get()));
    r = call(rs.get(), u"Open", {*missing, *active, var_i4(3)});
    EXPECT_EQ(r.scode, ado::E_ADO_DATABASE);
    EXPECT_NE(r.description.find("no_such_table"), std::string::npos) << r.description;
}

TEST_P(AdoTest, ClosingTheConnectionClosesItsRecordsets) {
    auto rs = open("SELECT id FROM people");
    ASSERT_EQ(call(conn.get(), u"Close", {}).hr, S_OK);
    EXPECT_EQ(get(rs.get(), u"State").value->lVal, ado::adStateClosed);
    EXPECT_EQ(get(rs.get(), u"EOF").scode, ado::E_ADO_CLOSED);
    auto sql = text("DELETE FROM people");
    EXPECT_EQ(call(conn.get(), u"Execute", {*sql}).scode, ado::E_ADO_CLOSED);
    EXPECT_EQ(call(conn.get(), u"Close", {}).scode, ado::E_ADO_CLOSED);
}

TEST_P(AdoTest, RowsAreReadInWindowsNotAllAtOnce) {
    auto db = database.connect();
    auto source = db->dialect().open_rows(*db, "SELECT id FROM people ORDER BY id;");
    EXPECT_EQ(source->count(), 25);
    std::vector<std::vector<db::Value>> rows;
    testing_support::fetch(*source, 20, 3, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].as_integer(), 21);
    testing_support::fetch(*source, 2, 2, rows);  // backwards
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].as_integer(), 3);
    testing_support::fetch(*source, 24, 10, rows);  // the last window is short
    EXPECT_EQ(rows.size(), 1u);
    testing_support::fetch(*source, 30, 10, rows);
    EXPECT_TRUE(rows.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, AdoTest, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

TEST(AdoConnection, BadConnectionStringsAndUnreachableServersFail) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    Ptr<IDispatch> conn;
    ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
    auto bad = text("Provider=Oracle;Data Source=x");
    auto r = call(conn.get(), u"Open", {*bad});
    EXPECT_EQ(r.scode, ado::E_ADO_CONNECTION_STRING);
    EXPECT_EQ(r.description, "unknown Provider: oracle (SQLite and PostgreSQL are available)");
    auto unreachable = text("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User ID=u");
    r = call(conn.get(), u"Open", {*unreachable});
    EXPECT_EQ(r.scode, ado::E_ADO_CONNECT);
    EXPECT_TRUE(r.description.starts_with("PostgreSQL error 08001: ")) << r.description;
    EXPECT_EQ(get(conn.get(), u"State").value->lVal, ado::adStateClosed);
}

TEST(AdoConnection, AServerThatNeverAnswersIsGivenUpOnAfterTheConnectTimeout) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    testing_support::SilentServer silent;
    Ptr<IDispatch> conn;
    ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
    auto cs = text("Provider=PostgreSQL;Host=127.0.0.1;Port=" + std::to_string(silent.port()) +
                   ";Database=x;User ID=u;Connect Timeout=2");
    auto r = call(conn.get(), u"Open", {*cs});
    EXPECT_EQ(r.scode, ado::E_ADO_CONNECT);
    EXPECT_NE(r.description.find("timeout expired"), std::string::npos) << r.description;
    EXPECT_EQ(get(conn.get(), u"State").value->lVal, ado::adStateClosed);
}

TEST(AdoServer, UnloadsWhenItsLastObjectIsReleased) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    CoFreeUnusedLibraries();
    std::size_t before = loaded_server_count();
    {
        Ptr<IDispatch> conn;
        ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
        EXPECT_EQ(loaded_server_count(), before + 1);
        CoFreeUnusedLibraries();  // still in use
        EXPECT_EQ(loaded_server_count(), before + 1);
        conn->AddRef();
        EXPECT_EQ(conn->Release(), 1u);
    }
    CoFreeUnusedLibraries();
    EXPECT_EQ(loaded_server_count(), before);
    // Created again after unloading, from a fresh load.
    Ptr<IDispatch> again;
    EXPECT_EQ(CreateObject("ADODB.Recordset", again.out()), S_OK);
}

TEST(AdoServer, UnknownNamesAreNotRegistered) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    Ptr<IDispatch> none;
    EXPECT_EQ(CreateObject("ADODB.Command", none.out()), CO_E_CLASSSTRING);
    ErrorText e;
    ASSERT_TRUE(take_error(e));
    EXPECT_EQ(to_utf8(e.description), "no class is registered under the name ADODB.Command");
}

}  // namespace
