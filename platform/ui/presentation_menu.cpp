// The frame's menu bar: the runtime's menus as Qt menus. Choosing an item chooses it in the
// runtime (user::menu); a menu that lists the frame's sheets lists them each time it opens.
#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "platform/runtime/user_input.h"
#include "platform/ui/presentation.h"

namespace ui {
namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr const char* kListedSheet = "listed_sheet";  // property of the sheet list's actions

}  // namespace

void Presentation::build_menu_bar(QMainWindow& frame, runtime::Window& w) {
    const runtime::Window* key = &w;
    for (const runtime::MenuItem& top : w.menu()) {
        QMenu* menu = frame.menuBar()->addMenu(qt(top.text));
        for (const runtime::MenuItem& item : top.items) {
            if (item.text.empty()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(qt(item.text));
            if (!item.shortcut.empty()) action->setShortcut(QKeySequence(qt(item.shortcut)));
            const std::string path = top.caption() + "/" + item.caption();
            connect(action, &QAction::triggered, this, [this, key, path] { choose(key, path); });
        }
        if (top.lists_sheets)
            connect(menu, &QMenu::aboutToShow, this,
                    [this, menu, key] { list_sheets(*menu, key); });
    }
}

void Presentation::list_sheets(QMenu& menu, const runtime::Window* frame) {
    for (QAction* a : menu.actions())
        if (a->property(kListedSheet).isValid()) {
            menu.removeAction(a);
            a->deleteLater();
        }
    auto it = shown_.find(frame);
    if (it == shown_.end()) return;
    const std::vector<runtime::Window*> sheets = app_.sheets(*frame);
    if (sheets.empty()) return;
    menu.addSeparator()->setProperty(kListedSheet, true);
    const runtime::Window* active = frame->active_sheet();
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        runtime::Window* sheet = sheets[i];
        QAction* a = menu.addAction(QString("&%1 %2").arg(i + 1).arg(qt(sheet->title())));
        a->setProperty(kListedSheet, true);
        a->setCheckable(true);
        a->setChecked(sheet == active);
        connect(a, &QAction::triggered, this, [this, frame, sheet] {
            // Only a sheet still shown: the list may have been made before it closed.
            if (shown_.count(frame) && shown_.count(sheet)) runtime::user::activate(*sheet);
        });
    }
}

void Presentation::choose(const runtime::Window* frame, const std::string& path) {
    auto it = shown_.find(frame);
    if (it != shown_.end()) runtime::user::menu(const_cast<runtime::Window&>(*frame), path);
}

bool Presentation::menu_letter(QWidget* receiver, int letter) const {
    auto* frame = qobject_cast<QMainWindow*>(receiver ? receiver->window() : nullptr);
    for (QWidget* w = receiver; w && !frame; w = w->parentWidget())
        frame = qobject_cast<QMainWindow*>(w);
    if (!frame || !frame->menuBar()) return false;
    const QKeySequence alt(Qt::ALT | static_cast<Qt::Key>(letter));
    for (QAction* a : frame->menuBar()->actions())
        if (QKeySequence::mnemonic(a->text()) == alt) return true;
    return false;
}

}  // namespace ui
