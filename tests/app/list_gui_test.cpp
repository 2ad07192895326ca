// The employee list in the desktop program, used with the mouse and the keyboard.
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTableView>
#include <QToolTip>
#include <fstream>

#include "platform/ui/button_widget.h"
#include "platform/ui/data_window_model.h"
#include "platform/ui/grid_view.h"
#include "tests/app/gui_fixture.h"

namespace gui_test {
namespace {

class ListGui : public Gui {
  protected:
    QLineEdit* edit(const char* name) { return widget<QLineEdit>("w_employee", name); }
    ui::GridView* grid() { return widget<ui::GridView>("w_employee", "dw_1"); }
    QWidget* button(const char* name) { return widget("w_employee", name); }
    QString cell(int row, int column) {
        return grid()->model()->index(row, column).data().toString();
    }
    bool highlighted(int row) {
        return grid()->model()->index(row, 0).data(ui::DataWindowModel::kSelectedRole).toBool();
    }
    std::string variable(const char* name) {
        return *desktop->application().find_open("w_employee")->instance_variable(name);
    }
};

TEST_F(ListGui, OpensAsASheetOfTheMainWindow) {
    QWidget* sheet =
        desktop->presentation()->widget_for(desktop->application().find_open("w_employee"));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "员工管理");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(view("w_employee")->width(), 750);  // 3429 layout units
    QWidget* frame =
        desktop->presentation()->widget_for(desktop->application().find_open("w_main"));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isAncestorOf(sheet));
    EXPECT_EQ(grid()->model()->rowCount(), 0);  // empty until the first search
    EXPECT_EQ(grid()->horizontalHeader()->count(), 25);
    EXPECT_EQ(grid()->model()->headerData(1, Qt::Horizontal).toString(), "编号");
}

TEST_F(ListGui, SearchByTypingAndClickingTheQueryButton) {
    QTest::keyClicks(edit("sle_id"), "E1");
    click(button("cb_1"));
    ASSERT_EQ(grid()->model()->rowCount(), 2);  // E12, E1 in descending order
    EXPECT_EQ(cell(0, 1), "E12");
    EXPECT_EQ(cell(1, 1), "E1");
    EXPECT_EQ(cell(1, 0), "2");  // the row number column
    EXPECT_TRUE(highlighted(0));
    EXPECT_EQ(variable("li_rowcount"), "2");

    // Alt+S in the name box is the query button's accelerator: it searches and types nothing.
    edit("sle_id")->clear();
    QTest::keyClicks(edit("sle_id"), "E");
    QTest::keyClick(edit("sle_name"), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(edit("sle_name")->text(), "");
    EXPECT_EQ(grid()->model()->rowCount(), 4);
}

TEST_F(ListGui, ArrowKeysMoveTheHighlightOnce) {
    click(button("cb_1"));
    ASSERT_EQ(grid()->model()->rowCount(), 4);
    QTest::keyClick(grid(), Qt::Key_Down);
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(variable("li_currow"), "3");  // one row a key press, not two
    EXPECT_TRUE(highlighted(2));
    EXPECT_FALSE(highlighted(0));
    QTest::keyClick(grid(), Qt::Key_Up);
    EXPECT_EQ(variable("li_currow"), "2");

    // A click on a row highlights it; a click on a title sorts by that column.
    const QRect third = grid()->visualRect(grid()->model()->index(3, 2));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(variable("li_currow"), "4");
    EXPECT_TRUE(highlighted(3));
    const int eid_title = grid()->horizontalHeader()->sectionPosition(1) + 10;
    QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(eid_title, 5));
    EXPECT_EQ(cell(0, 1), "E1");  // ascending now
}

