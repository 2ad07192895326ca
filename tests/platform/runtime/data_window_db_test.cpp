// Retrieve and update round trips on SQLite and PostgreSQL through a small definition over
// the Employee table.
#include <gtest/gtest.h>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/transaction.h"
#include "schema/schema.h"
#include "tests/support/test_db.h"

namespace {

using runtime::DataWindow;
using runtime::RowStatus;
using testing_support::TestDatabase;

std::shared_ptr<runtime::Definition> staff(bool by_argument) {
    auto def = std::make_shared<runtime::Definition>();
    def->name = "d_staff";
    for (const char* name : {"eid", "ename", "born", "flag"}) {
        runtime::ColumnDef c;
        c.name = name;
        c.byte_limit = std::string(name) == "flag" ? 1 : 50;
        if (std::string(name) == "born") {
            c.type = runtime::ColumnType::datetime;
            c.byte_limit = 0;
        }
        if (std::string(name) == "flag") c.code_table = {{"在职", "1"}, {"离职", "0"}};
        def->columns.push_back(c);
    }
    def->select = "SELECT Employee.eid, Employee.ename, Employee.born, Employee.flag FROM Employee";
    if (by_argument) {
        def->select += " WHERE Employee.eid = :ls_id";
        def->arguments = {{"ls_id", runtime::ColumnType::text}};
    }
    def->update = {"Employee", {"eid"}, {"eid", "ename", "born", "flag"}};
    return def;
}

class DataWindowDb : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        other = database.connect();
        schema::create(*other);
        other->execute(
            "INSERT INTO Employee (eid, ename, born, flag) VALUES (?, ?, ?, ?), (?, ?, ?, ?)",
            {"E1", "张三", db::DateTime{1990, 2, 28}, "1", "E2", "李四", db::Value(), "0"});
        ASSERT_EQ(sqlca.connect(database.url()), 0) << sqlca.sqlerrtext();
        dw.settransobject(&sqlca);
        dw.set_dberror_handler([this](const runtime::DbError& e) { errors.push_back(e); });
        dw.setsqlselect(dw.getsqlselect() + " order by eid");
    }

    // The table as another user sees it: "eid:ename" in order of eid.
    std::string table() {
        std::string out;
        for (const auto& row :
             other->query_all("SELECT eid, ename FROM employee ORDER BY eid").rows)
            out += row[0].to_string() + ":" + row[1].to_string() + " ";
        return out;
    }

    TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> other;
    runtime::Transaction sqlca;
    DataWindow dw{staff(false)};
    std::vector<runtime::DbError> errors;
};

TEST_P(DataWindowDb, RetrieveReplacesAllRows) {
    dw.insertrow(0);
    ASSERT_EQ(dw.retrieve(), 2) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(dw.rowcount(), 2);
    EXPECT_EQ(dw.getrow(), 1);
    EXPECT_EQ(dw.getitemstring(1, "eid"), "E1");
    EXPECT_EQ(dw.getitemstring(1, "ename"), "张三");
    EXPECT_EQ(dw.getitemstring(1, "born"), "1990-02-28 00:00:00");
    EXPECT_EQ(dw.getitemstring(2, "born"), std::nullopt);
    EXPECT_EQ(dw.display_text(2, "flag"), "离职");
    EXPECT_EQ(dw.getitemstatus(1), RowStatus::not_modified);
    EXPECT_EQ(dw.modifiedcount() + dw.deletedcount(), 0);

    // The list appends its condition to the SELECT it saved.
    std::string saved = staff(false)->select;
    dw.setsqlselect(saved + " where 1 = 1 and employee.eid like'%2%' order by eid desc");
    EXPECT_EQ(dw.retrieve(), 1);
    EXPECT_EQ(dw.getitemstring(1, "eid"), "E2");
    EXPECT_TRUE(errors.empty());
}

