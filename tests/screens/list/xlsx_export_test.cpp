// The export as an Excel workbook (.xlsx): 1,000 employees, among them values a spreadsheet
// would take for numbers, formulas or dates, exported through the save dialog and read back
// cell by cell with openpyxl (tests/support/check_xlsx.py); on both databases.
#include <cstdlib>
#include <fstream>

#include "platform/text/utf8.h"
#include "tests/screens/list/list_fixture.h"

namespace list_test {
namespace {

constexpr int kEmployees = 1000;

// The stored values of employee i (1-based), column by column; nullopt for null.
struct Stored {
    std::string eid;
    std::vector<std::optional<std::string>> values;  // ename .. flag, as the table orders them
};

const std::vector<std::string> kColumns = {
    "eid",    "ename",       "sex",        "born",         "naviteplace", "nationality",
    "school", "bodyhigh",    "bodyweight", "maerry",       "bornfrom",    "idcard",
    "urgent", "urgentphone", "department", "position",     "email",       "phone",
    "mobile", "qq",          "msn",        "othercontact", "content",     "flag"};

Stored employee(int i) {
    const std::string n = std::to_string(i);
    const char* names[] = {"=1+2", "+86", "-1", "@SUM(A1)", "=HYPERLINK(\"x\")", "  前后  "};
    std::optional<std::string> born;
    if (i % 5 == 1) born = "1899-12-31 00:00:00";  // before any spreadsheet date: text
    if (i % 5 == 2) born = "1985-08-22 13:45:10";
    if (i % 5 == 3) born = "2000-02-29 00:00:00";
    std::string idcard = "11010519800101" + std::to_string(10000 + i).substr(1);  // 18 digits
    if (i % 2) idcard.back() = 'X';
    std::optional<std::string> flag;
    if (i % 3 == 1) flag = "1";
    if (i % 3 == 2) flag = "0";
    return {std::string("X") +
                (i < 10     ? "000"
                 : i < 100  ? "00"
                 : i < 1000 ? "0"
                            : "") +
                n,
            {i % 7 ? std::string(names[i % 6]) : "张三" + n,
             std::string(i % 2 ? "男" : "女"),
             born,
             std::string("河南"),
             std::string("汉族"),
             std::string("本科"),
             std::string("0175"),
             std::string("65.50"),
             std::string(i % 2 ? "1e5" : "TRUE"),
             std::string(i % 2 ? "1/2" : "2024-01-01"),
             idcard,
             std::string("李四"),
             std::string("+8613800138000"),
             i % 3 ? std::optional<std::string>("销售部") : std::optional<std::string>(""),
             std::string("00:30"),
             std::string(i % 7 ? "user@example.com" : "a_x0041_b@example.com"),
             std::string("010-12345678"),
             std::string("00") + std::to_string(100000000 + i),
             std::string("0012345"),
             std::string(i % 4 ? "msn" : "tab\there"),
             i % 6 ? std::nullopt : std::optional<std::string>("line1\nline2"),
             std::string(i % 9 ? "备注" + n
                               : "a\x01"
                                 "b"),
             flag}};
}

std::string json(const std::string& s) {
    return text::json_quote(s);
}

// The cells row `row` of the list should show: the row number, then the stored values as
// shown (在职/离职 for flag, dates as dates), nothing for null or empty.
std::string expected_row(int row) {
    const Stored e = employee(kEmployees + 1 - row);  // listed by number, descending
    std::string out = "[[\"n\"," + std::to_string(row) + "],[\"s\"," + json(e.eid) + "]";
    for (std::size_t c = 0; c < e.values.size(); ++c) {
        const std::string& column = kColumns[c + 1];
        std::optional<std::string> v = e.values[c];
        if (column == "flag" && v) v = *v == "1" ? "在职" : "离职";
        if (!v || v->empty())
            out += ",null";
        else if (column == "born" && v->substr(0, 4) >= "1900")
            out += ",[\"d\"," + json(*v) + "]";
        else
            out += ",[\"s\"," + json(*v) + "]";
    }
    return out + "]";
}

class ListWorkbook : public ListTest {
  protected:
    // Employees 1 to n, in one transaction.
    void insert_employees(int n) {
        std::string insert = "INSERT INTO Employee (";
        std::string marks;
        for (const std::string& c : kColumns) {
            insert += (marks.empty() ? "" : ", ") + c;
            marks += marks.empty() ? "?" : ", ?";
        }
        insert += ") VALUES (" + marks + ")";
        other->begin();
        for (int i = 1; i <= n; ++i) {
            const Stored e = employee(i);
            db::Params params{db::Value(e.eid)};
            for (const auto& v : e.values) params.push_back(v ? db::Value(*v) : db::Value());
            other->execute(insert, params);
        }
        other->commit();
    }

