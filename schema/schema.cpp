#include "schema/schema.h"

#include "platform/db/dialect.h"

namespace schema {
namespace {

// A column as both databases hold it. Text is VARCHAR(n) (a text of n GBK bytes has at most
// n characters); SQLite, which would store anything, is held to the same limits and types by
// CHECK constraints, so a write one database refuses the other refuses too.
struct Column {
    using Kind = db::ColumnSpec::Kind;
    static constexpr Kind text = db::ColumnSpec::text, integer = db::ColumnSpec::integer,
                          datetime = db::ColumnSpec::datetime, blob = db::ColumnSpec::blob,
                          serial = db::ColumnSpec::serial, utc_now = db::ColumnSpec::utc_now;
    const char* name;
    Kind kind;
    int length = 0;        // for text
    bool primary = false;  // the table's key (a serial column always is)
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

using C = Column;

const std::vector<Table>& tables() {
    static const std::vector<Table> t = {
        {"Employee",
         {{"eid", C::text, 50, true},
          {"ename", C::text, 50},
          {"sex", C::text, 4},
          {"born", C::datetime},
          {"naviteplace", C::text, 50},
          {"nationality", C::text, 50},
          {"school", C::text, 20},
          {"bodyhigh", C::text, 20},
          {"bodyweight", C::text, 20},
          {"maerry", C::text, 4},
          {"bornfrom", C::text, 100},
          {"idcard", C::text, 50},
          {"urgent", C::text, 10},
          {"urgentphone", C::text, 50},
          {"department", C::text, 50},
          {"position", C::text, 50},
          {"email", C::text, 50},
          {"phone", C::text, 50},
          {"mobile", C::text, 50},
          {"qq", C::text, 50},
          {"msn", C::text, 50},
          {"othercontact", C::text, 100},
          {"content", C::text, 255},
          {"flag", C::text, 1},
          {"photo", C::blob}}},
        {"Syslog",
         {{"l_id", C::serial},
          {"l_user", C::text, 50},
          {"l_work", C::text, 255},
          {"l_time", C::utc_now}}},
        {"HR_Dept",
         {{"DeptID", C::serial},
          {"DeptName", C::text, 100},
          {"DeptOrder", C::integer},
          {"DeptParentID", C::integer},
          {"DeptMemo", C::text, 255}}},
        {"HR_Person",
         {{"PersonID", C::serial},
          {"DeptID", C::integer},
          {"PersonName", C::text, 50},
          {"PersonSex", C::text, 10},
          {"PersonBirthday", C::text, 30},
          {"PersonDuty", C::text, 50},
          {"PersonAddr", C::text, 255},
          {"PersonPhone", C::text, 50},
          {"PersonEmail", C::text, 100},
          {"PersonWeb", C::text, 255},
          {"PersonPhoto", C::text, 255},
          {"PersonMomo", C::text, 255},
          {"PersonType", C::text, 20},
          {"PersonAccount", C::text, 50},
          {"PersonPwd", C::text, 100}}},
        {"DATA_Msg",
         {{"MsgID", C::serial},
          {"PersonID", C::integer},
          {"MsgContent", C::text, 2000},
          {"MsgFromPersonID", C::integer},
          {"MsgTitle", C::text, 200}}},
    };
    return t;
}

}  // namespace

std::vector<std::string> ddl(const db::Dialect& dialect) {
    std::vector<std::string> out;
    for (const Table& t : tables()) {
        std::string stmt = std::string("CREATE TABLE IF NOT EXISTS ") + t.name + " (";
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const Column& c = t.columns[i];
            stmt += (i ? ", " : "") + dialect.column_definition({c.name, c.kind, c.length});
            if (c.primary) stmt += " NOT NULL PRIMARY KEY";
        }
        out.push_back(stmt + ")");
    }
    out.push_back("CREATE INDEX IF NOT EXISTS HR_Dept_Parent ON HR_Dept (DeptParentID)");
    out.push_back("CREATE INDEX IF NOT EXISTS HR_Person_Dept ON HR_Person (DeptID)");
    return out;
}

void create(db::Connection& conn) {
    for (const auto& stmt : ddl(conn.dialect())) conn.execute(stmt);
}

void drop(db::Connection& conn) {
    for (const char* t : {"Employee", "Syslog", "HR_Dept", "HR_Person", "DATA_Msg"})
        conn.execute(std::string("DROP TABLE IF EXISTS ") + t);
}

}  // namespace schema