TEST_P(DataWindowDb, RetrievalArgumentIsBoundNotPasted) {
    DataWindow form(staff(true));
    form.settransobject(&sqlca);
    form.set_dberror_handler([this](const runtime::DbError& e) { errors.push_back(e); });
    EXPECT_EQ(form.retrieve({"E2"}), 1);
    EXPECT_EQ(form.getitemstring(1, "ename"), "李四");
    EXPECT_EQ(form.retrieve({"E1' OR '1'='1"}), 0);
    EXPECT_EQ(form.getrow(), 0);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(form.retrieve(), -1);  // the argument is missing
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].text.find("检索参数不足"), std::string::npos);
}

TEST_P(DataWindowDb, RetrieveFailureKeepsTheRowsAndReportsTheError) {
    ASSERT_EQ(dw.retrieve(), 2);
    dw.setsqlselect(
        "SELECT Employee.eid, Employee.nope, Employee.born, Employee.flag FROM Employee");
    EXPECT_EQ(dw.retrieve(), -1);
    EXPECT_EQ(dw.rowcount(), 2);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].text.find("nope"), std::string::npos) << errors[0].text;
    dw.setsqlselect("SELECT eid, ename FROM Employee");  // columns do not match
    EXPECT_EQ(dw.retrieve(), -1);
    EXPECT_EQ(dw.rowcount(), 2);

    // A failed retrieve inside an open transaction leaves its writes intact.
    ASSERT_EQ(sqlca.execute("insert into employee (eid) values (?)", {"E7"}), 0);
    EXPECT_EQ(dw.retrieve(), -1);
    EXPECT_EQ(sqlca.commit(), 0) << sqlca.sqlerrtext();
    EXPECT_EQ(table(), "E1:张三 E2:李四 E7: ");
}

TEST_P(DataWindowDb, FailureWhileReadingLeavesNoHalfList) {
    ASSERT_EQ(dw.retrieve(), 2);
    // The second row's value cannot be computed: SQLite fails while stepping, PostgreSQL
    // (which reads the result whole) before any row is read.
    std::string overflow = database.backend() == db::Backend::sqlite
                               ? "abs(-9223372036854775807 - 1)"
                               : "(2147483647 + 1)::text";
    dw.setsqlselect("SELECT Employee.eid, CASE WHEN eid = 'E2' THEN " + overflow +
                    " ELSE ename END, Employee.born, Employee.flag FROM Employee ORDER BY eid");
    EXPECT_EQ(dw.retrieve(), -1);
    ASSERT_EQ(errors.size(), 1u);
    if (database.backend() == db::Backend::sqlite) {
        EXPECT_EQ(dw.rowcount(), 0);
        EXPECT_EQ(dw.getrow(), 0);
    } else {
        EXPECT_EQ(dw.rowcount(), 2);
    }
}

TEST_P(DataWindowDb, InsertChangeAndDeleteAreWrittenByKey) {
    ASSERT_EQ(dw.retrieve(), 2);
    int r = dw.insertrow(0);
    dw.setitem(r, "eid", std::string("E3"));
    dw.setitem(r, "ename", std::string("王五"));
    dw.setitem(r, "born", db::DateTime{2001, 3, 4});
    dw.setitem(1, "ename", std::string("张三丰"));
    dw.insertrow(0);  // never set: not written
    dw.deleterow(2);  // E2
    EXPECT_EQ(dw.modifiedcount(), 2);
    EXPECT_EQ(dw.deletedcount(), 1);
    EXPECT_EQ(dw.original_value(1, 2), "张三");

    ASSERT_EQ(dw.update(), 1) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(table(), "E1:张三 E2:李四 ");  // not committed yet
    ASSERT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(table(), "E1:张三丰 E3:王五 ");
    EXPECT_EQ(dw.modifiedcount(), 0);
    EXPECT_EQ(dw.deletedcount(), 0);
    EXPECT_EQ(dw.getitemstatus(1), RowStatus::not_modified);
    EXPECT_EQ(dw.getitemstatus(3), RowStatus::new_row);

    ASSERT_EQ(dw.retrieve(), 2);
    EXPECT_EQ(dw.getitemstring(2, "born"), "2001-03-04 00:00:00");
    // Changed and changed back: nothing to write, and the database is not touched.
    dw.setitem(1, "ename", std::string("别名"));
    dw.setitem(1, "ename", std::string("张三丰"));
    EXPECT_EQ(dw.modifiedcount(), 1);
    EXPECT_EQ(dw.update(), 1);
    EXPECT_EQ(dw.modifiedcount(), 0);
    EXPECT_FALSE(sqlca.connection()->in_transaction());
}

