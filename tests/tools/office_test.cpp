// An office on one PostgreSQL server, set up and used with the programs as an administrator
// and a clerk would: tarvo-db sets up the roles and adds a clerk, whose password the server
// checks (SCRAM); the clerk's programs find the server through the default profile of
// tarvo.conf, search, save and export, and the audit line names the role that logged in.
#include <fstream>

#include "tests/support/password_role.h"
#include "tests/tools/programs.h"

namespace {

using tools_test::Outcome;

class PgOffice : public tools_test::Programs {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        std::string why;
        if (!testing_support::PasswordRole::require_password(clerk, why)) GTEST_SKIP() << why;
        Outcome office = run(
            TARVO_DB_TOOL, {"office", "--db", database.url(), "--owner", owner, "--group", group});
        ASSERT_EQ(office.status, 0) << office.err;
        Outcome added =
            run(TARVO_DB_TOOL, {"clerk", clerk, "--db", database.url(), "--group", group},
                "pw-7\n");  // no terminal: the password is a line of input
        ASSERT_EQ(added.status, 0) << added.err;
        admin = database.connect();
        admin->execute("INSERT INTO Employee (eid, ename, flag) VALUES ('E1', '张三', '1')");

        // The administrator's profile: the server, and this test's schema.
        const std::string url = database.url();
        const auto at = url.find('@'), colon = url.find(':', at), slash = url.find('/', at);
        const auto schema = url.substr(url.find("search_path%3D") + 14);
        std::filesystem::create_directories(dir / "etc" / "tarvo");
        std::ofstream(dir / "etc" / "tarvo" / "tarvo.conf")
            << "default = office\n[office]\nhost = " << url.substr(at + 1, colon - at - 1)
            << "\nport = " << url.substr(colon + 1, slash - colon - 1)
            << "\ndbname = postgres\nuser = " << clerk << "\noptions = -csearch_path=" << schema
            << "\n";
    }
    void TearDown() override {
        if (!admin) return;
        for (const std::string& role : {clerk, group, owner}) {
            admin->execute("DROP OWNED BY " + role);
            admin->execute("DROP ROLE IF EXISTS " + role);
        }
    }

    testing_support::TestDatabase database{"postgresql"};
    const std::string clerk = "office_clerk_" + std::to_string(::getpid());
    const std::string group = clerk + "_group", owner = clerk + "_owner";
    std::unique_ptr<db::Connection> admin;
};

TEST_F(PgOffice, AClerkWorksThroughTheDefaultProfileAndTheAuditLineNamesTheRole) {
    const std::string export_file = (dir / "list.xls").string();
    const std::string work =
        script("open w_employee\nclick cb_1\nrows dw_1\nanswer path " + export_file +
               "\nclick cb_2\nopen w_employeeadd E1\nclick cb_modi\nedit dw_1 1 ename 李四\n"
               "click cb_save\n");
    environment = "PGPASSWORD=pw-7";
    Outcome o = run(TARVO_SCRIPT_TOOL, {"--drive-c", (dir / "c").string(), work});
    EXPECT_EQ(o.status, 0) << o.err << o.out;
    EXPECT_NE(o.out.find("\"text\":\"导出成功" + export_file), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("\"text\":\"保存成功\""), std::string::npos) << o.out;
    EXPECT_EQ(admin->query_all("SELECT l_user FROM Syslog").rows,
              (std::vector<std::vector<db::Value>>{{db::Value(clerk)}}));
    EXPECT_EQ(admin->query_all("SELECT ename FROM Employee").rows.at(0).at(0), db::Value("李四"));

    // The audit line is out of the clerk's reach, whatever the script does.
    Outcome erase = run(TARVO_SCRIPT_TOOL, {script("sql \"DELETE FROM Syslog\"\n")});
    EXPECT_NE(erase.out.find("permission denied"), std::string::npos) << erase.out;
    EXPECT_EQ(admin->query_all("SELECT count(*) FROM Syslog").rows.at(0).at(0), db::Value(1));
}

TEST_F(PgOffice, NamesThatTheServerDidNotCheckAndMissingPasswordsAreRefused) {
    environment = "PGPASSWORD=pw-7";
    Outcome named = run(TARVO_SCRIPT_TOOL, {"--user", "boss", script("open w_main\n")});
    EXPECT_EQ(named.status, 2);
    EXPECT_NE(named.err.find("--user goes with SQLite only"), std::string::npos) << named.err;
    Outcome desktop =
        run(TARVO_PROGRAM, {"--user", "boss", "--headless", "--script", script("open w_main\n")});
    EXPECT_EQ(desktop.status, 2);
    EXPECT_NE(desktop.err.find("--user 只能用于 SQLite"), std::string::npos) << desktop.err;

    environment = "PGPASSWORD=wrong";
    Outcome wrong = run(TARVO_SCRIPT_TOOL, {script("open w_main\n")});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("password authentication failed"), std::string::npos) << wrong.err;
    environment = "";  // and no terminal to ask on
    for (const char* program : {TARVO_SCRIPT_TOOL, TARVO_DB_TOOL}) {
        Outcome none = program == std::string(TARVO_DB_TOOL)
                           ? run(program, {"init"})
                           : run(program, {script("open w_main\n")});
        EXPECT_NE(none.status, 0) << program;
        EXPECT_NE(none.err.find("no password supplied"), std::string::npos) << none.err;
    }
}

TEST_F(PgOffice, TheToolsTakeAProfileByName) {
    std::filesystem::create_directories(dir / "config" / "tarvo");
    std::ofstream(dir / "config" / "tarvo" / "tarvo.conf")
        << "default = local\n[local]\nsqlite = /nowhere.db\n";
    environment = "PGPASSWORD=pw-7 TARVO_REGISTRY=" + tools_test::quote(dir / "registry");
    Outcome found = run(TARVO_SCRIPT_TOOL,
                        {"--profile", "office", script("sql \"SELECT ename FROM Employee\"\n")});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_NE(found.out.find("张三"), std::string::npos) << found.out;

    for (const char* module : {TARVO_ADO_MODULE, TARVO_COMPONENT_MODULE})
        ASSERT_EQ(run(TARVO_COM_TOOL, {"register", module}).status, 0);
    Outcome com = run(TARVO_COM_TOOL, {"--profile", "office", "--format", "json",
                                       "Tarvo.Department", "AddData", "销售部", "1", "", "x"});
    EXPECT_EQ(com.status, 0) << com.err << com.out;
    EXPECT_EQ(admin->query_all("SELECT trim(DeptName) FROM HR_Dept").rows.at(0).at(0),
              db::Value("销售部"));

    for (const auto& [program, args] :
         std::vector<std::pair<const char*, std::vector<std::string>>>{
             {TARVO_DB_TOOL, {"init", "--profile", "nowhere"}},
             {TARVO_SCRIPT_TOOL, {"--profile", "nowhere"}},
             {TARVO_COM_TOOL, {"--profile", "nowhere", "Tarvo.Person", "GetError"}}}) {
        Outcome unknown = run(program, args);
        EXPECT_EQ(unknown.status, 2) << program;
        EXPECT_NE(unknown.err.find("no profile nowhere"), std::string::npos) << unknown.err;
    }
    Outcome both = run(TARVO_SCRIPT_TOOL, {"--db", database.url(), "--profile", "office"});
    EXPECT_EQ(both.status, 2);
}

}  // namespace
