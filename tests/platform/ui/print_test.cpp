// Printing to PDF files, read back as a user's tools read them (poppler's pdfinfo,
// pdftotext, pdfimages): a record card with its picture on one page, and a list of 1,000
// rows over pages across and down, every page with its titles, date and number.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QImage>
#include <QPrinter>
#include <fstream>

#include "platform/db/connection.h"
#include "platform/ui/print_renderer.h"
#include "tests/support/pdf_text.h"
#include "tests/support/test_db.h"
#include "tests/support/test_main.h"

namespace {

using testing_support::pdf_images;
using testing_support::pdf_pages;
using testing_support::pdf_text;

// The list's columns as the grid defines them: titles and widths in layout units.
const std::vector<std::pair<std::string, int>> kListColumns = {
    {"No.", 105},      {"编号", 462},       {"姓名", 370},         {"性别", 114},
    {"出生日期", 357}, {"籍贯", 361},       {"民族", 361},         {"学历", 261},
    {"身高", 274},     {"体重", 229},       {"婚否", 142},         {"户口所在地", 352},
    {"身份证号", 585}, {"紧急联系人", 311}, {"紧急联系电话", 384}, {"部门", 352},
    {"职位", 361},     {"Email", 530},      {"电话", 434},         {"手机", 521},
    {"QQ", 457},       {"MSN", 553},        {"其它联系方式", 763}, {"备注", 974},
    {"在职", 110}};

std::vector<std::string> list_row(int r) {
    const std::string n = std::to_string(r);
    std::vector<std::string> row = {n, "P" + std::to_string(10000 + r), "员工" + n, "男",
                                    "1985-08-22 00:00:00"};
    while (row.size() < kListColumns.size() - 1) row.push_back("值" + n);
    row.push_back("在职");
    return row;
}

runtime::PrintJob list_job(int rows) {
    runtime::PrintJob job;
    job.layout = runtime::PrintJob::Layout::table;
    job.title = "员工管理";
    for (const auto& [title, width] : kListColumns) {
        job.titles.push_back(title);
        job.widths.push_back(width);
    }
    job.rows = rows;
    job.row = list_row;
    return job;
}

runtime::PrintJob card_job(const std::string& picture) {
    runtime::PrintJob job;
    job.layout = runtime::PrintJob::Layout::card;
    job.title = "员工信息";
    job.titles = {"员工编号：", "员工姓名：", "身份证号：", "备注："};
    job.rows = 1;
    job.row = [](int) {
        return std::vector<std::string>{"E000300", "郭磊敏", "110022381645999817",
                                        std::string(300, 'x')};  // wraps, and stays on the page
    };
    job.picture = picture;
    return job;
}

// Whether a page's text ends with "第 N 页，共 M 页". (Its 页 reads back as the radical ⻚,
// which looks the same: the letters around it are checked.)
bool numbered(const std::string& text, int page, int pages) {
    const auto at = text.rfind("第 " + std::to_string(page) + " ");
    return at != std::string::npos &&
           text.find("，共 " + std::to_string(pages) + " ", at) != std::string::npos;
}

class PrintTest : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    const std::string today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
};