TEST_P(DataWindowDb, ChangedKeyUpdatesTheRowItWasRetrievedAs) {
    sqlca.set_autocommit(true);
    ASSERT_EQ(dw.retrieve(), 2);
    dw.setitem(1, "eid", std::string("E9"));
    ASSERT_EQ(dw.update(), 1);
    EXPECT_EQ(table(), "E2:李四 E9:张三 ");
    // The written row is now known by its new key.
    dw.setitem(1, "ename", std::string("赵六"));
    ASSERT_EQ(dw.update(), 1);
    EXPECT_EQ(table(), "E2:李四 E9:赵六 ");
}

TEST_P(DataWindowDb, FailedUpdateLeavesBuffersAndTableUnchanged) {
    ASSERT_EQ(dw.retrieve(), 2);
    dw.deleterow(2);                                    // E2
    dw.setitem(1, "ename", std::string("改过的名字"));  // E1
    int r = dw.insertrow(0);
    dw.setitem(r, "eid", std::string("E1"));  // a duplicate of the key: the insert fails
    dw.setitem(r, "ename", std::string("重复"));

    EXPECT_EQ(dw.update(), -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_FALSE(errors[0].text.empty());
    EXPECT_EQ(errors[0].row, 2);
    EXPECT_NE(errors[0].sql.find("INSERT INTO Employee"), std::string::npos);
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(table(), "E1:张三 E2:李四 ");
    EXPECT_EQ(dw.deletedcount(), 1);
    EXPECT_EQ(dw.modifiedcount(), 2);
    EXPECT_EQ(dw.getitemstatus(1), RowStatus::data_modified);
    EXPECT_EQ(dw.getitemstatus(2), RowStatus::new_modified);
    EXPECT_EQ(dw.getitemstring(1, "ename"), "改过的名字");

    // Mended, the same pending work goes through.
    dw.setitem(r, "eid", std::string("E4"));
    ASSERT_EQ(dw.update(), 1);
    EXPECT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(table(), "E1:改过的名字 E4:重复 ");
}

TEST_P(DataWindowDb, RowGoneSinceRetrieveFailsTheUpdate) {
    sqlca.set_autocommit(true);
    ASSERT_EQ(dw.retrieve(), 2);
    other->execute("DELETE FROM employee WHERE eid = ?", {"E1"});
    dw.setitem(1, "ename", std::string("无人"));
    EXPECT_EQ(dw.update(), -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].text.find("eid = E1"), std::string::npos) << errors[0].text;
    EXPECT_EQ(dw.getitemstatus(1), RowStatus::data_modified);
    EXPECT_EQ(table(), "E2:李四 ");
}

TEST_P(DataWindowDb, RowGoneSinceRetrieveIsAConflict) {
    sqlca.set_autocommit(true);
    ASSERT_EQ(dw.retrieve(), 2);
    other->execute("DELETE FROM employee WHERE eid = ?", {"E2"});
    dw.deleterow(2);
    EXPECT_EQ(dw.update(), -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].conflict);
    EXPECT_EQ(dw.deletedcount(), 1);
}

// Two users of one table: with key_and_modified, a changed row is written back only while
// the table still holds the retrieved values of the columns the change touches.
class DataWindowConflict : public DataWindowDb {
  protected:
    void SetUp() override {
        DataWindowDb::SetUp();
        if (IsSkipped()) return;
        auto def = staff(false);
        def->update.where = runtime::UpdateWhere::key_and_modified;
        guarded.set_definition(def);
        guarded.settransobject(&sqlca);
        guarded.set_dberror_handler([this](const runtime::DbError& e) { errors.push_back(e); });
        guarded.setsqlselect(guarded.getsqlselect() + " order by eid");
        sqlca.set_autocommit(true);
        ASSERT_EQ(guarded.retrieve(), 2);
    }
    std::string cell(const char* column, const char* eid) {
        auto rows =
            other
                ->query_all(std::string("SELECT ") + column + " FROM employee WHERE eid = ?", {eid})
                .rows;
        if (rows.empty()) return "(no row)";
        return rows[0][0].is_null() ? "(null)" : rows[0][0].to_string();
    }
    DataWindow guarded;
};

