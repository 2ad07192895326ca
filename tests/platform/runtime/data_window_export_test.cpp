// saveasascii: the export file byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/runtime/datawindow/data_window.h"
#include "tests/support/faults.h"
#include "tests/support/test_db.h"

namespace {

using runtime::DataWindow;

runtime::ObjectDef object(runtime::ObjectKind kind, const std::string& name,
                          const std::string& text = "") {
    runtime::ObjectDef o;
    o.kind = kind;
    o.name = name;
    o.text = text;
    return o;
}

// A small grid: row number, eid, ename, born, flag, under their titles.
std::shared_ptr<runtime::Definition> grid() {
    auto def = std::make_shared<runtime::Definition>();
    def->name = "d_grid";
    def->style = runtime::PresentationStyle::grid;
    for (const char* name : {"eid", "ename", "born", "flag"}) {
        runtime::ColumnDef c;
        c.name = name;
        if (c.name == "born") {
            c.type = runtime::ColumnType::datetime;
            c.format = "[shortdate] [time]";
        }
        if (c.name == "flag") c.code_table = {{"在职", "1"}, {"离职", "0"}};
        def->columns.push_back(c);
    }
    def->objects.push_back(object(runtime::ObjectKind::text, "t_1", "No."));
    def->objects.push_back(object(runtime::ObjectKind::compute, "compute_1"));
    def->objects.back().expression = "getrow()";
    def->grid_columns.push_back({"t_1", "compute_1"});
    const char* titles[] = {"编号", "姓名", "出生日期", "在职"};
    for (std::size_t i = 0; i < def->columns.size(); ++i) {
        const std::string& name = def->columns[i].name;
        def->objects.push_back(object(runtime::ObjectKind::text, name + "_t", titles[i]));
        def->objects.push_back(object(runtime::ObjectKind::column, name));
        def->grid_columns.push_back({name + "_t", name});
    }
    return def;
}

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Export : public ::testing::Test {
  protected:
    void add(const char* eid, std::optional<std::string> ename, std::optional<std::string> born,
             std::optional<std::string> flag) {
        int r = dw.insertrow(0);
        dw.setitem(r, "eid", std::string(eid));
        dw.setitem(r, "ename", ename);
        dw.setitem(r, "born", born);
        dw.setitem(r, "flag", flag);
    }
    testing_support::TempDir dir;
    DataWindow dw{grid()};
};

TEST_F(Export, WritesTitlesAndShownValuesInCodePage936) {
    add("E1", "张三", "1990-02-28", "1");
    add("E2", std::nullopt, std::nullopt, "0");
    add("E3", "x", std::nullopt, "7");
    auto path = dir / "out.xls";
    ASSERT_EQ(dw.saveasascii(path.string()), 1);

    std::string expected =
        "No."
        "\t\xB1\xE0\xBA\xC5\t\xD0\xD5\xC3\xFB\t\xB3\xF6\xC9\xFA\xC8\xD5\xC6\xDA\t\xD4\xDA\xD6\xB0"
        "\r\n"
        "1\tE1\t\xD5\xC5\xC8\xFD\t1990-02-28 00:00:00\t\xD4\xDA\xD6\xB0\r\n"
        "2\tE2\t\t\t\xC0\xEB\xD6\xB0\r\n"
        "3\tE3\tx\t\t7\r\n";
    EXPECT_EQ(read_file(path), expected);
}

TEST_F(Export, QuotesValuesHoldingTabsQuotesOrLineBreaks) {
    add("E1", "a\tb", std::nullopt, std::nullopt);
    add("E2", "say \"hi\"", std::nullopt, std::nullopt);
    add("E3", "two\r\nlines", std::nullopt, std::nullopt);
    add("E4", "plain 'single'", std::nullopt, std::nullopt);
    auto path = dir / "quoted.txt";
    ASSERT_EQ(dw.saveasascii(path.string()), 1);
    std::string body = read_file(path);
    body = body.substr(body.find("\r\n") + 2);
    EXPECT_EQ(body,
              "1\tE1\t\"a\tb\"\t\t\r\n"
              "2\tE2\t\"say \"\"hi\"\"\"\t\t\r\n"
              "3\tE3\t\"two\r\nlines\"\t\t\r\n"
              "4\tE4\tplain 'single'\t\t\r\n");
}

TEST_F(Export, EmptyGridWritesTheTitleLineOnly) {
    auto path = dir / "empty.txt";
    std::ofstream(path) << "old content that must go";
    ASSERT_EQ(dw.saveasascii(path.string()), 1);
    std::string body = read_file(path);
    EXPECT_EQ(body.substr(0, 4), "No.\t");
    EXPECT_EQ(body.find("\r\n"), body.size() - 2);
}

TEST_F(Export, UnwritablePathFailsAndResolverMapsPaths) {
    add("E1", "张三", std::nullopt, "1");
    EXPECT_EQ(dw.saveasascii((dir / "no/such/folder/out.txt").string()), -1);
    EXPECT_EQ(dw.saveasascii(dir.path().string()), -1);  // a folder
    EXPECT_EQ(dw.saveasascii(""), -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));

    std::string asked;
    dw.set_path_resolver([&](std::string_view p) {
        asked = std::string(p);
        return (dir / "drive_c" / "export.xls").string();
    });
    std::filesystem::create_directory(dir / "drive_c");
    ASSERT_EQ(dw.saveasascii("c:\\export.xls"), 1);
    EXPECT_EQ(asked, "c:\\export.xls");
    EXPECT_NE(read_file(dir / "drive_c" / "export.xls").find("\xD5\xC5\xC8\xFD"),
              std::string::npos);
}

// Mended: a write that fails on the way (here the disk fills) leaves the file it was to
// replace as it was, and no temporary file beside it.
TEST_F(Export, FailedWriteLeavesTheOldFileWhole) {
    for (int i = 0; i < 300; ++i) add("E1", "张三丰的名字要长一些", "2001-02-03 04:05:06", "1");
    const auto path = dir / "export.xls";
    std::ofstream(path, std::ios::binary) << "last week's export";
    {
        testing_support::FileSizeLimit full(4096);
        EXPECT_EQ(dw.saveasascii(path.string()), -1);
    }
    EXPECT_EQ(read_file(path), "last week's export");
    EXPECT_EQ(testing_support::file_names(dir.path()), std::vector<std::string>{"export.xls"});

    ASSERT_EQ(dw.saveasascii(path.string()), 1);  // with room on the disk it is replaced
    EXPECT_GT(read_file(path).size(), 4096u);
    EXPECT_EQ(testing_support::file_names(dir.path()), std::vector<std::string>{"export.xls"});
}

}  // namespace
