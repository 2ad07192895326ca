// The employee form in the desktop program, reached as a user reaches it: a search in the
// list and a double click on the employee's row.
#pragma once

#include <string>

#include "platform/ui/free_form_view.h"
#include "platform/ui/grid_view.h"
#include "tests/app/gui_fixture.h"

namespace gui_test {

class FormGui : public Gui {
  protected:
    // Opens employee `eid` as the user does: search, then a double click on its row.
    void open_employee(const char* eid) {
        auto* sle = widget<QLineEdit>("w_employee", "sle_id");
        sle->clear();
        QTest::keyClicks(sle, eid);
        click(widget("w_employee", "cb_1"));
        auto* grid = widget<ui::GridView>("w_employee", "dw_1");
        int row = 0;  // "E1" finds E12 too: the row of the number itself
        while (row + 1 < grid->model()->rowCount() && grid->model()->index(row, 1).data() != eid)
            ++row;
        const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    ui::FreeFormView* form() { return widget<ui::FreeFormView>("w_employeeadd", "dw_1"); }
    QLineEdit* field(const char* column) {
        return form() ? dynamic_cast<QLineEdit*>(form()->object_widget(column)) : nullptr;
    }
    QWidget* button(const char* name) { return widget("w_employeeadd", name); }
    runtime::Window* form_window() { return desktop->application().find_open("w_employeeadd"); }
    QString stored(const char* column, const char* eid) {
        auto r = database()->query_all(
            std::string("SELECT ") + column + " FROM Employee WHERE eid = ?", {db::Value(eid)});
        return r.rows.empty() ? "(none)" : QString::fromStdString(r.rows[0][0].to_string());
    }
    // Types into a field as the user does: a click into it, then the keys.
    void type_into(const char* column, const QString& text) {
        QLineEdit* f = field(column);
        ASSERT_NE(f, nullptr) << column;
        QTest::mouseClick(f, Qt::LeftButton);
        f->selectAll();
        type_text(f, text);
        QApplication::processEvents();
    }
};

}  // namespace gui_test