    // Runs the checker on a workbook; its verdict and what it printed.
    std::pair<int, std::string> check(const std::filesystem::path& workbook,
                                      const std::string& expected_json) {
        const auto expected = dir / "expected.json";
        std::ofstream(expected) << expected_json;
        const auto report = dir / "report.txt";
        const std::string command = "/usr/bin/python3 " + std::string(TARVO_CHECK_XLSX) + " '" +
                                    workbook.string() + "' '" + expected.string() + "' > '" +
                                    report.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(report);
        return {status, std::string(std::istreambuf_iterator<char>(in), {})};
    }
};

TEST_P(ListWorkbook, EveryCellOfAThousandRowsReadsBackAsTheListShowsIt) {
    insert_employees(kEmployees);
    search("X", "");
    ASSERT_EQ(grid().rowcount(), kEmployees);
    const auto path = dir / "员工.xlsx";
    ui.queue(runtime::Answer::file(path.string()));
    press("cb_2");
    ASSERT_EQ(prompts("info").size(), 1u);
    EXPECT_EQ(prompts("info")[0].text, "导出成功" + path.string());
    EXPECT_EQ(other->query_all("SELECT l_work FROM Syslog").rows.size(), 1u);

    std::string expected = R"({"sheet": "员工管理", "titles": [)";
    for (std::size_t c = 0; c < grid().data().titles().size(); ++c)
        expected += (c ? "," : "") + json(grid().data().titles()[c]);
    // Every column as wide as its title, the dates' and the ID numbers' as their values.
    expected += R"(], "min_widths": [3,4,4,4,19,4,4,4,4,4,4,10,18,10,12,4,4,5,4,4,2,3,12,4,4],)";
    expected += R"( "rows": [)";
    for (int row = 1; row <= kEmployees; ++row)
        expected += (row > 1 ? "," : "") + expected_row(row);
    const auto [status, report] = check(path, expected + "]}");
    EXPECT_EQ(status, 0) << report;
    EXPECT_NE(report.find("25000 cells checked, 0 differ"), std::string::npos) << report;
}

TEST_P(ListWorkbook, AWorkbookThatCannotBeWrittenIsAFailureWithoutAnAuditLine) {
    insert_employees(3);
    search("X", "");
    const auto path = dir / "no-such-folder" / "list.xlsx";
    ui.queue(runtime::Answer::file(path.string()));
    press("cb_2");
    ASSERT_EQ(prompts("error").size(), 1u);
    EXPECT_EQ(prompts("error")[0].text, "导出失败");
    EXPECT_TRUE(prompts("info").empty());
    EXPECT_TRUE(other->query_all("SELECT l_work FROM Syslog").rows.empty());

    // The extension decides in any case: ".XLSX" is a workbook too (a zip file).
    ui.queue(runtime::Answer::file((dir / "LIST.XLSX").string()));
    press("cb_2");
    std::ifstream written(dir / "LIST.XLSX", std::ios::binary);
    std::string head(2, '\0');
    written.read(head.data(), 2);
    EXPECT_EQ(head, "PK");
}

INSTANTIATE_TEST_SUITE_P(Backends, ListWorkbook,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace list_test
