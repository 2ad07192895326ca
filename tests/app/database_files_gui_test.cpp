// The database's own files seen from the desktop: file dialogs that list the folder holding
// the database, and a database file chosen as a photo or as an export target. SQLite's
// locks belong to the process and go when any descriptor of the file closes, so nothing but
// SQLite may open them; other users (other processes) must keep seeing every save.
#include <QFileSystemModel>
#include <QProcess>
#include <filesystem>
#include <fstream>

#include "tests/app/form_fixture.h"

namespace gui_test {
namespace {

class DatabaseFilesGui : public FormGui {
  protected:
    std::filesystem::path db_file() const { return dir / "gui.db"; }

    // Another user's program on the same file: the sqlite3 shell, a process of its own.
    std::string other_user(const QString& sql) const {
        QProcess shell;
        shell.start("sqlite3", {"-cmd", ".timeout 5000", QString::fromStdString(db_file()), sql});
        EXPECT_TRUE(shell.waitForFinished(20000));
        EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
        return QString::fromUtf8(shell.readAllStandardOutput()).trimmed().toStdString();
    }

    // The user opens the next file dialog, goes to the database's folder, looks at the
    // list until it is complete (names, types and icons), and cancels.
    void browse_database_folder_and_cancel() {
        const QString folder = QString::fromStdString(dir.path().string());
        when_dialog([folder](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr) << "expected a file dialog";
            dialog->setDirectory(folder);
            auto* model = dialog->findChild<QFileSystemModel*>();
            ASSERT_NE(model, nullptr);
            QTest::qWait(300);  // the folder is read in the background
            const QModelIndex root = model->index(folder);
            for (int r = 0; r < model->rowCount(root); ++r)
                for (int c = 0; c < model->columnCount(root); ++c) {
                    const QModelIndex i = model->index(r, c, root);
                    model->data(i, Qt::DisplayRole);
                    model->data(i, Qt::DecorationRole);
                }
            QTest::qWait(300);  // icons and types are found in the background too
            dialog->reject();   // Esc
        });
    }

    // Files of the database folder this process holds open although they were deleted.
    std::vector<std::string> deleted_files_held() const {
        std::vector<std::string> held;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
            if (target.find(dir.path().string()) == 0 &&
                target.find("(deleted)") != std::string::npos)
                held.push_back(target);
        }
        return held;
    }
};

TEST_F(DatabaseFilesGui, DialogsListingTheDatabaseFolderLoseNoSave) {
    open_employee("E1");
    browse_database_folder_and_cancel();
    QTest::mouseDClick(form()->object_widget("p_1"), Qt::LeftButton);  // the photo dialog
    QApplication::processEvents();
    browse_database_folder_and_cancel();
    click(widget("w_employee", "cb_2"));  // the export dialog
    ASSERT_NE(form_window(), nullptr);

    EXPECT_EQ(other_user("UPDATE Employee SET ename = '他人' WHERE eid = 'E2'; "
                         "SELECT ename FROM Employee WHERE eid = 'E2';"),
              "他人");
    click(button("cb_modi"));
    type_into("ename", "新名字");
    QString told;
    answer_box("确定", &told);
    click(button("cb_save"));
    EXPECT_EQ(told, "保存成功");

    EXPECT_EQ(other_user("SELECT ename FROM Employee WHERE eid = 'E1';"), "新名字");
    EXPECT_EQ(other_user("SELECT ename FROM Employee WHERE eid = 'E2';"), "他人");
    EXPECT_EQ(deleted_files_held(), std::vector<std::string>{});
}

TEST_F(DatabaseFilesGui, TheDatabaseChosenAsPhotoOrExportIsRefusedAndKeepsWorking) {
    const QString database = QString::fromStdString(db_file().string());
    const auto size = std::filesystem::file_size(db_file());
    open_employee("E1");
    QString photo_refusal;
    answer_file(database);
    answer_box("确定", &photo_refusal);
    QTest::mouseDClick(form()->object_widget("p_1"), Qt::LeftButton);
    QApplication::processEvents();
    QStringList export_boxes;  // the dialog's own "replace it?", then the refusal
    answer_file(database);
    answer_boxes({"是", "确定"}, &export_boxes);  // Qt's own question, in Chinese
    click(widget("w_employee", "cb_2"));

    EXPECT_EQ(photo_refusal, "这是正在使用的数据库文件，不能作为照片：" + database);
    ASSERT_EQ(export_boxes.size(), 2);
    EXPECT_EQ(export_boxes[1], "这是正在使用的数据库文件，不能导出到该文件：" + database);
    EXPECT_EQ(std::filesystem::file_size(db_file()), size);
    EXPECT_EQ(other_user("SELECT count(*) FROM Syslog;"), "0");
    EXPECT_EQ(other_user("UPDATE Employee SET ename = '他人' WHERE eid = 'E2'; "
                         "SELECT ename FROM Employee WHERE eid = 'E2';"),
              "他人");
    click(button("cb_modi"));
    type_into("ename", "新名字");
    answer_box("确定");
    click(button("cb_save"));
    EXPECT_EQ(other_user("SELECT ename FROM Employee WHERE eid = 'E1';"), "新名字");
    EXPECT_EQ(deleted_files_held(), std::vector<std::string>{});
}

}  // namespace
}  // namespace gui_test
