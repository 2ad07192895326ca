// Runs the built tarvo-com on a real SQLite file with a private registry and checks what it
// prints and how it exits.
#include <gtest/gtest.h>
#include <algorithm>

#include <cstdlib>
#include <fstream>
#include <regex>

#include <unistd.h>
#include <sstream>

#include "platform/text/utf8.h"
#include "schema/schema.h"
#include "tests/support/test_db.h"

namespace {

struct ToolRun {
    int status;
    std::string out, err;
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);) v.push_back(l);
        return v;
    }
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TarvoComTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registry = (dir / "registry").string();
        ::setenv("TARVO_REGISTRY", registry.c_str(), 1);
        ASSERT_EQ(run({"register", TARVO_ADO_MODULE}).status, 0);
        ToolRun r = run({"register", TARVO_COMPONENT_MODULE});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, std::string("registered ") + TARVO_COMPONENT_MODULE + "\n");
        db_path = (dir / "hr.db").string();
        auto db = db::connect("sqlite:" + db_path);
        schema::create(*db);
        connect = "Provider=SQLite;Data Source=" + db_path;
    }
    void TearDown() override { ::unsetenv("TARVO_REGISTRY"); }

    ToolRun run(const std::vector<std::string>& args, const std::string& input = "") {
        std::ofstream(dir / "in") << input;
        std::string cmd = quote(TARVO_COM_TOOL);
        for (const auto& a : args) cmd += " " + quote(a);
        cmd += " < " + quote((dir / "in").string()) + " > " + quote((dir / "out").string()) +
               " 2> " + quote((dir / "err").string());
        int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir / "out"),
                read_file(dir / "err")};
    }
    ToolRun json(const std::vector<std::string>& call) {
        std::vector<std::string> args{"--connect", connect, "--format", "json"};
        args.insert(args.end(), call.begin(), call.end());
        return run(args);
    }

    testing_support::TempDir dir;
    std::string registry, db_path, connect;
};

TEST_F(TarvoComTest, ABatchKeepsOneObjectPerProgIdAndPrintsJsonLines) {
    const std::string input =
        "# departments\n"
        "Tarvo.Department AddData \"Sales\" 3 empty \"备注\"\n"
        "Tarvo.Department AddData 研发 null 1 \"\"\n"
        "\n"
        "Tarvo.Department GetAllData 0\n"
        "Tarvo.Department GetPageData 10 0\n"
        "tarvo.department GetError\n"
        "Tarvo.Message GetPageData 10 1\n"
        "Tarvo.Message AddData 1 \"it's \\\"quoted\\\"\" empty Title\n"
        "Tarvo.Message GetData 1\n"
        "Tarvo.Department DelData ID:=2\n"
        "Tarvo.Department GetData 2\n";
    ToolRun r = run({"--connect", connect, "--format", "json", "--batch"}, input);
    EXPECT_EQ(r.status, 1);  // one call failed
    const char* header = R"(["DeptID","DeptName","DeptOrder","DeptParentID","DeptMemo"])";
    std::vector<std::string> expected = {
        R"({"ok":true,"result":true})",
        R"({"ok":true,"result":true})",
        std::string(R"({"ok":true,"result":{"rows":3,"cols":5,"cells":[)") + header +
            R"(,[1," Sales ",3,null,"备注"],[2," 研发 ",null,1,""]]}})",
        R"({"ok":false,"hresult":"0x800A0BB9","description":"Argument out of range: the page number must be 1 or more, not 0"})",
        R"({"ok":true,"result":"Argument out of range: the page number must be 1 or more, not 0"})",
        R"({"ok":true,"result":{"rows":0,"cols":0,"cells":[]}})",
        R"({"ok":true,"result":true})",
        R"({"ok":true,"result":{"rows":2,"cols":5,"cells":[["MsgID","PersonID","MsgContent","MsgFromPersonID","MsgTitle"],[1,1,"it's \"quoted\"",null,"Title"]]}})",
        R"({"ok":true,"result":true})",
        std::string(R"({"ok":true,"result":{"rows":1,"cols":5,"cells":[)") + header + "]}}",
    };
    EXPECT_EQ(r.lines(), expected) << r.err;
}

