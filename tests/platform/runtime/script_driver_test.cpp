// A scripted run of a small window: the transcript of user actions, answers, dialogs,
// inspection commands and mistakes. On SQLite and PostgreSQL.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/runtime/script_driver.h"
#include "platform/text/utf8.h"
#include "schema/schema.h"
#include "tests/platform/runtime/demo_window.h"
#include "tests/support/test_db.h"

namespace {

using namespace runtime;

struct Frame : runtime::Window {
    Frame() : runtime::Window("w_frame") { set_frame_style(true); }
};

class ScriptDriverTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        observer = database.connect();
        schema::create(*observer);
        observer->execute(
            "INSERT INTO employee (eid, ename, flag) VALUES ('E1', '张三', '1'), "
            "('E2', '李四', '0'), ('E3', '王五', '9')");
        ASSERT_EQ(sqlca.connect(database.url()), 0) << sqlca.sqlerrtext();
        app.add_definition(demo::grid_definition());
        app.register_class("w_frame", [] { return std::make_unique<Frame>(); });
        app.register_class("w_demo", [this] { return std::make_unique<demo::Window>(sqlca, log); });
        driver.set_database(observer.get());
        driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
            Window* frame = app.find_open("w_frame");
            if (!frame) frame = app.open("w_frame");
            return app.open_sheet(name, *frame, std::move(parm), 0, 0);
        });
    }
    // Runs a script and returns the transcript's lines.
    std::vector<std::string> run(const std::string& script, int expected_failures = 0) {
        out.str("");
        std::istringstream in(script);
        EXPECT_EQ(driver.run(in), expected_failures);
        std::vector<std::string> lines;
        std::istringstream t(out.str());
        for (std::string l; std::getline(t, l);) lines.push_back(l);
        return lines;
    }

    testing_support::TestDatabase database{GetParam()};
    testing_support::TempDir dir;
    std::unique_ptr<db::Connection> observer;
    Transaction sqlca;
    ScriptedInteraction ui;
    Files files{dir / "drive_c"};
    Application app{ui, files};
    demo::Log log;
    std::ostringstream out;
    ScriptDriver driver{app, ui, out};
};

TEST_P(ScriptDriverTest, SearchSelectOpenAndInspect) {
    auto t = run(R"s(
# set-up straight on the database
sql "INSERT INTO employee (eid, ename, flag) VALUES ('E4', '赵六', '1')"
open w_demo
type sle_id " E"
text sle_id
type sle_id E
click cb_find
rows dw_1
clickrow dw_1 2
key dw_1 down shift
dblclickrow dw_1 3
windows
close
item dw_1 4 flag
describe dw_1 datawindow.readonly
buttons
)s");
    std::vector<std::string> expected = {
        R"({"event":"sql","changed":1})",
        R"({"event":"open","window":"w_frame","parameter":null})",
        R"({"event":"open","window":"w_demo","parameter":null,"frame":"w_frame","menu":0,"arrange":0})",
        R"({"event":"text","control":"sle_id","text":" E"})",
        R"({"event":"rows","control":"dw_1","rowcount":4,"current":1,"selected":[],"modified":0,"deleted":0,"columns":["编号","姓名","状态"],"rows":[["E4","赵六","在职"],["E3","王五","9"],["E2","李四","离职"],["E1","张三","在职"]]})",
        R"({"event":"open","window":"w_demo","parameter":"E2","frame":"w_frame","menu":3,"arrange":2})",
        R"({"event":"windows","windows":["w_frame","w_demo","w_demo"],"current":"w_demo"})",
        R"({"event":"close","window":"w_demo"})",
        R"({"event":"item","control":"dw_1","row":4,"column":"flag","value":"1","display":"在职"})",
        R"({"event":"describe","control":"dw_1","property":"datawindow.readonly","value":"no"})",
        R"j({"event":"buttons","window":"w_demo","buttons":[{"event":"button","name":"cb_find","text":"查询(&S)","enabled":true,"visible":true},{"event":"button","name":"cb_save","text":"保存(&V)","enabled":true,"visible":true},{"event":"button","name":"cb_del","text":"删除(&D)","enabled":true,"visible":true},{"event":"button","name":"cb_export","text":"导出(&O)","enabled":true,"visible":true},{"event":"button","name":"cb_fail","text":"出错","enabled":true,"visible":true},{"event":"button","name":"cb_quit","text":"退出(&E)","enabled":true,"visible":true}]})j"};
    EXPECT_EQ(t, expected);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"clicked 2 eid current 2", "ue_key 40 1",
                                        "clicked 3 eid current 3", "doubleclicked 3 eid"}));
    // The second sheet is gone; the first is the script's window again.
    EXPECT_EQ(app.windows().size(), 2u);
}