TEST_F(PrintTest, ACardIsOnePageWithItsCaptionsValuesAndPicture) {
    const auto picture = dir / "photo.png";
    QImage photo(120, 160, QImage::Format_RGB32);
    photo.fill(Qt::darkBlue);
    ASSERT_TRUE(photo.save(QString::fromStdString(picture.string())));
    const auto pdf = dir / "card.pdf";
    const runtime::PrintOutcome outcome = ui::print_to_pdf(card_job(picture.string()), pdf);
    EXPECT_EQ(outcome.result, 1) << outcome.reason;
    EXPECT_EQ(pdf_pages(pdf), 1);
    const std::string text = pdf_text(pdf);
    for (const char* shown :
         {"员工信息", "员工编号：", "E000300", "员工姓名：", "郭磊敏", "110022381645999817"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
    EXPECT_NE(text.find("打印日期：" + today), std::string::npos);
    EXPECT_EQ(pdf_images(pdf), 1);

    // Without a picture (or with a file that is none) the frame stays empty.
    { std::ofstream(dir / "broken.jpg") << "no picture"; }
    ASSERT_EQ(ui::print_to_pdf(card_job((dir / "broken.jpg").string()), pdf).result, 1);
    EXPECT_EQ(pdf_images(pdf), 0);
    EXPECT_NE(pdf_text(pdf).find("无照片"), std::string::npos);
}

TEST_F(PrintTest, AThousandRowListGoesOnAsManyPagesAsItNeeds) {
    const runtime::PrintJob job = list_job(1000);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    ui::PrintRenderer renderer(job);
    renderer.set_up_page(printer);
    const ui::PrintRenderer::TableLayout layout = renderer.table_layout(printer);
    // 9-point lines on landscape A4: a few dozen rows a page, the 25 columns on 3 pages across.
    EXPECT_GE(layout.rows_per_page, 25);
    EXPECT_LE(layout.rows_per_page, 40);
    ASSERT_EQ(layout.bands.size(), 3u);
    const int pages = (1000 + layout.rows_per_page - 1) / layout.rows_per_page * 3;

    const auto pdf = dir / "list.pdf";
    ASSERT_EQ(ui::print_to_pdf(job, pdf).result, 1);
    ASSERT_EQ(pdf_pages(pdf), pages);
    const std::string all = pdf_text(pdf);
    for (int r = 1; r <= 1000; ++r)  // every row once, by its number
        EXPECT_NE(all.find("P" + std::to_string(10000 + r)), std::string::npos) << r;
    for (int page : {1, 2, pages}) {
        const std::string text = pdf_text(pdf, page);
        EXPECT_NE(text.find("员工管理"), std::string::npos) << page;
        EXPECT_NE(text.find(today), std::string::npos) << page;
        EXPECT_TRUE(numbered(text, page, pages)) << text;
    }
    const std::string first = pdf_text(pdf, 1);
    EXPECT_NE(first.find("编号"), std::string::npos);
    EXPECT_NE(first.find("1985-08-22 00:00:00"), std::string::npos);  // whole, not cut
    // The next page across repeats the row number beside columns further right.
    const std::string across = pdf_text(pdf, 2);
    EXPECT_NE(across.find("No."), std::string::npos);
    EXPECT_EQ(across.find("P10001"), std::string::npos);
    // The rows of the second page down start where the first page's ended.
    const std::string down = pdf_text(pdf, 4);
    EXPECT_NE(down.find("P" + std::to_string(10000 + layout.rows_per_page + 1)), std::string::npos);
}

TEST_F(PrintTest, AnEmptyListPrintsItsTitlesOnOnePageAcross) {
    const auto pdf = dir / "empty.pdf";
    ASSERT_EQ(ui::print_to_pdf(list_job(0), pdf).result, 1);
    EXPECT_EQ(pdf_pages(pdf), 3);
    EXPECT_TRUE(numbered(pdf_text(pdf, 1), 1, 3));
}

TEST_F(PrintTest, TheOpenDatabaseOrAMissingFolderIsRefusedAndNothingIsLeftBehind) {
    const auto open_db = dir / "open.db";
    auto conn = db::connect("sqlite:" + open_db.string());  // open: never a print target
    conn->execute("CREATE TABLE t (a INTEGER)");
    auto bytes_of = [](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = bytes_of(open_db);
    const runtime::PrintOutcome refused = ui::print_to_pdf(card_job(""), open_db.string());
    EXPECT_EQ(refused.result, -1);
    EXPECT_NE(refused.reason.find("数据库"), std::string::npos) << refused.reason;
    EXPECT_EQ(bytes_of(open_db), before);

    const runtime::PrintOutcome missing =
        ui::print_to_pdf(card_job(""), (dir / "no-such-folder" / "x.pdf").string());
    EXPECT_EQ(missing.result, -1);
    EXPECT_FALSE(missing.reason.empty());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tarvo-"), std::string::npos)
            << entry.path();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // QT_QPA_PLATFORM=offscreen in the test command
    ::testing::InitGoogleTest(&argc, argv);
    return testing_support::run_all_tests();
}
