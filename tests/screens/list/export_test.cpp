// The export button: the file read back byte for byte, an unwritable path, the audit lines,
// on both databases.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/text/gbk.h"
#include "tests/screens/list/list_fixture.h"

namespace list_test {
namespace {

class ListExport : public ListTest {
  protected:
    std::string read_file(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // (l_user, l_work) of every audit line, oldest first, as another connection sees them.
    std::vector<std::pair<std::string, std::string>> audit_lines() {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& row :
             other->query_all("SELECT l_user, l_work FROM Syslog ORDER BY l_id").rows)
            out.emplace_back(row[0].to_string(), row[1].to_string());
        return out;
    }
};

// A line of 25 cells: row number, number, name, 21 empty cells, status.
std::string line(const std::string& no, const std::string& eid, const std::string& name,
                 const std::string& flag) {
    std::string s = no + "\t" + eid + "\t" + name;
    for (int i = 0; i < 21; ++i) s += "\t";
    return s + "\t" + flag + "\r\n";
}

TEST_P(ListExport, WritesTheGridAsGbkTextAndAnAuditLine) {
    search("1", "");  // E12, 12, 112, 10
    const auto path = dir / "员工列表.xls";
    ui.queue(runtime::Answer::file(path.string()));
    press("cb_2");

    auto save = prompts("save");
    ASSERT_EQ(save.size(), 1u);
    EXPECT_EQ(save[0].title, "导出文件");
    EXPECT_EQ(save[0].default_extension, "文本文件");
    EXPECT_EQ(save[0].text, "EXCEL表格(.xls),*.xls,Excel 工作簿(*.xlsx),*.xlsx");

    const std::string expected_utf8 =
        "No.\t编号\t姓名\t性别\t出生日期\t籍贯\t民族\t学历\t身高\t体重\t婚否\t户口所在地\t"
        "身份证号\t紧急联系人\t紧急联系电话\t部门\t职位\tEmail\t电话\t手机\tQQ\tMSN\t"
        "其它联系方式\t备注\t在职\r\n" +
        line("1", "E12  ", "张小三", "在职") + line("2", "12", "王五", "在职") +
        line("3", "112", "O'Brien", "在职") + line("4", "10", "李四", "离职");
    const std::string bytes = read_file(path);
    EXPECT_EQ(bytes, text::to_gbk(expected_utf8));
    EXPECT_NE(bytes.find("\xc0\xeb\xd6\xb0"), std::string::npos);  // 离职 in code page 936
    EXPECT_EQ(bytes.find("在职"), std::string::npos);              // no UTF-8 left

    auto info = prompts("info");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].text, "导出成功" + path.string());
    EXPECT_EQ(audit_lines(),
              (std::vector<std::pair<std::string, std::string>>{{"admin", "导出了报溢报表"}}));
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());
    EXPECT_EQ(li_currow(), 1);  // the export leaves the list alone
    EXPECT_EQ(li_rowcount(), 4);
}

TEST_P(ListExport, TwoExportsGiveTwoAuditLinesWithTheCurrentUser) {
    ui.queue(runtime::Answer::file((dir / "a.xls").string()));
    press("cb_2");  // no search yet: the title line only
    EXPECT_EQ(read_file(dir / "a.xls").substr(0, 4), "No.\t");
    EXPECT_EQ(read_file(dir / "a.xls").find("\r\n"), read_file(dir / "a.xls").size() - 2);

    h.gs_username = "王经理";
    ui.queue(runtime::Answer::file((dir / "b.xls").string()));
    press("cb_2");
    EXPECT_EQ(audit_lines(), (std::vector<std::pair<std::string, std::string>>{
                                 {"admin", "导出了报溢报表"}, {"王经理", "导出了报溢报表"}}));
}

TEST_P(ListExport, UnwritablePathReportsFailureAndWritesNoAuditLine) {
    search("", "");
    const auto path = dir / "no-such-folder" / "list.xls";
    ui.queue(runtime::Answer::file(path.string()));
    press("cb_2");
    auto errors = prompts("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "导出失败");
    EXPECT_TRUE(prompts("info").empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(audit_lines().empty());
}

TEST_P(ListExport, WindowsPathOnAFreshDriveIsWritten) {
    ASSERT_FALSE(std::filesystem::exists(files.drive_c()));  // nothing wrote to c:\ yet
    ui.queue(runtime::Answer::file("c:\\员工.xls"));
    press("cb_2");
    EXPECT_TRUE(prompts("error").empty());
    EXPECT_EQ(read_file(files.drive_c() / "员工.xls").substr(0, 4), "No.\t");
    EXPECT_EQ(audit_lines().size(), 1u);
}

TEST_P(ListExport, CancelledDialogDoesNothing) {
    search("", "");
    press("cb_2");  // nothing queued: the dialog is cancelled
    EXPECT_EQ(ui.prompts().size(), 1u);
    EXPECT_TRUE(audit_lines().empty());
}

// Mended: an audit line that cannot be written is rolled back and the user is told, after
// being told where the file went.
TEST_P(ListExport, FailedAuditInsertIsRolledBackAndTold) {
    other->execute("DROP TABLE Syslog");
    const auto path = dir / "c.xls";
    ui.queue(runtime::Answer::file(path.string()));
    press("cb_2");
    const auto texts = prompt_texts();
    ASSERT_EQ(texts.size(), 3u);  // the dialog, the file, the audit line
    EXPECT_EQ(texts[1], "info:导出成功" + path.string());
    EXPECT_EQ(texts[2].rfind("error:导出记录未能写入日志：", 0), 0u) << texts[2];
    std::string reason = texts[2];  // the database's own words name the table
    for (char& c : reason) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(reason.find("syslog"), std::string::npos) << texts[2];
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());
    search("", "");  // the connection still works
    EXPECT_EQ(grid().rowcount(), 6);
}

INSTANTIATE_TEST_SUITE_P(Backends, ListExport,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace list_test
