// The component's statement builder: whatever a quoted value holds, the statement changes
// at most its own row and stores the value exactly; a bare value is a number or nothing.
#include "component/failure.h"
#include "component/statement.h"
#include "platform/com/bstr.h"
#include "platform/db/connection.h"
#include "tests/fuzz/fuzz.h"

namespace {

db::Connection& database() {
    static auto db = [] {
        auto c = db::connect("sqlite::memory:");
        c->execute_script(
            "CREATE TABLE HR_Dept (DeptID INTEGER PRIMARY KEY, DeptName TEXT, DeptOrder INTEGER);"
            "INSERT INTO HR_Dept VALUES (1, 'one', 1), (2, 'two', 2), (3, 'three', 3);");
        return c;
    }();
    return *db;
}

std::string others() {
    auto r =
        database().query_all("SELECT DeptID, DeptName, DeptOrder FROM HR_Dept WHERE DeptID <> 2");
    std::string s;
    for (auto& row : r.rows)
        for (auto& v : row) s += v.to_string() + "|";
    return s;
}

void quoted(const std::u16string& value) {
    static const std::string before = others();
    com::Variant v = com::Variant::adopt(com::var_text(value));
    std::u16string sql;
    try {
        sql = tarvo::Statement()
                  .text(u"UPDATE HR_Dept SET DeptName='")
                  .quoted(u"DeptName", *v)
                  .text(u"', DeptOrder=2 WHERE DeptID=2")
                  .str();
    } catch (const tarvo::Failure&) {
        return;
    }
    bool stored = false;
    try {
        std::int64_t changed = database().execute(com::to_utf8(sql));
        fuzz::check(changed == 1, "the statement changed another number of rows than its one");
        stored = true;
    } catch (const db::Error&) {
        // Text the database refuses (a NUL ends SQLite's statement text) is an error, not a
        // shortened value.
    }
    if (stored) {
        auto r = database().query_all("SELECT DeptName, DeptOrder FROM HR_Dept WHERE DeptID = 2");
        fuzz::check(r.rows.at(0).at(0).to_string() == com::to_utf8(value),
                    "the stored name differs from the value");
        fuzz::check(r.rows.at(0).at(1).as_integer() == 2, "the value reached the next column");
    }
    fuzz::check(others() == before, "a quoted value changed another row");
    database().execute("UPDATE HR_Dept SET DeptName = 'two', DeptOrder = 2 WHERE DeptID = 2");
}

void bare(const std::u16string& value) {
    com::Variant v = com::Variant::adopt(com::var_text(value));
    std::u16string text;
    try {
        text = tarvo::bare_text(u"DeptOrder", *v);
    } catch (const tarvo::Failure&) {
        return;
    }
    fuzz::check(text.empty() || tarvo::is_decimal_number(text), "a bare value is not a number");
}

}  // namespace

std::vector<std::string> fuzz::seeds() {
    return {"Sales", "研发部", "it's", "\\',DeptOrder=999 --", "x' OR '1'='1", "-12.5", "0", ""};
}

std::vector<std::string> fuzz::tokens() {
    return {"''", "\\'", "' --", "'; DROP TABLE HR_Dept; --", "/*", "*/", "1e9", "+"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string value = com::to_utf16(fuzz::as_text(data, size));
    quoted(value);
    bare(value);
    return 0;
}
