// The log-in dialog of the desktop program, on a real server that checks the password
// (SCRAM): it comes before any window, says who logs in where, takes a wrong password back
// with a word, opens the list once the password is right, and ends the program quietly
// when cancelled. The user the screens record is the role that logged in.
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

#include "schema/schema.h"
#include "tests/app/gui_fixture.h"
#include "tests/support/password_role.h"
#include "tests/support/scoped_env.h"

namespace gui_test {
namespace {

class PgLoginGui : public Gui {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        if (!role.available()) GTEST_SKIP() << role.skip_reason();
        auto admin = database.connect();
        schema::create(*admin);
        admin->execute("INSERT INTO Employee (eid, ename, flag) VALUES ('E1', '张三', '1')");
        admin->execute("GRANT USAGE ON SCHEMA " +
                       admin->query_all("SELECT current_schema()").rows.at(0).at(0).to_string() +
                       " TO " + role.name());
        admin->execute("GRANT ALL ON Employee, Syslog TO " + role.name());
        desktop = std::make_unique<app::Desktop>(options());
    }
    // Answers the next log-in dialogs, one password each: types it and presses 登录 (取消 for
    // none), and keeps what each dialog said.
    static void log_in(QStringList passwords, std::vector<QStringList>* seen,
                       bool remember = false) {
        if (passwords.isEmpty()) return;
        const QString password = passwords.takeFirst();
        when_dialog([=](QWidget* dialog) {
            ASSERT_EQ(dialog->objectName(), "login");
            QStringList texts;
            for (QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
            seen->push_back(texts);
            auto* field = dialog->findChild<QLineEdit*>("password");
            ASSERT_NE(field, nullptr);
            EXPECT_EQ(field->echoMode(), QLineEdit::Password);
            dialog->findChild<QCheckBox*>("remember")->setChecked(remember);
            type_text(field, password);
            log_in(passwords, seen, remember);  // the dialog that follows a refusal
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == (password.isEmpty() ? "取消" : "登录")) return b->click();
            ADD_FAILURE() << "no button";
        });
    }
    app::Options options() const {
        app::Options o;
        o.db = role.url();
        o.library = TARVO_SCREENS_MODULE;
        o.drive_c = (dir / "drive_c").string();
        return o;
    }

    testing_support::TestDatabase database{"postgresql"};
    const testing_support::ScopedEnv no_password{"PGPASSWORD", std::nullopt};
    const testing_support::ScopedEnv pass_file{"PGPASSFILE", (dir / "pgpass").string()};
    testing_support::PasswordRole role{database, "gui_clerk", "口令-1"};
};

TEST_F(PgLoginGui, AWrongPasswordIsAskedAgainAndTheRightOneOpensTheList) {
    std::vector<QStringList> seen;
    log_in({"wrong", "口令-1"}, &seen);
    ASSERT_TRUE(desktop->start());
    ASSERT_EQ(seen.size(), 2u);
    const QString first = seen[0].join('|'), second = seen[1].join('|');
    EXPECT_TRUE(first.contains(QString::fromStdString(role.name()))) << first.toStdString();
    EXPECT_TRUE(first.contains("127.0.0.1:")) << first.toStdString();
    EXPECT_FALSE(first.contains("密码不正确"));
    EXPECT_TRUE(second.contains("密码不正确，请重新输入。")) << second.toStdString();

    EXPECT_NE(desktop->application().find_open("w_employee"), nullptr);
    EXPECT_EQ(desktop->host().gs_username, role.name());
    auto* frame =
        qobject_cast<QMainWindow*>(desktop->presentation()->widget_for(&desktop->host().w_main()));
    ASSERT_NE(frame, nullptr);
    auto* session = frame->statusBar()->findChild<QLabel*>("session");
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(session->text().contains(QString::fromStdString(role.name())));
    EXPECT_TRUE(session->text().contains("127.0.0.1:"));
    EXPECT_FALSE(std::filesystem::exists(dir / "pgpass"));  // not kept unless chosen
}

TEST_F(PgLoginGui, ARememberedPasswordServesTheNextStart) {
    std::vector<QStringList> seen;
    log_in({"口令-1"}, &seen, true);
    ASSERT_TRUE(desktop->start());
    desktop.reset();
    EXPECT_TRUE(std::filesystem::exists(dir / "pgpass"));
    // No dialog this time.
    QTimer guard;
    guard.setInterval(100);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "asked again";
            dialog->close();
        }
    });
    guard.start();
    desktop = std::make_unique<app::Desktop>(options());
    ASSERT_TRUE(desktop->start());
    EXPECT_EQ(desktop->host().gs_username, role.name());
}

TEST_F(PgLoginGui, CancellingEndsTheProgramQuietlyBeforeAnyWindow) {
    std::vector<QStringList> seen;
    log_in({""}, &seen);
    EXPECT_EQ(desktop->run(), 0);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(desktop->application().find_open("w_main"), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no error box either
}

}  // namespace
}  // namespace gui_test