TEST_P(DataWindowConflict, ChangeOfTheSameColumnByAnotherUserWritesNothing) {
    other->execute("UPDATE employee SET ename = ? WHERE eid = ?", {"张三二", "E1"});
    guarded.setitem(1, "ename", std::string("张三三"));
    guarded.setitem(1, "flag", std::string("0"));
    EXPECT_EQ(guarded.update(), -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].conflict);
    EXPECT_NE(errors[0].sql.find("ename IS NOT DISTINCT FROM ?"), std::string::npos);
    EXPECT_EQ(cell("ename", "E1"), "张三二");
    EXPECT_EQ(cell("flag", "E1"), "1");
    EXPECT_EQ(guarded.getitemstatus(1), RowStatus::data_modified);
    EXPECT_EQ(guarded.getitemstring(1, "ename"), "张三三");
}

TEST_P(DataWindowConflict, ChangeOfAnotherColumnIsKeptBesideOurs) {
    other->execute("UPDATE employee SET flag = ? WHERE eid = ?", {"0", "E1"});
    guarded.setitem(1, "ename", std::string("张三三"));
    ASSERT_EQ(guarded.update(), 1) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(cell("ename", "E1"), "张三三");
    EXPECT_EQ(cell("flag", "E1"), "0");
}

TEST_P(DataWindowConflict, NullOriginalsMatchAndANewValueOverANullConflicts) {
    // E2 has no birthday: untouched by anyone else, a null must match the null.
    guarded.setitem(2, "born", db::DateTime{1980, 1, 2});
    ASSERT_EQ(guarded.update(), 1) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(cell("born", "E2").substr(0, 10), "1980-01-02");

    // Someone else sets a value where we retrieved null.
    guarded.setitem(2, "ename", std::optional<std::string>());  // 李四 -> null
    ASSERT_EQ(guarded.update(), 1);
    other->execute("UPDATE employee SET ename = ? WHERE eid = ?", {"别人写的", "E2"});
    guarded.setitem(2, "ename", std::string("我们写的"));
    EXPECT_EQ(guarded.update(), -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].conflict);
    EXPECT_EQ(cell("ename", "E2"), "别人写的");
}

TEST_P(DataWindowConflict, DateTimeSpelledOtherwiseInTheTableIsNoConflict) {
    if (database.backend() == db::Backend::sqlite)
        other->execute("UPDATE employee SET born = '1990-02-28' WHERE eid = 'E1'");
    ASSERT_EQ(guarded.retrieve(), 2);
    EXPECT_EQ(guarded.getitemstring(1, "born"), "1990-02-28 00:00:00");
    guarded.setitem(1, "born", db::DateTime{1990, 3, 1});
    ASSERT_EQ(guarded.update(), 1) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(cell("born", "E1").substr(0, 10), "1990-03-01");
}

TEST_P(DataWindowConflict, ChangedKeyIsFoundByItsRetrievedValue) {
    guarded.setitem(1, "eid", std::string("E9"));
    guarded.setitem(1, "ename", std::string("改名"));
    ASSERT_EQ(guarded.update(), 1) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(table(), "E2:李四 E9:改名 ");
}

TEST_P(DataWindowDb, UpdateWithoutResetKeepsThePendingWorkUntilResetupdate) {
    ASSERT_EQ(dw.retrieve(), 2);
    dw.setitem(1, "ename", std::string("未提交"));
    dw.deleterow(2);
    ASSERT_EQ(dw.update(true, false), 1);
    EXPECT_EQ(dw.modifiedcount(), 1);
    EXPECT_EQ(dw.deletedcount(), 1);
    // The commit does not happen: the same work is still pending and can be written again.
    ASSERT_EQ(sqlca.rollback(), 0);
    EXPECT_EQ(table(), "E1:张三 E2:李四 ");
    ASSERT_EQ(dw.update(true, false), 1);
    ASSERT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(dw.resetupdate(), 1);
    EXPECT_EQ(table(), "E1:未提交 ");
    EXPECT_EQ(dw.modifiedcount() + dw.deletedcount(), 0);
    EXPECT_EQ(dw.getitemstatus(1), RowStatus::not_modified);
    EXPECT_EQ(dw.original_value(1, 2), "未提交");
}

