#include "schema/schema.h"

#include <gtest/gtest.h>

#include <map>

#include "schema/demo_data.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

class Schema : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        conn = database.connect();
        schema::create(*conn);
    }
    std::int64_t count(const std::string& sql) {
        return conn->query_all(sql).rows.at(0).at(0).as_integer();
    }
    TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> conn;
};

TEST_P(Schema, CreateIsRepeatableAndTablesHaveTheirColumnsInOrder) {
    schema::create(*conn);
    auto emp = conn->query_all("SELECT * FROM employee WHERE 1 = 0");
    ASSERT_EQ(emp.columns.size(), 25u);
    EXPECT_EQ(emp.columns.front(), "eid");
    EXPECT_EQ(emp.columns[23], "flag");
    EXPECT_EQ(emp.columns[24], "photo");
    auto person = conn->query_all("SELECT * FROM hr_person WHERE 1 = 0");
    ASSERT_EQ(person.columns.size(), 15u);
    // SQLite reports names as declared, PostgreSQL folds them to lower case.
    auto lower = [](std::string s) {
        for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    EXPECT_EQ(lower(person.columns.front()), "personid");
    EXPECT_EQ(lower(person.columns.back()), "personpwd");
    EXPECT_EQ(lower(conn->query_all("SELECT * FROM Hr_Dept WHERE 1 = 0").columns.front()),
              "deptid");
    EXPECT_EQ(lower(conn->query_all("SELECT * FROM data_msg WHERE 1 = 0").columns.front()),
              "msgid");
}

TEST_P(Schema, DatabaseAssignsIdentifiersAndSyslogStampsTime) {
    conn->execute(
        "Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values ('a',1,null,'')");
    conn->execute(
        "Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values ('b',2,1,'')");
    auto r = conn->query_all("SELECT DeptID FROM HR_Dept ORDER BY DeptID");
    EXPECT_EQ(r.rows.at(1).at(0).as_integer(), r.rows.at(0).at(0).as_integer() + 1);
    conn->execute("insert into Syslog ( l_user , l_work ) values ( ? , ? )",
                  {"张三", "导出了报溢报表"});
    auto log = conn->query_all("SELECT l_id, l_user, l_work, l_time FROM syslog");
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_TRUE(log.rows[0][3].is_datetime());
}

TEST_P(Schema, DemoDataFillsEveryTableAndDepartmentsFormATree) {
    schema::DemoSize size{
        .employees = 30, .photos = 3, .departments = 40, .persons = 50, .messages = 20};
    schema::fill_demo(*conn, size, 7);
    EXPECT_EQ(count("SELECT count(*) FROM employee"), 30);
    EXPECT_EQ(count("SELECT count(*) FROM employee WHERE photo IS NOT NULL"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM employee WHERE eid = 'E000030'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM hr_person"), 50);
    EXPECT_EQ(count("SELECT count(*) FROM data_msg"), 20);
    EXPECT_EQ(count("SELECT count(*) FROM hr_dept WHERE DeptParentID IS NULL"), 2);
    // Every parent is an earlier department, so the links cannot form a cycle.
    EXPECT_EQ(
        count("SELECT count(*) FROM hr_dept d WHERE DeptParentID IS NOT NULL AND NOT EXISTS"
              " (SELECT 1 FROM hr_dept p WHERE p.DeptID = d.DeptParentID AND p.DeptID < d.DeptID)"),
        0);
    // The identity continues after the demo rows.
    conn->execute("INSERT INTO HR_Dept (DeptName) VALUES ('新部门')");
    EXPECT_EQ(count("SELECT max(DeptID) FROM hr_dept"), 41);
    // Generated text fits the GBK byte limits of the record.
    auto photo = conn->query_all("SELECT photo FROM employee WHERE eid = 'E000001'");
    const auto& bytes = photo.rows.at(0).at(0).as_bytes();
    EXPECT_EQ(bytes, schema::demo_photo(0));
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
}

TEST_P(Schema, DropRemovesEverything) {
    schema::drop(*conn);
    EXPECT_THROW(conn->query_all("SELECT * FROM employee"), db::Error);
    schema::create(*conn);
    EXPECT_EQ(count("SELECT count(*) FROM employee"), 0);
}

INSTANTIATE_TEST_SUITE_P(Db, Schema, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