TEST_P(ScriptDriverTest, AnswersDialogsAndTheCloseGuard) {
    const std::string export_path = (dir / "导出.xls").string();
    auto t = run(R"(
open w_demo
click cb_find
edit dw_1 1 ename "一二三四五六"
edit dw_1 1 ename "新名" noaccept
rows dw_1
edit dw_1 2 ename "改名"
answer cancel
key w_demo esc
answer no
close
open w_demo
click cb_find
clickrow dw_1 1
click cb_del
answer yes
click cb_del
sql "SELECT eid FROM employee ORDER BY eid"
answer path ")" + export_path +
                 R"("
click cb_export
file ")" + export_path +
                 R"("
click cb_export
click cb_fail
)");
    ASSERT_EQ(t.size(), 15u) << out.str();
    EXPECT_EQ(t[0], R"({"event":"open","window":"w_frame","parameter":null})");
    // The sixth character would pass the field's ten bytes: it is refused as it is typed,
    // and what fits becomes the value.
    EXPECT_EQ(
        t[2],
        R"({"event":"refused","control":"dw_1","column":"ename","typed":"一二三四五六","kept":"一二三四五"})");
    // The pending edit "新名" is not the row's value yet.
    EXPECT_NE(t[3].find(R"("modified":1)"), std::string::npos) << t[3];
    EXPECT_NE(t[3].find(R"(["E3","一二三四五","9"])"), std::string::npos) << t[3];
    EXPECT_EQ(
        t[4],
        R"({"event":"messagebox","title":"提示","text":"部分数据被改动！是否存盘？","icon":"question","buttons":"yesnocancel","default":1,"answer":3})");
    EXPECT_NE(t[5].find(R"("answer":2)"), std::string::npos);
    EXPECT_EQ(t[6], R"({"event":"close","window":"w_demo"})");
    EXPECT_NE(t[7].find(R"("window":"w_demo")"), std::string::npos);
    // The first delete is declined by default (No), the second confirmed.
    EXPECT_NE(
        t[8].find(
            R"("text":"确定删除该员工吗？","icon":"question","buttons":"yesno","default":2,"answer":2)"),
        std::string::npos)
        << t[8];
    EXPECT_NE(t[9].find(R"("answer":1)"), std::string::npos);
    EXPECT_EQ(t[10], R"({"event":"sql","columns":["eid"],"rows":[["E1"],["E2"]]})");
    EXPECT_EQ(
        t[11],
        R"({"event":"dialog","kind":"save","title":"导出文件","extension":"文本文件","filter":"EXCEL表格(.xls),*.xls","answer":1,"path":")" +
            export_path + R"("})");
    EXPECT_GT(files.length(export_path), 0);
    EXPECT_EQ(t[12], R"({"event":"file","path":")" + export_path + R"(","length":)" +
                         std::to_string(files.length(export_path)) + "}");
    EXPECT_EQ(
        t[13],
        R"({"event":"dialog","kind":"save","title":"导出文件","extension":"文本文件","filter":"EXCEL表格(.xls),*.xls","answer":0,"path":""})");
    EXPECT_NE(t[14].find(R"({"event":"runtime-error","title":"运行时错误")"), std::string::npos);
    EXPECT_NE(t[14].find("cb_missing"), std::string::npos);
    EXPECT_EQ(ui.pending(), 0u);
    // Row E3 was renamed and dropped with No; nothing was written.
    auto names = observer->query_all("SELECT ename FROM employee WHERE eid = 'E2'");
    EXPECT_EQ(names.rows[0][0], db::Value("李四"));
}

TEST_P(ScriptDriverTest, MistakesAreReportedAndTheScriptGoesOn) {
    auto t = run(R"(
frobnicate
click cb_find
open w_nowhere
open w_demo
click cb_none
type cb_find "x"
clickrow dw_1 x
answer path
answer 1
click cb_export
edit dw_1 1 ename "x" maybe
type sle_id "unclosed
sql "SELECT 1"
)",
                 10);
    std::vector<std::string> events;
    for (auto& l : t) events.push_back(l.substr(0, l.find(',')));
    EXPECT_EQ(std::count(events.begin(), events.end(), R"({"event":"script-error")"), 10)
        << out.str();
    EXPECT_NE(out.str().find(R"("line":2,"command":"frobnicate")"), std::string::npos);
    EXPECT_NE(out.str().find("window w_nowhere could not be opened"), std::string::npos);
    EXPECT_NE(out.str().find("w_demo.cb_none"), std::string::npos);
    EXPECT_NE(out.str().find("a button number was queued, but a file dialog asks"),
              std::string::npos);
    EXPECT_NE(t.back().find(R"({"event":"sql","columns":)"), std::string::npos);
}

TEST_P(ScriptDriverTest, ALineThatIsNotUtf8IsRefusedAndTheTranscriptStaysUtf8) {
    auto t = run("open w_demo\ntype sle_id \"\xB2\xC6\"\nclick cb_\xFF\n", 2);
    ASSERT_EQ(t.size(), 4u) << out.str();  // the frame and w_demo opened, two refusals
    EXPECT_NE(t[2].find("the line is not valid UTF-8 (byte 14)"), std::string::npos) << t[2];
    EXPECT_NE(t[3].find("\"command\":\"click\""), std::string::npos) << t[3];
    EXPECT_TRUE(text::is_valid_utf8(out.str())) << out.str();
    const Window* w = app.find_open("w_demo");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->control_as<SingleLineEdit>("sle_id").text(), "");
}

TEST(ScriptSplit, QuotedWordsKeepWindowsPathsBlanksAndTabs) {
    using W = std::vector<std::string>;
    EXPECT_EQ(ScriptDriver::split(R"(file "c:\tempemployee.JPG")"),
              (W{"file", "c:\\tempemployee.JPG"}));
    EXPECT_EQ(ScriptDriver::split("type sle_id \" a\tb \\\" \\\\\"  # comment"),
              (W{"type", "sle_id", " a\tb \" \\"}));
    EXPECT_EQ(ScriptDriver::split("  # only a comment"), W{});
    EXPECT_EQ(ScriptDriver::split(R"(edit dw_1 1 ename "")"),
              (W{"edit", "dw_1", "1", "ename", ""}));
    EXPECT_THROW(ScriptDriver::split(R"(type sle_id "open)"), ScriptError);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScriptDriverTest,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
