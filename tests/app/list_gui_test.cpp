// The employee list in the desktop program, used with the mouse and the keyboard.
#include <QHeaderView>
#include <QTableView>
#include <fstream>

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

TEST_F(ListGui, ExportThroughTheSaveDialogWritesTheFileAndTheAuditLine) {
    click(button("cb_1"));
    const QString path = QString::fromStdString((dir / "员工.xls").string());
    QString title, told;
    QStringList filters;
    answer_file(path, &title, &filters, [&](QFileDialog*) { answer_box("确定", &told); });
    click(button("cb_2"));
    EXPECT_EQ(title, "导出文件");
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].startsWith("EXCEL表格(.xls)")) << filters[0].toStdString();
    EXPECT_EQ(told, "导出成功" + path);
    std::ifstream file(path.toStdString());
    EXPECT_TRUE(file.good());
    auto audit = database()->query_all("SELECT l_user, l_work FROM Syslog");
    ASSERT_EQ(audit.rows.size(), 1u);
    EXPECT_EQ(audit.rows[0][0], db::Value("tester"));
    EXPECT_EQ(audit.rows[0][1], db::Value("导出了报溢报表"));
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
