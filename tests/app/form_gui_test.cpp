// The employee form in the desktop program: opened by a double click in the list, edited
// by typing, saved, given a photo through the file dialog, and closed through its guard.
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <fstream>

#include "schema/demo_data.h"
#include "tests/app/form_fixture.h"

namespace gui_test {
namespace {

TEST_F(FormGui, DoubleClickOpensTheFormAsAFixedSheet) {
    open_employee("E2");
    ASSERT_NE(form_window(), nullptr);
    auto* sheet = qobject_cast<QMdiSubWindow*>(desktop->presentation()->widget_for(form_window()));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "员工信息");
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize());  // not resizable
    EXPECT_FALSE(sheet->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(sheet->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(field("eid")->text(), "E2");
    EXPECT_EQ(field("ename")->text(), "员工E2");
    auto* flag = dynamic_cast<QComboBox*>(form()->object_widget("flag"));
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->currentText(), "在职");
    EXPECT_FALSE(button("cb_save")->isEnabled());
    EXPECT_TRUE(button("cb_modi")->isEnabled());
}

TEST_F(FormGui, KeysGoToTheFormJustOpenedNotToTheListBehindIt) {
    click(widget("w_employee", "cb_1"));
    auto* grid = widget<ui::GridView>("w_employee", "dw_1");
    ASSERT_TRUE(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Return);  // opens the employee of the first row
    ASSERT_NE(form_window(), nullptr);
    // Keys go to the focused widget, or with none to the main window.
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        focus = desktop->presentation()->widget_for(desktop->application().find_open("w_main"));
    EXPECT_FALSE(view("w_employee")->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_M, Qt::AltModifier);  // the form's 修改, not the list's
    EXPECT_TRUE(button("cb_save")->isEnabled());
    EXPECT_EQ(desktop->application().sheets(*desktop->application().find_open("w_main")).size(),
              2u);
}

TEST_F(FormGui, TypedEditsAreSavedAndTheFiftyFirstByteIsRefusedAsItIsTyped) {
    open_employee("E1");
    click(button("cb_modi"));
    type_into("eid", QString(51, '9'));
    EXPECT_EQ(field("eid")->text(), QString(50, '9'));  // the 51st keystroke did nothing
    type_into("eid", "E1");
    type_into("ename", QString("张").repeated(26));
    EXPECT_EQ(field("ename")->text(), QString("张").repeated(25));
    type_into("bodyhigh", "180cm");
    QString told;
    answer_box("确定", &told);
    click(button("cb_save"));
    EXPECT_EQ(told, "保存成功");
    EXPECT_EQ(stored("ename", "E1"), QString("张").repeated(25));
    EXPECT_EQ(stored("bodyhigh", "E1"), "180cm");
    EXPECT_FALSE(button("cb_save")->isEnabled());
}

TEST_F(FormGui, ARefusedDateKeepsTheFocusInItsFieldAndTheButtonUnpressed) {
    open_employee("E1");
    click(button("cb_modi"));
    type_into("born", "20260230");  // 2026-02-30 through the mask
    QString refusal;
    answer_box("确定", &refusal);
    click(button("cb_save"));
    EXPECT_TRUE(refusal.contains("日期无效")) << refusal.toStdString();
    EXPECT_TRUE(field("born")->hasFocus() || QApplication::focusWidget() == nullptr);
    EXPECT_TRUE(form_window()->focused() == &form_window()->control("dw_1"));
    EXPECT_FALSE(qobject_cast<QPushButton*>(button("cb_save"))->isDown());
    EXPECT_EQ(stored("born", "E1"), "");  // nothing was written
}

TEST_F(FormGui, PhotoChosenThroughTheFileDialogIsShownAndStored) {
    const db::Bytes photo = schema::demo_photo(3);
    const std::string path = (dir / "photo.jpg").string();  // lower case: offered for *.JPG
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(photo.data()), photo.size());
    }
    { std::ofstream(dir / "notes.txt") << "not offered"; }
    open_employee("E1");
    QWidget* picture = form()->object_widget("p_1");
    ASSERT_NE(picture, nullptr);
    QString title;
    QStringList filters;
    bool offered = false, others_hidden = true;
    QString type_label;
    answer_file(QString::fromStdString(path), &title, &filters, [&](QFileDialog* d) {
        if (auto* label = d->findChild<QLabel*>("fileTypeLabel")) type_label = label->text();
        d->setDirectory(QString::fromStdString(dir.path().string()));
        QTest::qWait(200);  // the folder is read in the background
        auto* model = d->findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        auto* proxy = d->findChild<QSortFilterProxyModel*>();
        const QModelIndex root = model->index(QString::fromStdString(dir.path().string()));
        for (int r = 0; r < model->rowCount(root); ++r) {
            const QModelIndex i = model->index(r, 0, root);
            const bool shown = !proxy || proxy->mapFromSource(i).isValid();
            if (model->fileName(i) == "photo.jpg") offered = true;
            if (model->fileName(i) == "notes.txt" && shown && !model->nameFilterDisables())
                others_hidden = false;
        }
    });
    QTest::mouseDClick(picture, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(title, "选择文件");
    EXPECT_EQ(filters, QStringList{"图片文件(*.JPG)"});  // as the screen words it
    EXPECT_EQ(type_label, "文件类型：");                 // Qt's own texts in Chinese
    EXPECT_TRUE(offered);
    EXPECT_TRUE(others_hidden);
    auto r = database()->query_all("SELECT photo FROM Employee WHERE eid = 'E1'");
    ASSERT_TRUE(r.rows[0][0].is_bytes());
    EXPECT_EQ(r.rows[0][0].as_bytes(), photo);
    auto* label = qobject_cast<QLabel*>(picture);
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->pixmap().isNull());  // the picture shows it
}

