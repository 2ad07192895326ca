// The desktop program started as a user starts it, on a test database, with real widgets on
// Qt's offscreen platform. Tests act only on the widgets (QTest's mouse and keys) and answer
// the real Qt dialogs; they look at the widgets and at the database.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/desktop.h"
#include "platform/ui/window_view.h"
#include "schema/schema.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_db.h"

namespace gui_test {

class Gui : public ::testing::Test {
  protected:
    void SetUp() override {
        // The main window's place is kept in the test's own configuration folder.
        config_home = std::make_unique<testing_support::ScopedEnv>("XDG_CONFIG_HOME",
                                                                   (dir / "config").string());
        auto conn = db::connect(url());
        schema::create(*conn);
        for (const char* eid : {"E1", "E2", "E3", "E12"})
            conn->execute("INSERT INTO Employee (eid, ename, flag) VALUES (?, ?, '1')",
                          {eid, std::string("员工") + eid});
        desktop = std::make_unique<app::Desktop>(options());
        ASSERT_TRUE(desktop->start());
        QApplication::processEvents();
        // A dialog nobody answers fails the test instead of hanging it.
        watchdog.setInterval(2000);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || dialog != last_seen) {
                last_seen = dialog;
                return;
            }
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ADD_FAILURE() << "unanswered dialog: "
                          << (box ? box->text() : dialog->windowTitle()).toStdString();
            dialog->close();
        });
        watchdog.start();
    }
    void TearDown() override {
        desktop.reset();
        QApplication::processEvents();
        config_home.reset();
    }

    // The command line the program is started with.
    app::Options options() const {
        app::Options o;
        o.db = url();
        o.user = "tester";
        o.library = TARVO_SCREENS_MODULE;
        o.drive_c = (dir / "drive_c").string();
        return o;
    }
    std::string url() const { return "sqlite:" + (dir / "gui.db").string(); }
    std::unique_ptr<db::Connection> database() const { return db::connect(url()); }

    ui::WindowView* view(const char* window) const {
        return desktop->presentation()->view_for(desktop->application().find_open(window));
    }
    // The widget of a control of an open window.
    template <class W = QWidget>
    W* widget(const char* window, const char* control) const {
        ui::WindowView* v = view(window);
        runtime::Window* w = v ? v->window() : nullptr;
        runtime::Control* c = w ? w->find_control(control) : nullptr;
        return c ? dynamic_cast<W*>(v->widget_of(*c)) : nullptr;
    }
    // Types text as a user does: Latin keys one by one, and each Chinese character as an
    // input method hands it over (a committed string).
    static void type_text(QWidget* w, const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(w, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(w, &commit);
            }
        }
    }
    void click(QWidget* w) {
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton);
        QApplication::processEvents();
    }

    // Acts on the next modal dialog once it shows.
    static void when_dialog(std::function<void(QWidget*)> act) {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            act(dialog);
        });
        timer->start();
    }
    // Answers the next message boxes, in order, each with the button whose text starts with
    // the given one, and appends their texts to `texts`.
    static void answer_boxes(QStringList buttons, QStringList* texts = nullptr) {
        if (buttons.isEmpty()) return;
        const QString button = buttons.takeFirst();
        when_dialog([button, buttons, texts](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << "expected a message box";
            if (texts) texts->append(box->text());
            answer_boxes(buttons, texts);  // a box this answer leads to
            for (QAbstractButton* b : box->buttons())
                if (b->text().startsWith(button)) return b->click();
            ADD_FAILURE() << "no button " << button.toStdString();
            box->reject();
        });
    }
    // Answers the next message box, and keeps its text in `text`.
    static void answer_box(const QString& button, QString* text = nullptr) {
        when_dialog([button, text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << "expected a message box";
            if (text) *text = box->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text().startsWith(button)) return b->click();
            ADD_FAILURE() << "no button " << button.toStdString();
            box->reject();
        });
    }
    // Answers the next file dialog with `path`, and keeps the dialog's title and filters.
    static void answer_file(const QString& path, QString* title = nullptr,
                            QStringList* filters = nullptr,
                            std::function<void(QFileDialog*)> look = {}) {
        when_dialog([=](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr) << "expected a file dialog";
            if (title) *title = dialog->windowTitle();
            if (filters) *filters = dialog->nameFilters();
            if (look) look(dialog);
            // What the user types into the dialog's file name box, then Open or Save.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    }

    testing_support::TempDir dir;
    std::unique_ptr<testing_support::ScopedEnv> config_home;
    std::unique_ptr<app::Desktop> desktop;
    QTimer watchdog;
    QWidget* last_seen = nullptr;
};

}  // namespace gui_test