TEST_P(DataWindowDb, PendingEditIsAcceptedByUpdateOrFailsIt) {
    sqlca.set_autocommit(true);
    ASSERT_EQ(dw.retrieve(), 2);
    dw.setcolumn("born");
    dw.settext("2026-02-30");
    EXPECT_EQ(dw.update(), -1);
    EXPECT_EQ(dw.getitemstring(1, "born"), "1990-02-28 00:00:00");
    dw.settext("1991-12-31");
    EXPECT_EQ(dw.update(), 1);
    auto rows = other->query_all("SELECT born FROM employee WHERE eid = 'E1'").rows;
    EXPECT_EQ(rows.at(0).at(0).to_string(), "1991-12-31 00:00:00");
}

TEST_P(DataWindowDb, KeyThatNamesNoColumnRefusesToWrite) {
    auto def = staff(false);
    def->update.key_columns = {"employee_id"};
    DataWindow bad(def);
    bad.settransobject(&sqlca);
    bad.set_dberror_handler([this](const runtime::DbError& e) { errors.push_back(e); });
    ASSERT_EQ(bad.retrieve(), 2);
    bad.setitem(1, "ename", std::string("全体"));
    EXPECT_EQ(bad.update(), -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "数据窗口的键列不存在：employee_id");
    EXPECT_EQ(table(), "E1:张三 E2:李四 ");
}

TEST(DataWindowNoDatabase, RetrieveAndUpdateWithoutATransactionFail) {
    DataWindow dw(staff(false));
    std::vector<runtime::DbError> errors;
    dw.set_dberror_handler([&](const runtime::DbError& e) { errors.push_back(e); });
    EXPECT_EQ(dw.retrieve(), -1);
    runtime::Transaction unconnected;
    dw.settransobject(&unconnected);
    dw.insertrow(0);
    dw.setitem(1, "eid", std::string("E1"));
    EXPECT_EQ(dw.update(), -1);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(dw.modifiedcount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, DataWindowDb,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);
// The savepoint policy, counted: a statement inside an open transaction costs a savepoint
// and its release on PostgreSQL and nothing more; a save is one unit whose statements carry
// no guards of their own.
TEST_P(DataWindowDb, StatementsSentForARetrieveAndASaveInsideATransaction) {
    db::Connection& conn = *sqlca.connection();
    const bool server = database.backend() == db::Backend::postgresql;
    ASSERT_EQ(dw.retrieve(), 2);
    auto sent = [&, before = conn.round_trips()]() mutable {
        const auto n = conn.round_trips() - before;
        before = conn.round_trips();
        return n;
    };

    // A save outside a transaction (autocommit off): BEGIN and the UPDATE; the COMMIT.
    dw.setitem(1, "ename", "王五");
    ASSERT_EQ(dw.update(), 1);
    EXPECT_EQ(sent(), 2);
    ASSERT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(sent(), 1);

    // Inside an open transaction: a retrieve is one guarded statement, a save one unit.
    ASSERT_EQ(sqlca.execute("UPDATE Employee SET flag = '0' WHERE eid = 'E2'"), 0);
    sent();
    ASSERT_EQ(dw.retrieve(), 2);
    EXPECT_EQ(sent(), server ? 3 : 1);  // SAVEPOINT, SELECT, RELEASE
    dw.setitem(1, "ename", "赵六");
    dw.setitem(2, "ename", "孙七");
    ASSERT_EQ(dw.update(), 1);
    EXPECT_EQ(sent(), 4);  // SAVEPOINT, two UPDATEs, RELEASE
    ASSERT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(table(), "E1:赵六 E2:孙七 ");
}

INSTANTIATE_TEST_SUITE_P(Backends, DataWindowConflict,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
