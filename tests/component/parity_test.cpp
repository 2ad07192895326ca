// The same calls of the data component on SQLite and on PostgreSQL give the same answers,
// cell by cell: values, their types and the header rows' column names; rows in the order of
// the key, also after updates; the same writes refused by both; Syslog's time in UTC.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "tests/component/component_fixture.h"

namespace {

using namespace com;
using testing_support::call;
using testing_support::CallResult;
using testing_support::Cells;
using testing_support::txt;

// One database with an ADO-style connection and the three classes on it.
struct Side {
    explicit Side(const std::string& backend) : database(backend) {
        if (!database.available()) return;
        db = database.connect();
        schema::create(*db);
        EXPECT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
        auto cs = txt(testing_support::ado_connection_string(database.url()));
        EXPECT_EQ(call(conn.get(), u"Open", {*cs}).hr, S_OK);
        for (const char* progid : {"Tarvo.Department", "Tarvo.Person", "Tarvo.Message"}) {
            Ptr<IDispatch> object;
            EXPECT_EQ(CreateObject(progid, object.out()), S_OK);
            IDispatch* slot = conn.get();
            VARIANT ref = var_empty();
            ref.vt = VT_BYREF | VT_DISPATCH;
            ref.ppdispVal = &slot;
            EXPECT_EQ(call(object.get(), u"SetConn", {ref}).hr, S_OK);
            objects.push_back(std::move(object));
        }
    }
    testing_support::TestDatabase database;
    std::unique_ptr<db::Connection> db;
    Ptr<IDispatch> conn;
    std::vector<Ptr<IDispatch>> objects;  // Department, Person, Message
};

class PgParity : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!pg.database.available()) GTEST_SKIP() << pg.database.skip_reason();
    }
    // Runs the call on both; both must succeed or both fail.
    std::pair<CallResult, CallResult> both(int object, std::u16string method,
                                           const std::vector<Variant>& args) {
        std::vector<VARIANT> raw;
        for (const auto& a : args) raw.push_back(*a);
        CallResult a = call(lite.objects[object].get(), method, raw);
        CallResult b = call(pg.objects[object].get(), method, raw);
        EXPECT_EQ(a.hr == S_OK, b.hr == S_OK)
            << to_utf8(method) << ": " << a.description << " / " << b.description;
        return {std::move(a), std::move(b)};
    }
    void write(int object, std::u16string method, const std::vector<Variant>& args) {
        auto [a, b] = both(object, method, args);
        EXPECT_EQ(a.hr, S_OK) << a.description;
    }
    // A read on both, compared cell by cell; returns the SQLite side's cells.
    Cells same(int object, std::u16string method, const std::vector<Variant>& args = {}) {
        auto [a, b] = both(object, method, args);
        Cells x = testing_support::unpack(a), y = testing_support::unpack(b);
        EXPECT_EQ(x.empty_array, y.empty_array);
        EXPECT_EQ(x.rows, y.rows) << to_utf8(method);
        EXPECT_EQ(x.cols, y.cols) << to_utf8(method);
        if (x.rows != y.rows || x.cols != y.cols) return x;
        for (long r = 0; r < x.rows; ++r)
            for (long c = 0; c < x.cols; ++c) {
                EXPECT_EQ(x.at(r, c).vt, y.at(r, c).vt) << to_utf8(method) << " " << r << "," << c;
                EXPECT_EQ(x.text(r, c), y.text(r, c)) << to_utf8(method) << " " << r << "," << c;
            }
        return x;
    }
    static Variant n(long v) { return Variant::adopt(var_i4(v)); }
    static Variant null() { return Variant::adopt(var_null()); }

    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE, TARVO_COMPONENT_MODULE}};
    Side lite{"sqlite"}, pg{"postgresql"};
};

enum { kDepartment, kPerson, kMessage };