TEST_F(ListGui, PageHomeAndEndKeysWalkTheListAndKeepItInView) {
    auto conn = database();
    for (int i = 0; i < 60; ++i)
        conn->execute("INSERT INTO Employee (eid, ename) VALUES (?, '翻页')",
                      {"P" + std::to_string(100 + i)});
    click(button("cb_1"));
    ASSERT_EQ(grid()->model()->rowCount(), 64);
    QScrollBar* columns = grid()->horizontalScrollBar();
    columns->setValue(columns->maximum() / 2);  // the user scrolled sideways
    const int columns_at = columns->value();
    QTest::keyClick(grid(), Qt::Key_PageDown);
    EXPECT_EQ(variable("li_currow"), "17");
    EXPECT_TRUE(highlighted(16));
    EXPECT_FALSE(highlighted(0));
    QTest::keyClick(grid(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(variable("li_currow"), "64");
    const QRect last = grid()->visualRect(grid()->model()->index(63, 0));
    EXPECT_GE(last.top(), 0);  // scrolled down to it
    EXPECT_LE(last.bottom(), grid()->viewport()->height());
    EXPECT_EQ(columns->value(), columns_at);  // and only up and down
    QTest::keyClick(grid(), Qt::Key_PageUp);
    EXPECT_EQ(variable("li_currow"), "48");
    QTest::keyClick(grid(), Qt::Key_Home);
    EXPECT_EQ(variable("li_currow"), "1");
    EXPECT_TRUE(highlighted(0));
    EXPECT_FALSE(highlighted(47));
}

TEST_F(ListGui, ColumnsKeepTheWidthsTheUserDraggedAndCutTextIsAToolTip) {
    database()->execute("UPDATE Employee SET born = '1985-08-22' WHERE eid = 'E1'");
    QTest::keyClicks(edit("sle_id"), "E1");
    click(button("cb_1"));
    QHeaderView* header = grid()->horizontalHeader();
    EXPECT_EQ(header->sectionSize(4), 78);  // born: as designed
    EXPECT_EQ(header->sectionResizeMode(4), QHeaderView::Interactive);

    // "1985-08-22 00:00:00" does not fit 78 pixels: its tooltip shows it whole.
    auto tooltip_of = [&](int row, int column) {
        for (QWidget* w : QApplication::topLevelWidgets())  // the last tip, gone at once
            if (w->objectName() == "qtooltip_label") w->hide();
        const QRect cell = grid()->visualRect(grid()->model()->index(row, column));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        grid()->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(grid()->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltip_of(1, 4), "1985-08-22 00:00:00");
    EXPECT_EQ(tooltip_of(1, 1), "");  // "E1" fits: no tooltip

    // The border right of born dragged 60 pixels to the right.
    QWidget* titles = header->viewport();
    const int border = header->sectionViewportPosition(4) + header->sectionSize(4) - 1;
    QTest::mousePress(titles, Qt::LeftButton, {}, QPoint(border, 5));
    QTest::mouseMove(titles, QPoint(border + 30, 5));
    QTest::mouseMove(titles, QPoint(border + 60, 5));
    QTest::mouseRelease(titles, Qt::LeftButton, {}, QPoint(border + 60, 5));
    EXPECT_EQ(header->sectionSize(4), 138);
    EXPECT_EQ(tooltip_of(1, 4), "");  // it fits now
    click(button("cb_1"));            // another search keeps the width
    EXPECT_EQ(header->sectionSize(4), 138);
    EXPECT_EQ(cell(1, 4), "1985-08-22 00:00:00");
}

TEST_F(ListGui, TheGridOutlinesItsCurrentRowWhileItHasTheFocus) {
    click(button("cb_1"));
    QTest::keyClick(grid(), Qt::Key_Down);  // row 2 current and highlighted
    auto outline_pixels = [&] {
        const QImage shot = grid()->viewport()->grab().toImage();
        const QRect row = grid()->visualRect(grid()->model()->index(1, 0));
        const QColor outline = grid()->palette().color(QPalette::HighlightedText);
        int n = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            if (QColor(shot.pixel(0, y)) == outline) ++n;
        return n;
    };
    ASSERT_TRUE(grid()->hasFocus());
    EXPECT_GT(outline_pixels(), 3);
    edit("sle_id")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(outline_pixels(), 0);
}

TEST_F(ListGui, TabMovesOnFromTheGridAndAFocusedButtonShowsIt) {
    click(button("cb_1"));
    ASSERT_TRUE(grid()->hasFocus());
    QTest::keyClick(grid(), Qt::Key_Tab);
    EXPECT_TRUE(edit("sle_name")->hasFocus());
    // A dotted frame in the caption's colour, a few pixels inside the focused button.
    auto frame_pixels = [&](QWidget* b) {
        const QImage shot = b->grab().toImage();
        const QColor caption = ui::runtime_colour(15856113);
        int n = 0;
        for (int x = 4; x < b->width() - 4; ++x)
            if (QColor(shot.pixel(x, 3)) == caption) ++n;
        return n;
    };
    EXPECT_EQ(frame_pixels(button("cb_1")), 0);
    QTest::keyClick(edit("sle_name"), Qt::Key_Tab);
    ASSERT_TRUE(button("cb_1")->hasFocus());
    EXPECT_GT(frame_pixels(button("cb_1")), 10);
    EXPECT_EQ(frame_pixels(button("cb_3")), 0);
}

TEST_F(ListGui, TheGridFollowsTheSheetsSizeAndTheRestKeepsItsPlace) {
    auto* sheet = qobject_cast<QMdiSubWindow*>(
        desktop->presentation()->widget_for(desktop->application().find_open("w_employee")));
    ASSERT_NE(sheet, nullptr);
    const QSize designed_grid = grid()->size();
    EXPECT_EQ(designed_grid, QSize(727, 394));
    const QRect query = button("cb_1")->geometry();
    sheet->resize(sheet->size() + QSize(300, 200));
    QApplication::processEvents();
    EXPECT_EQ(grid()->size(), designed_grid + QSize(300, 200));
    EXPECT_EQ(button("cb_1")->geometry(), query);
    EXPECT_EQ(edit("sle_name")->width(), 123);

    sheet->showMaximized();  // fills the main window's area
    QApplication::processEvents();
    const int area = sheet->mdiArea()->viewport()->width();
    const int shown = view("w_employee")->width();
    EXPECT_GT(shown, area - 20);  // all of it but the sheet's own frame
    EXPECT_EQ(grid()->width(), shown - (750 - 727));
    sheet->showNormal();
    sheet->resize(200, 100);  // never smaller than designed
    QApplication::processEvents();
    EXPECT_EQ(grid()->size(), designed_grid);
    EXPECT_GE(view("w_employee")->width(), 750);
}

TEST_F(ListGui, TheMainWindowComesBackWhereTheUserLeftIt) {
    runtime::Window* main = desktop->application().find_open("w_main");
    QWidget* frame = desktop->presentation()->widget_for(main);
    frame->setGeometry(120, 80, 1100, 700);
    QApplication::processEvents();
    frame->close();  // its close box
    QApplication::processEvents();
    ASSERT_TRUE(desktop->application().windows().empty());
    desktop = std::make_unique<app::Desktop>(options());  // the next run
    ASSERT_TRUE(desktop->start());
    QApplication::processEvents();
    frame = desktop->presentation()->widget_for(desktop->application().find_open("w_main"));
    EXPECT_EQ(frame->geometry(), QRect(120, 80, 1100, 700));
}

TEST_F(ListGui, ExportThroughTheSaveDialogWritesTheFileAndTheAuditLine) {
    click(button("cb_1"));
    const QString path = QString::fromStdString((dir / "员工.xls").string());
    QString title, told;
    QStringList filters;
    answer_file(path, &title, &filters, [&](QFileDialog*) { answer_box("确定", &told); });
    click(button("cb_2"));
    EXPECT_EQ(title, "导出文件");
    EXPECT_EQ(filters, (QStringList{"EXCEL表格(.xls) (*.xls)", "Excel 工作簿(*.xlsx)"}));
    EXPECT_EQ(told, "导出成功" + path);
    std::ifstream file(path.toStdString());
    EXPECT_TRUE(file.good());
    auto audit = database()->query_all("SELECT l_user, l_work FROM Syslog");
    ASSERT_EQ(audit.rows.size(), 1u);
    EXPECT_EQ(audit.rows[0][0], db::Value("tester"));
    EXPECT_EQ(audit.rows[0][1], db::Value("导出了报溢报表"));
}

TEST_F(ListGui, ChoosingTheWorkbookTypeWritesAWorkbookUnderTheNameTyped) {
    click(button("cb_1"));
    const QString folder = QString::fromStdString(dir.path().string());
    QString told;
    answer_file("员工", nullptr, nullptr, [&](QFileDialog* d) {
        d->setDirectory(folder);
        auto* type = d->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(type, nullptr);
        QTest::keyClick(type, Qt::Key_Down);  // the second type: Excel 工作簿
        EXPECT_EQ(type->currentText(), "Excel 工作簿(*.xlsx)");
        answer_box("确定", &told);
    });
    click(button("cb_2"));
    const auto workbook = dir / "员工.xlsx";
    EXPECT_EQ(told, "导出成功" + QString::fromStdString(workbook.string()));
    std::ifstream file(workbook, std::ios::binary);
    std::string head(2, '\0');
    file.read(head.data(), 2);
    EXPECT_EQ(head, "PK");  // a zip file: a workbook, not the text export
}

TEST_F(ListGui, EscClosesTheListAndItsSubWindow) {
    QTest::keyClicks(edit("sle_id"), "E");
    QTest::keyClick(edit("sle_id"), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(desktop->application().find_open("w_employee"), nullptr);
    EXPECT_EQ(view("w_employee"), nullptr);
}

TEST_F(ListGui, ClosingTheMainWindowClosesItsSheetsAndEndsTheProgram) {
    QWidget* frame =
        desktop->presentation()->widget_for(desktop->application().find_open("w_main"));
    ASSERT_NE(frame, nullptr);
    QTimer give_up;  // ends the loop if the program would not end by itself
    give_up.setSingleShot(true);
    bool gave_up = false;
    QObject::connect(&give_up, &QTimer::timeout, [&] {
        gave_up = true;
        QApplication::quit();
    });
    give_up.start(5000);
    QTimer::singleShot(0, frame, [frame] { frame->close(); });  // its own close box
    QApplication::exec();
    EXPECT_FALSE(gave_up);
    EXPECT_TRUE(desktop->application().windows().empty());
}

}  // namespace
}  // namespace gui_test