// On a PostgreSQL database that reads backslashes in quoted text as escapes, a name ending
// in a backslash still cannot end its literal and rewrite the other departments.
class PgTarvoCom : public TarvoComTest {};

TEST_F(PgTarvoCom, ABackslashCannotEndAQuotedValueOnADatabaseSetToEscapes) {
    const std::string base = testing_support::postgres_url();
    if (base.empty()) GTEST_SKIP() << "PostgreSQL tests skipped: TARVO_TEST_PG_URL is not set";
    std::smatch m;
    static const std::regex url(R"(postgresql://([^@:/]+)@([^:/]+):(\d+)/.*)");
    ASSERT_TRUE(std::regex_match(base, m, url)) << base;
    const std::string name = "tarvo_com_" + std::to_string(getpid());
    auto admin = db::connect(base);
    admin->execute("DROP DATABASE IF EXISTS " + name);
    admin->execute("CREATE DATABASE " + name);
    admin->execute("ALTER DATABASE " + name + " SET standard_conforming_strings = off");
    {
        auto db = db::connect(base.substr(0, base.rfind('/') + 1) + name);
        schema::create(*db);
        db->execute(
            "INSERT INTO HR_Dept (DeptID, DeptName, DeptOrder) VALUES (1, 'a', 1), (2, 'b', 2)");
        connect = "Provider=PostgreSQL;Host=" + m[2].str() + ";Port=" + m[3].str() +
                  ";Database=" + name + ";User ID=" + m[1].str();
        ToolRun r = json({"Tarvo.Department", "UpdateData", "1", "\"\\',DeptOrder=999 --\"", "1",
                          "null", "memo"});
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        auto rows = db->query_all("SELECT DeptName, DeptOrder FROM HR_Dept ORDER BY DeptID");
        ASSERT_EQ(rows.rows.size(), 2u);
        EXPECT_EQ(rows.rows[0][0], db::Value("\\',DeptOrder=999 --"));
        EXPECT_EQ(rows.rows[0][1], db::Value(1));
        EXPECT_EQ(rows.rows[1][0], db::Value("b"));
        EXPECT_EQ(rows.rows[1][1], db::Value(2));
    }
    admin->execute("DROP DATABASE " + name);
}

