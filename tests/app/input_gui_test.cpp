// Typing as users type: through an input method, into the date mask after a click, Esc in
// an open drop-down list, Tab to a drop-down; Chinese and Latin text shown alike in fields.
#include <QComboBox>
#include <QImage>
#include <QInputMethodEvent>

#include "tests/app/form_fixture.h"

namespace gui_test {
namespace {

// An input method composing "zhang" (shown underlined in the field, not yet its text).
void compose(QWidget* w, const QString& preedit) {
    QInputMethodEvent event(preedit, {});
    QApplication::sendEvent(w, &event);
    QApplication::processEvents();
}

// The input method hands over the chosen characters and ends the composition.
void commit(QWidget* w, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(w, &event);
    QApplication::processEvents();
}

// The middle, in pixels from the top, of the dark pixels (the text) inside a field's frame.
double ink_middle(QWidget* field) {
    const QImage image = field->grab().toImage();
    int top = -1, bottom = -1;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 4; x < image.width() - 4; ++x)
            if (qGray(image.pixel(x, y)) < 110) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
    return top < 0 ? -1 : (top + bottom) / 2.0;
}

class InputGui : public FormGui {
  protected:
    std::string pending_text() {
        auto& dw = form_window()->control_as<runtime::DataWindowControl>("dw_1");
        return dw.data().gettext().value_or("");
    }
};

TEST_F(InputGui, ComposedTextCountsOnlyOnceCommittedAndKeepsTheByteLimit) {
    open_employee("E1");
    click(button("cb_modi"));
    type_into("ename", QString("张").repeated(24));  // 48 of its 50 bytes
    QLineEdit* ename = field("ename");
    compose(ename, "zhang");  // longer than the room left: composing is never refused
    EXPECT_EQ(ename->text(), QString("张").repeated(24));
    EXPECT_EQ(pending_text(), QString("张").repeated(24).toStdString());
    commit(ename, "张");
    EXPECT_EQ(ename->text(), QString("张").repeated(25));
    EXPECT_EQ(pending_text(), QString("张").repeated(25).toStdString());
    compose(ename, "san");
    commit(ename, "三");  // a 51st and 52nd byte: refused as a typed key is
    EXPECT_EQ(ename->text(), QString("张").repeated(25));
    EXPECT_EQ(pending_text(), QString("张").repeated(25).toStdString());

    QString told;
    answer_box("确定", &told);
    click(button("cb_save"));
    EXPECT_EQ(told, "保存成功");
    EXPECT_EQ(stored("ename", "E1"), QString("张").repeated(25));
}

TEST_F(InputGui, ASearchBoxTakesCommittedTextOnly) {
    auto* name = widget<QLineEdit>("w_employee", "sle_name");
    ASSERT_NE(name, nullptr);
    QTest::mouseClick(name, Qt::LeftButton);
    auto& sle = desktop->application().find_open("w_employee")->control("sle_name");
    compose(name, "yuangong");
    EXPECT_EQ(sle.text(), "");
    commit(name, "员工");
    EXPECT_EQ(sle.text(), "员工");
    compose(name, "e");
    EXPECT_EQ(sle.text(), "员工");  // the composition is no search text yet
    commit(name, "E1");
    click(widget("w_employee", "cb_1"));
    auto* grid = widget<ui::GridView>("w_employee", "dw_1");
    EXPECT_EQ(grid->model()->rowCount(), 2);  // 员工E12 and 员工E1
}

TEST_F(InputGui, DigitsTypedAfterAClickIntoAnEmptyDateFillTheMaskFromItsStart) {
    open_employee("E2");  // no birth date stored
    click(button("cb_modi"));
    QLineEdit* born = field("born");
    ASSERT_EQ(born->text(), "--");
    QTest::mouseClick(born, Qt::LeftButton, {}, QPoint(born->width() - 6, born->height() / 2));
    QTest::keyClicks(born, "19900501");
    EXPECT_EQ(born->text(), "1990-05-01");
    QTest::mouseClick(field("bodyhigh"), Qt::LeftButton);  // leaving the field accepts it
    QString told;
    answer_box("确定", &told);
    click(button("cb_save"));
    EXPECT_EQ(told, "保存成功");
    EXPECT_EQ(stored("born", "E2"), "1990-05-01 00:00:00");
}

TEST_F(InputGui, EscInAnOpenDropDownClosesOnlyTheDropDown) {
    open_employee("E3");
    click(button("cb_modi"));
    auto* sex = dynamic_cast<QComboBox*>(form()->object_widget("sex"));
    ASSERT_NE(sex, nullptr);
    QTest::mouseClick(sex, Qt::LeftButton);  // drops the list down
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    // Esc reaches the list inside the drop-down, which closes on the key's shortcut check.
    QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_NE(form_window(), nullptr);  // the form stays

    QTest::keyClick(sex, Qt::Key_Escape);  // with the list closed, Esc presses Exit
    EXPECT_EQ(form_window(), nullptr);
}

TEST_F(InputGui, ADropDownReachedByTabShowsItsFocusFrame) {
    open_employee("E3");
    click(button("cb_modi"));
    auto* sex = dynamic_cast<QComboBox*>(form()->object_widget("sex"));
    ASSERT_NE(sex, nullptr);
    // Pixels of the drop-down's left edge in the highlight's hue (the focus frame).
    auto framed = [&] {
        const QImage shot = sex->grab().toImage();
        int n = 0;
        for (int y = 2; y < shot.height() - 2; ++y)
            for (int x = 0; x < 2; ++x) {
                const QColor c(shot.pixel(x, y));
                if (c.blue() > c.red() + 40) ++n;
            }
        return n;
    };
    EXPECT_EQ(framed(), 0);
    QTest::mouseClick(field("eid"), Qt::LeftButton);
    QTest::keyClick(field("eid"), Qt::Key_Tab);
    QTest::keyClick(field("ename"), Qt::Key_Tab);
    ASSERT_TRUE(sex->hasFocus());
    EXPECT_GT(framed(), 5);
}

TEST_F(InputGui, ChineseAndLatinTextSitAtTheSameHeightInAField) {
    open_employee("E1");
    QLineEdit* ename = field("ename");
    ename->setText("E000300");
    const double latin = ink_middle(ename);
    ename->setText("郭磊敏");
    const double chinese = ink_middle(ename);
    ASSERT_GT(latin, 0);
    ASSERT_GT(chinese, 0);
    EXPECT_NEAR(chinese, latin, 1.0);
    EXPECT_NEAR(latin, ename->height() / 2.0, 2.0);  // centred, not at an edge
}

}  // namespace
}  // namespace gui_test