TEST_F(PgParity, ComponentReadsAgreeCellByCell) {
    for (int i = 1; i <= 12; ++i)
        write(kDepartment, u"AddData",
              {txt("部门" + std::to_string(i) + (i % 4 ? "" : " O'Neil")), n(i),
               i <= 3 ? null() : n(1 + i % 3), txt(i % 2 ? "" : "备注")});
    for (int i = 1; i <= 9; ++i)
        write(kPerson, u"AddData",
              {n(1 + i % 4), txt("员工" + std::to_string(i)), txt(i % 2 ? "男" : "女"),
               txt("1990-01-0" + std::to_string(i)), txt("职员"), txt("地址"), txt("电话"),
               txt("e@x.cn"), txt(""), txt(""), txt("说明"), n(1), txt("acct"), txt("pwd")});
    for (int i = 1; i <= 5; ++i)
        write(kMessage, u"AddData", {n(i), txt("内容" + std::to_string(i)), n(1), txt("标题")});

    Cells tree = same(kDepartment, u"GetAllData", {n(0)});
    EXPECT_EQ(tree.text(0, 0), "DeptID");  // the schema's spelling on PostgreSQL too
    EXPECT_EQ(tree.text(0, 3), "DeptParentID");
    same(kDepartment, u"GetAllData", {n(2)});
    same(kDepartment, u"GetData", {n(4)});
    for (long page = 1; page <= 5; ++page) same(kDepartment, u"GetPageData", {n(5), n(page)});

    Cells persons = same(kPerson, u"GetAllData");
    EXPECT_EQ(persons.text(0, 1), "DeptID");
    same(kPerson, u"GetDeptData", {n(2)});
    same(kMessage, u"GetAllData");
    same(kMessage, u"GetPageData", {n(2), n(3)});

    // Updated rows move in a PostgreSQL table's storage; pages still go by the key.
    for (long id : {1, 2})
        write(kPerson, u"UpdateData",
              {n(id), n(3), txt("改" + std::to_string(id)), txt("男"), txt("1991-02-03"),
               txt("经理"), txt("地址"), txt("电话"), txt("e@x.cn"), txt(""), txt(""), txt("说明"),
               n(2), txt("acct"), txt("pwd")});
    Cells first = same(kPerson, u"GetPageData", {n(5), n(1)});
    EXPECT_EQ(first.number(0, 0), 1);  // person 1 still opens the first page
    EXPECT_EQ(first.text(0, 2), "改1");
    Cells last = same(kPerson, u"GetPageData", {n(5), n(2)});
    EXPECT_EQ(last.rows, 4);
    EXPECT_EQ(last.number(0, 0), 6);
}

TEST_F(PgParity, BothDatabasesRefuseTheSameWrites) {
    // A name longer than DeptName's 100 characters.
    auto [lite_long, pg_long] =
        both(kDepartment, u"AddData", {txt(std::string(110, 'x')), n(1), null(), txt("")});
    EXPECT_NE(lite_long.hr, S_OK);
    EXPECT_NE(pg_long.hr, S_OK);
    EXPECT_TRUE(same(kDepartment, u"GetPageData", {n(10), n(1)}).empty_array);

    // A text where a number belongs.
    for (Side* s : {&lite, &pg}) {
        EXPECT_THROW(s->db->execute("INSERT INTO HR_Dept (DeptName, DeptOrder) VALUES ('a', 'b')"),
                     db::Error);
        EXPECT_THROW(s->db->execute("INSERT INTO Employee (eid, born) VALUES ('E1', '2026-02-30')"),
                     db::Error);
        EXPECT_THROW(s->db->execute("INSERT INTO Employee (eid, sex) VALUES ('E2', '男女男女男')"),
                     db::Error);  // VARCHAR(4) counts characters on both
        s->db->execute(
            "INSERT INTO Employee (eid, sex, born) VALUES ('E3', '男女男女', '2024-02-29')");
    }
}

TEST_F(PgParity, SyslogTimeIsUtcOnBoth) {
    const std::time_t now = std::time(nullptr);
    pg.db->execute("SET TIME ZONE 'Asia/Shanghai'");  // a user eight hours east of UTC
    for (Side* s : {&lite, &pg}) {
        s->db->execute("insert into Syslog ( l_user , l_work ) values ( 'u' , 'w' )");
        const db::Value t = s->db->query_all("SELECT l_time FROM Syslog").rows.at(0).at(0);
        auto dt = db::DateTime::parse(t.to_string());
        ASSERT_TRUE(dt) << t.to_string();
        std::tm tm{};
        tm.tm_year = dt->year - 1900;
        tm.tm_mon = dt->month - 1;
        tm.tm_mday = dt->day;
        tm.tm_hour = dt->hour;
        tm.tm_min = dt->minute;
        tm.tm_sec = dt->second;
        EXPECT_LE(std::llabs(static_cast<long long>(timegm(&tm) - now)), 120)
            << s->database.url() << ": " << t.to_string();
    }
}

}  // namespace