TEST_F(TarvoComTest, SingleCallsExitWithTheOutcome) {
    ToolRun added =
        json({"Tarvo.Person", "AddData", "DeptID:=5", "PersonName:=张三", "PersonSex:=男",
              "PersonBirthday:=", "PersonDuty:=", "PersonAddr:=", "PersonPhone:=", "PersonEmail:=",
              "PersonWeb:=", "PersonPhoto:=", "PersonMomo:=", "PersonType:=\"2\"",
              "PersonAccount:=", "PersonPwd:=null"});
    EXPECT_EQ(added.status, 0) << added.out << added.err;
    EXPECT_EQ(added.out, "{\"ok\":true,\"result\":true}\n");

    ToolRun got = json({"Tarvo.Person", "GetDeptData", "5"});
    EXPECT_EQ(got.status, 0);
    EXPECT_NE(got.out.find(R"([1,5,"张三","男","","","","","","","","","2","",""]]}})"),
              std::string::npos)
        << got.out;

    ToolRun failed = json({"Tarvo.Person", "GetDeptData", "x"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out,
              "{\"ok\":false,\"hresult\":\"0x8004B002\",\"description\":"
              "\"Parameter DeptID: the text \\\"x\\\" is not a number\"}\n");

    ToolRun unknown = json({"Tarvo.Person", "Fly"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("\"hresult\":\"0x80020006\""), std::string::npos);

    // Without --connect the object has no connection.
    // A database that cannot be opened is said once, in one line, and nothing is called.
    ToolRun no_db =
        run({"--connect", "Provider=SQLite;Data Source=" + (dir / "no/such.db").string(),
             "--format", "json", "--batch"},
            "Tarvo.Person GetAllData\nTarvo.Message GetAllData\n");
    EXPECT_EQ(no_db.status, 2);
    EXPECT_EQ(no_db.out, "");
    EXPECT_TRUE(no_db.err.starts_with("tarvo-com: cannot open the database: ")) << no_db.err;
    EXPECT_EQ(std::count(no_db.err.begin(), no_db.err.end(), '\n'), 1) << no_db.err;

    ToolRun bare = run({"--format", "json", "Tarvo.Message", "GetAllData"});
    EXPECT_EQ(bare.status, 1);
    EXPECT_NE(bare.out.find("0x8004B001"), std::string::npos) << bare.out;
}

TEST_F(TarvoComTest, TableAndTsvFormats) {
    ASSERT_EQ(json({"Tarvo.Department", "AddData", "研发部", "1", "empty", "a\tb"}).status, 0);
    ToolRun table = run({"--connect", connect, "Tarvo.Department", "GetData", "1"});
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out,
              "DeptID  DeptName  DeptOrder  DeptParentID  DeptMemo\n"
              "1        研发部   1          NULL          a\tb\n");
    ToolRun tsv =
        run({"--connect", connect, "--format=tsv", "Tarvo.Department", "GetPageData", "5", "1"});
    EXPECT_EQ(tsv.out, "1\t 研发部 \t1\t\\N\ta\\tb\n");
    ToolRun none = run({"--connect", connect, "Tarvo.Message", "GetPageData", "5", "1"});
    EXPECT_EQ(none.out, "(empty array)\n");
    ToolRun failed = run({"--connect", connect, "Tarvo.Message", "GetPageData", "0", "1"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err,
              "tarvo-com: Tarvo.Message.GetPageData failed: 0x800A0BB9: Argument out of range: "
              "the page size must be 1 or more, not 0\n");
}

TEST_F(TarvoComTest, UsageErrorsAndRegistration) {
    EXPECT_EQ(run({"--help"}).status, 0);
    EXPECT_NE(run({"--help"}).out.find("--batch"), std::string::npos);
    EXPECT_EQ(run({"Tarvo.Person"}).status, 2);
    EXPECT_EQ(run({"--format", "xml", "Tarvo.Person", "GetAllData"}).status, 2);
    EXPECT_EQ(run({"register"}).status, 2);
    ToolRun big = json({"Tarvo.Person", "GetData", "99999999999"});
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.out.find("must fit 32 bits"), std::string::npos);

    ToolRun missing = run({"register", (dir / "nothing.so").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.err.empty());
    ASSERT_EQ(run({"unregister", TARVO_COMPONENT_MODULE}).status, 0);
    EXPECT_EQ(read_file(registry).find("Tarvo.Person"), std::string::npos);
    ToolRun gone = json({"Tarvo.Person", "GetAllData"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.out.find("\"ok\":false"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(TarvoComTest, BatchMayStartWithAByteOrderMarkAndAMistypedFileIsNotCreated) {
    ToolRun r = run({"--connect", connect, "--format", "tsv", "--batch"},
                    "\xEF\xBB\xBFTarvo.Department AddData 财务部 1 null memo\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "True\n");

    const auto missing = dir / "hr-mistyped.db";
    ToolRun m = run({"--connect", "Provider=SQLite;Data Source=" + missing.string(),
                     "Tarvo.Department", "GetAllData", "0"});
    EXPECT_EQ(m.status, 2);
    EXPECT_NE(m.err.find("does not exist"), std::string::npos) << m.err;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace

namespace {

// Counts the rows of HR_Dept straight from the file, beside the tool.
std::int64_t departments(const std::string& db_path) {
    auto db = db::connect("sqlite:" + db_path);
    auto c = db->query("select count(*) from HR_Dept");
    c->next();
    return c->value(0).as_integer();
}

TEST_F(TarvoComTest, InvalidUtf8IsRefusedBeforeAnythingIsSentAndJsonStaysValid) {
    // A lone GBK-encoded name ("财务" in code page 936) and a cut three-byte sequence.
    const std::string gbk = "\xB2\xC6\xCE\xF1", cut = "ab\xE8\xB4";
    ToolRun single = json({"Tarvo.Department", "AddData", gbk, "1", "null", "memo"});
    EXPECT_EQ(single.status, 1);
    ASSERT_EQ(single.lines().size(), 1u) << single.out;
    EXPECT_TRUE(text::is_valid_utf8(single.out)) << single.out;
    EXPECT_NE(single.out.find("argument 1 is not valid UTF-8 (byte 1)"), std::string::npos)
        << single.out;

    ToolRun batch = run({"--connect", connect, "--format", "json", "--batch"},
                        "Tarvo.Department AddData 财务部 1 null memo\n"
                        "Tarvo.Department AddData " +
                            cut +
                            " 1 null memo\n"
                            "Tarvo.Department AddData 研发 1 null \"" +
                            gbk +
                            "\"\n"
                            "Tarvo.Depart\xFFment GetAllData 0\n");
    EXPECT_EQ(batch.status, 1);
    const auto lines = batch.lines();
    ASSERT_EQ(lines.size(), 4u) << batch.out;
    EXPECT_EQ(lines[0], R"({"ok":true,"result":true})");
    EXPECT_NE(lines[1].find("line 2 is not valid UTF-8 (byte 28)"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("line 3 is not valid UTF-8"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("\xEF\xBF\xBD"), std::string::npos) << lines[3];  // echoed repaired
    EXPECT_TRUE(text::is_valid_utf8(batch.out)) << batch.out;
    EXPECT_EQ(departments(db_path), 1);  // only the valid line reached the database

    ToolRun table =
        run({"--connect", connect, "Tarvo.Department", "AddData", cut, "1", "null", "memo"});
    EXPECT_EQ(table.status, 1);
    EXPECT_TRUE(text::is_valid_utf8(table.err)) << table.err;
    EXPECT_EQ(run({"--connect", "Provider=SQLite;Data Source=\xC0\xAF", "Tarvo.Department",
                   "GetAllData", "0"})
                  .status,
              2);
    EXPECT_EQ(departments(db_path), 1);
}

}  // namespace

// The Python example drives a tarvo-com co-process through the line protocol: answers come
// one per request while its standard input stays open, failures with code and description.
TEST_F(TarvoComTest, ThePythonExampleTalksTheLineProtocol) {
    if (std::system("command -v python3 > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
    {
        auto db = db::connect("sqlite:" + db_path);
        db->execute(
            "INSERT INTO HR_Person (DeptID, PersonName, PersonSex) VALUES (1, '张三', '男')");
    }
    // A co-process that answered only at the end of its input would hang the example.
    const std::string cmd = "timeout 60 python3 " + quote(TARVO_PYTHON_EXAMPLE) + " --tarvo-com " +
                            quote(TARVO_COM_TOOL) + " " + quote(db_path) + " > " +
                            quote((dir / "out").string()) + " 2> " + quote((dir / "err").string());
    const int raw = std::system(cmd.c_str());
    ToolRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir / "out"),
              read_file(dir / "err")};
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> expected = {
        "added: True",
        "departments:",
        "1\t 质量部 \t7\tNULL\t备注",
        "people:",
        "1\t1\t张三\t男\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL",
        "failed: 0x800A0BB9 Argument out of range: the page number must be 1 or more, not 0",
        "GetError: Argument out of range: the page number must be 1 or more, not 0",
        "exit status: 1",
    };
    EXPECT_EQ(r.lines(), expected) << r.err;
}
