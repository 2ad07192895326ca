// The main window's menu (文件: 员工管理, 打印, 退出; 窗口: 层叠, 平铺, the open sheets) and
// printing: the form's 打印 and 文件 > 打印 show Qt's print preview, whose 导出为 PDF writes
// the pages to a PDF file, read back with poppler.
#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <fstream>

#include "tests/app/form_fixture.h"
#include "tests/support/pdf_text.h"

namespace gui_test {
namespace {

using testing_support::pdf_pages;
using testing_support::pdf_text;

class MenuPrintGui : public FormGui {
  protected:
    QMainWindow* frame() {
        return qobject_cast<QMainWindow*>(
            desktop->presentation()->widget_for(desktop->application().find_open("w_main")));
    }
    QMenu* menu(const QString& title) {
        for (QAction* a : frame()->menuBar()->actions())
            if (a->text() == title) return a->menu();
        return nullptr;
    }
    // The item of a menu whose text starts with `text`, as the menu shows it when opened.
    QAction* item(const QString& menu_title, const QString& text) {
        QMenu* m = menu(menu_title);
        if (!m) return nullptr;
        emit m->aboutToShow();
        for (QAction* a : m->actions())
            if (a->text().startsWith(text)) return a;
        return nullptr;
    }
    void choose(const QString& menu_title, const QString& text) {
        QAction* a = item(menu_title, text);
        ASSERT_NE(a, nullptr) << text.toStdString();
        a->trigger();
        QApplication::processEvents();
    }
    QMdiSubWindow* sheet(const char* window) {
        return qobject_cast<QMdiSubWindow*>(
            desktop->presentation()->widget_for(desktop->application().find_open(window)));
    }

