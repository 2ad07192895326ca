// An office's server set up for least privilege, tried as a clerk who logs in with a
// password: the clerk works with employees and the component's tables, adds audit lines,
// and can neither change, delete, empty nor read the audit trail, nor change the tables.
#include "schema/roles.h"

#include <gtest/gtest.h>

#include "schema/schema.h"
#include "tests/support/password_role.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

class PgOfficeRoles : public ::testing::Test {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        std::string why;
        if (!testing_support::PasswordRole::require_password(clerk_name, why)) GTEST_SKIP() << why;
        admin = database.connect();
        roles.owner = clerk_name + "_owner";
        roles.clerks = clerk_name + "_group";
        schema::set_up_office(*admin, roles);
        schema::set_up_office(*admin, roles);  // again: nothing changes, nothing fails
        schema::add_clerk(*admin, clerk_name, "pw-1", roles);
        admin->execute("INSERT INTO Employee (eid, ename) VALUES ('E1', '张三')");
        admin->execute("INSERT INTO Syslog (l_user, l_work) VALUES ('admin', '导出了报溢报表')");
    }
    void TearDown() override {
        if (!admin) return;
        for (const std::string& role : {clerk_name, roles.clerks, roles.owner}) {
            admin->execute("DROP OWNED BY " + role);
            admin->execute("DROP ROLE IF EXISTS " + role);
        }
    }
    std::unique_ptr<db::Connection> as_clerk(const std::string& password) {
        const std::string url = database.url();
        return db::connect("postgresql://" + clerk_name + url.substr(url.find('@')), password);
    }
    // The SQLSTATE a statement of the clerk fails with, or "" when it runs.
    static std::string refusal(db::Connection& conn, const std::string& sql) {
        try {
            conn.execute(sql);
            return "";
        } catch (const db::Error& e) {
            return e.sqlstate();
        }
    }

    TestDatabase database{"postgresql"};
    const testing_support::ScopedEnv no_password{"PGPASSWORD", std::nullopt};
    const std::string clerk_name = "clerk_" + std::to_string(::getpid());
    schema::OfficeRoles roles;
    std::unique_ptr<db::Connection> admin;
};

TEST_F(PgOfficeRoles, AClerkWorksWithEmployeesAndOnlyAddsAuditLines) {
    EXPECT_THROW(as_clerk(""), db::PasswordNeeded);
    EXPECT_THROW(as_clerk("wrong"), db::PasswordNeeded);
    auto clerk = as_clerk("pw-1");
    EXPECT_EQ(clerk->authenticated_user(), clerk_name);

    // The screens' work: search, save, add, delete, export with its audit line.
    EXPECT_EQ(clerk->query_all("SELECT ename FROM Employee WHERE eid = 'E1'").rows.size(), 1u);
    for (const char* sql :
         {"UPDATE Employee SET ename = '李四' WHERE eid = 'E1'",
          "INSERT INTO Employee (eid, ename) VALUES ('E2', '王五')",
          "DELETE FROM Employee WHERE eid = 'E2'",
          "INSERT INTO Syslog (l_user, l_work) VALUES (session_user, '导出了报溢报表')",
          "INSERT INTO HR_Dept (DeptName, DeptOrder) VALUES ('销售部', 1)",
          "UPDATE HR_Dept SET DeptOrder = 2", "INSERT INTO HR_Person (PersonName) VALUES ('赵六')",
          "DELETE FROM DATA_Msg"})
        EXPECT_EQ(refusal(*clerk, sql), "") << sql;

    // The audit trail and the tables themselves are out of reach.
    for (const char* sql :
         {"UPDATE Syslog SET l_user = 'nobody'", "DELETE FROM Syslog", "TRUNCATE Syslog",
          "SELECT count(*) FROM Syslog", "ALTER TABLE Employee ADD COLUMN x INTEGER",
          "DROP TABLE DATA_Msg", "TRUNCATE Employee"})
        EXPECT_EQ(refusal(*clerk, sql), "42501") << sql;
    EXPECT_EQ(admin->query_all("SELECT l_user FROM Syslog ORDER BY l_id").rows,
              (std::vector<std::vector<db::Value>>{{db::Value("admin")}, {db::Value(clerk_name)}}));

    // A new password replaces the old one.
    schema::add_clerk(*admin, clerk_name, "pw-2", roles);
    EXPECT_THROW(as_clerk("pw-1"), db::PasswordNeeded);
    EXPECT_EQ(as_clerk("pw-2")->authenticated_user(), clerk_name);
}

TEST_F(PgOfficeRoles, NoClerkIsMadeOfASuperuserOrTheOfficesOwnRoles) {
    const std::string super = admin->authenticated_user();  // the test server's superuser
    for (const std::string& name : {super, roles.owner, roles.clerks, std::string()})
        EXPECT_THROW(schema::add_clerk(*admin, name, "x", roles), db::Error) << name;
    EXPECT_THROW(schema::add_clerk(*admin, clerk_name, "", roles), db::Error);
    EXPECT_EQ(admin->authenticated_user(), super);  // and its password is as it was
}

TEST(OfficeRolesSqlite, AFileHasNoRoles) {
    TestDatabase database{"sqlite"};
    auto conn = database.connect();
    EXPECT_THROW(schema::set_up_office(*conn), db::Error);
    EXPECT_THROW(schema::add_clerk(*conn, "x", "y"), db::Error);
}

}  // namespace