TEST_F(FormGui, CloseBoxAsksOnceAndEachAnswerDoesWhatItSays) {
    open_employee("E1");
    auto* sheet = desktop->presentation()->widget_for(form_window());
    click(button("cb_modi"));
    type_into("ename", "王五");
    QTest::mouseClick(field("bodyhigh"), Qt::LeftButton);  // leaving the field accepts it

    QStringList asked;
    answer_boxes({"取消"}, &asked);
    sheet->close();  // the sub-window's own close box
    QApplication::processEvents();
    EXPECT_EQ(asked, QStringList{"部分数据被改动！是否存盘？"});  // asked once
    EXPECT_NE(form_window(), nullptr);                            // kept open with the edit
    EXPECT_EQ(field("ename")->text(), "王五");

    answer_boxes({"否"}, &asked);
    click(button("cb_7"));  // the runtime starts this close
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(form_window(), nullptr);
    EXPECT_EQ(stored("ename", "E1"), "员工E1");  // dropped
    EXPECT_FALSE(std::filesystem::exists(dir / "drive_c" / "tempemployee.JPG"));
}

TEST_F(FormGui, YesInTheCloseGuardSavesAndCloses) {
    open_employee("E2");
    click(button("cb_modi"));
    type_into("ename", "赵六");
    QTest::mouseClick(field("bodyhigh"), Qt::LeftButton);
    QStringList told;
    answer_boxes({"是", "确定"}, &told);
    QTest::keyClick(field("bodyhigh"), Qt::Key_Escape);  // Esc presses Exit
    QApplication::processEvents();
    EXPECT_EQ(told, (QStringList{"部分数据被改动！是否存盘？", "保存成功"}));
    EXPECT_EQ(stored("ename", "E2"), "赵六");
    EXPECT_EQ(form_window(), nullptr);
}

TEST_F(FormGui, TabFollowsTheColumnOrderOneFieldAPress) {
    open_employee("E3");
    click(button("cb_modi"));
    QTest::mouseClick(field("idcard"), Qt::LeftButton);
    runtime::Window* w = form_window();
    auto& dw = w->control_as<runtime::DataWindowControl>("dw_1");
    EXPECT_EQ(dw.getcolumnname(), "idcard");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dw.getcolumnname(), "urgent");  // not department, which stands below idcard
    EXPECT_TRUE(field("urgent")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dw.getcolumnname(), "urgentphone");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(dw.getcolumnname(), "urgent");
}

TEST_F(FormGui, AFileThatIsNoPictureShowsAnEmptyPicture) {
    const std::string path = (dir / "broken.jpg").string();
    { std::ofstream(path) << "this is not a JPEG"; }
    open_employee("E3");
    answer_file(QString::fromStdString(path));
    QTest::mouseDClick(form()->object_widget("p_1"), Qt::LeftButton);
    QApplication::processEvents();
    auto* label = qobject_cast<QLabel*>(form()->object_widget("p_1"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->pixmap().isNull());
    EXPECT_EQ(stored("length(photo)", "E3"), "18");  // stored as chosen, all the same
    EXPECT_NE(form_window(), nullptr);
}

}  // namespace
}  // namespace gui_test