    // Answers the print preview: keeps its title and page count, then 导出为 PDF to `pdf`.
    void export_preview(const std::filesystem::path& pdf, QString* title, int* pages) {
        when_dialog([=](QWidget* w) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(w);
            ASSERT_NE(preview, nullptr) << "expected the print preview";
            *title = preview->windowTitle();
            auto* pages_shown = preview->findChild<QPrintPreviewWidget*>();
            ASSERT_NE(pages_shown, nullptr);
            *pages = pages_shown->pageCount();
            auto* to_pdf = preview->findChild<QAction*>("export_pdf");
            ASSERT_NE(to_pdf, nullptr);
            answer_file(QString::fromStdString(pdf.string()));
            to_pdf->trigger();
        });
    }
};

TEST_F(MenuPrintGui, TheMenuOpensTheListAgainArrangesTheSheetsAndEndsTheProgram) {
    EXPECT_NE(menu("文件(&F)"), nullptr);
    EXPECT_NE(menu("窗口(&W)"), nullptr);
    QTest::keyClick(widget("w_employee", "sle_id"), Qt::Key_Escape);  // the list closes
    ASSERT_EQ(desktop->application().find_open("w_employee"), nullptr);
    choose("文件(&F)", "员工管理");
    ASSERT_NE(sheet("w_employee"), nullptr);
    EXPECT_TRUE(sheet("w_employee")->isVisible());

    frame()->resize(1600, 1000);
    open_employee("E1");
    choose("文件(&F)", "员工管理");  // open already: brought to the front, not opened twice
    EXPECT_EQ(desktop->application().sheets(*desktop->application().find_open("w_main")).size(),
              2u);
    EXPECT_EQ(sheet("w_employee")->mdiArea()->activeSubWindow(), sheet("w_employee"));

    // 窗口 lists the open sheets, the one in front checked; choosing one brings it forward.
    QAction* form_item = item("窗口(&W)", "&2 员工信息");
    ASSERT_NE(form_item, nullptr);
    EXPECT_FALSE(form_item->isChecked());
    EXPECT_TRUE(item("窗口(&W)", "&1 员工管理")->isChecked());
    form_item->trigger();
    EXPECT_EQ(sheet("w_employee")->mdiArea()->activeSubWindow(), sheet("w_employeeadd"));
    EXPECT_EQ(desktop->application().find_open("w_main")->active_sheet(), form_window());

    choose("窗口(&W)", "平铺");  // side by side
    EXPECT_FALSE(sheet("w_employee")->geometry().intersects(sheet("w_employeeadd")->geometry()));
    choose("窗口(&W)", "层叠");  // one below the other, each a step down
    EXPECT_NE(sheet("w_employee")->y(), sheet("w_employeeadd")->y());

    choose("文件(&F)", "退出");
    EXPECT_TRUE(desktop->application().windows().empty());
}

TEST_F(MenuPrintGui, AltAndALetterOpensAMenuUnlessAButtonOfTheWindowTakesIt) {
    QWidget* id = widget("w_employee", "sle_id");
    QTest::keyClick(id, Qt::Key_S, Qt::AltModifier);  // the query button
    EXPECT_EQ(widget<ui::GridView>("w_employee", "dw_1")->model()->rowCount(), 4);
    bool opened = false;
    QObject::connect(menu("文件(&F)"), &QMenu::aboutToShow, [&] { opened = true; });
    QTest::keyClick(id, Qt::Key_F, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(opened);
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

TEST_F(MenuPrintGui, ThePrintButtonPreviewsTheRecordCardAndExportsItAsPdf) {
    open_employee("E2");
    const auto pdf = dir / "card.pdf";
    QString title;
    int pages = 0;
    export_preview(pdf, &title, &pages);
    click(button("cb_print"));
    EXPECT_EQ(title, "打印预览：员工信息");
    EXPECT_EQ(pages, 1);
    ASSERT_EQ(pdf_pages(pdf), 1);
    const std::string text = pdf_text(pdf);
    for (const char* shown : {"员工信息", "员工编号：", "E2", "员工姓名：", "员工E2", "在职"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
    EXPECT_NE(form_window(), nullptr);  // printing changes nothing
}

TEST_F(MenuPrintGui, FilePrintPrintsTheListInFrontOnAsManyPagesAsItNeeds) {
    auto conn = database();
    conn->begin();
    for (int i = 0; i < 996; ++i)
        conn->execute("INSERT INTO Employee (eid, ename) VALUES (?, '打印')",
                      {"P" + std::to_string(10000 + i)});
    conn->commit();
    click(widget("w_employee", "cb_1"));
    const auto pdf = dir / "list.pdf";
    QString title;
    int pages = 0;
    export_preview(pdf, &title, &pages);
    QTest::keyClick(widget("w_employee", "sle_id"), Qt::Key_P, Qt::ControlModifier);  // 打印
    QApplication::processEvents();
    EXPECT_EQ(title, "打印预览：员工管理");
    EXPECT_GT(pages, 20);
    ASSERT_EQ(pdf_pages(pdf), pages);  // the file holds the pages the preview showed
    const std::string text = pdf_text(pdf);
    for (int i = 0; i < 996; i += 5)
        EXPECT_NE(text.find("P" + std::to_string(10000 + i)), std::string::npos) << i;
    EXPECT_NE(text.find("E12"), std::string::npos);
    const std::string first = pdf_text(pdf, 1);
    EXPECT_NE(first.find("编号"), std::string::npos);
    EXPECT_NE(first.find("姓名"), std::string::npos);
    EXPECT_NE(first.find("，共 " + std::to_string(pages) + " "), std::string::npos) << first;
}

TEST_F(MenuPrintGui, AHeadlessScriptPrintsThroughTheMenuToAPdfFile) {
    desktop.reset();
    const auto script = dir / "print.script";
    std::ofstream(script) << "open w_employee\n"
                             "click cb_1\n"
                             "answer path \"c:\\\\list.pdf\"\n"
                             "menu \"文件/打印\"\n";
    app::Options o = options();
    o.headless = true;
    o.script = script.string();
    desktop = std::make_unique<app::Desktop>(o);
    testing::internal::CaptureStdout();
    const int status = desktop->run();
    const std::string transcript = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0) << transcript;
    EXPECT_NE(transcript.find(R"("event":"print","title":"员工管理","layout":"table","rows":4,)"
                              R"("answer":1)"),
              std::string::npos)
        << transcript;
    const auto pdf = dir / "drive_c" / "list.pdf";  // the c: drive of this run
    EXPECT_EQ(pdf_pages(pdf), 3);                   // four rows, three pages across
    EXPECT_NE(pdf_text(pdf, 1).find("员工E12"), std::string::npos);
}

}  // namespace
}  // namespace gui_test
