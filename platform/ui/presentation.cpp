#include "platform/ui/presentation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <algorithm>
#include <cctype>

#include "platform/runtime/user_input.h"
#include "platform/ui/keys.h"
#include "platform/ui/units.h"
#include "platform/ui/window_view.h"

namespace ui {
namespace {

// Asks the runtime before closing; closes for good only once the runtime window is closed.
template <class Base>
class RuntimeClosed : public Base {
  public:
    using Base::Base;
    runtime::Window* window = nullptr;

  protected:
    void closeEvent(QCloseEvent* e) override {
        if (window && window->is_open()) {
            e->ignore();
            runtime::Window* w = window;
            runtime::user::close(*w);  // the runtime closes this widget when it agrees
            return;
        }
        Base::closeEvent(e);
    }
};

using FrameWindow = RuntimeClosed<QMainWindow>;
using SheetWindow = RuntimeClosed<QMdiSubWindow>;

}  // namespace

Presentation::Presentation(runtime::Application& app) : app_(app) {
    links_ += app_.window_opened.connect([this](runtime::Window& w) { opened(w); });
    links_ += app_.window_closed.connect([this](runtime::Window& w) { closed(w); });
    links_ += app_.sheet_activated.connect([this](runtime::Window& w) { show_active(w); });
    for (runtime::Window* w : app_.windows()) opened(*w);
    qApp->installEventFilter(this);
}

Presentation::~Presentation() {
    qApp->removeEventFilter(this);
    for (auto& [w, s] : shown_) {
        if (s.mdi && s.top) keep_frame_geometry(*w, *s.top);
        delete s.top;
    }
}

void Presentation::remember_frames(const QString& file) {
    memory_.emplace(file);
}

void Presentation::keep_frame_geometry(const runtime::Window& w, const QWidget& frame) const {
    if (memory_) memory_->save(QString::fromStdString(w.class_name()), frame);
}

void Presentation::opened(runtime::Window& w) {
    Shown s;
    if (w.is_frame()) {
        open_frame(w, s);
    } else if (auto it = shown_.find(w.frame()); it != shown_.end() && it->second.mdi) {
        open_sheet(w, it->second.mdi, s);
    } else {
        s.view = new WindowView(w);
        s.view->setWindowTitle(QString::fromStdString(w.title()));
        s.top = s.view;
        if (!w.resizable()) s.view->setFixedSize(s.view->layout_size());
        s.view->show();
    }
    shown_[&w] = s;
    order_.push_back(&w);
    if (s.view) s.view->sync_focus();
}

void Presentation::open_frame(runtime::Window& w, Shown& s) {
    // A frame shows its menu and its sheets, not controls of its own.
    auto* frame = new FrameWindow;
    frame->window = &w;
    frame->setWindowTitle(QString::fromStdString(w.title()));
    s.mdi = new QMdiArea(frame);
    frame->setCentralWidget(s.mdi);
    build_menu_bar(*frame, w);
    connect(s.mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (runtime::Window* sheet = window_of(sub)) runtime::user::activate(*sheet);
    });
    links_ += w.arrange_requested.connect([this, &w](runtime::Arrange how) { arrange(w, how); });
    if (!memory_ || !memory_->restore(QString::fromStdString(w.class_name()), *frame))
        frame->resize(QSize(px_x(w.width()), px_y(w.height())).expandedTo(QSize(800, 600)));
    s.top = frame;
    frame->show();
}

void Presentation::open_sheet(runtime::Window& w, QMdiArea* mdi, Shown& s) {
    s.view = new WindowView(w);
    auto* sheet = new SheetWindow;
    sheet->window = &w;
    sheet->setWidget(s.view);
    sheet->setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    if (w.min_box()) flags |= Qt::WindowMinimizeButtonHint;
    if (w.max_box()) flags |= Qt::WindowMaximizeButtonHint;
    sheet->setWindowFlags(flags);
    sheet->setWindowTitle(QString::fromStdString(w.title()));
    // Sheets cascade from the frame's top left, each a step below the one before.
    const int step = 24 * static_cast<int>(mdi->subWindowList().size());
    mdi->addSubWindow(sheet);
    const QSize inner = s.view->layout_size();
    sheet->resize(inner + (sheet->size() - sheet->contentsRect().size()));
    if (!w.resizable()) sheet->setFixedSize(sheet->size());
    const QSize room = mdi->viewport()->size() - sheet->size();
    sheet->move(std::clamp(step, 0, std::max(0, room.width())),
                std::clamp(step, 0, std::max(0, room.height())));
    s.top = sheet;
    sheet->show();
    mdi->setActiveSubWindow(sheet);
}

runtime::Window* Presentation::window_of(const QWidget* top) const {
    if (!top) return nullptr;
    for (const auto& [w, s] : shown_)
        if (s.top == top) return const_cast<runtime::Window*>(w);
    return nullptr;
}

void Presentation::show_active(runtime::Window& sheet) {
    auto it = shown_.find(&sheet);
    auto frame = shown_.find(sheet.frame());
    if (it == shown_.end() || frame == shown_.end() || !frame->second.mdi) return;
    auto* sub = qobject_cast<QMdiSubWindow*>(it->second.top.data());
    if (sub && frame->second.mdi->activeSubWindow() != sub)
        frame->second.mdi->setActiveSubWindow(sub);
}

void Presentation::arrange(const runtime::Window& frame, runtime::Arrange how) {
    auto it = shown_.find(&frame);
    if (it == shown_.end() || !it->second.mdi) return;
    if (how == runtime::Arrange::cascade)
        it->second.mdi->cascadeSubWindows();
    else
        it->second.mdi->tileSubWindows();
}

void Presentation::closed(runtime::Window& w) {
    auto it = shown_.find(&w);
    if (it == shown_.end()) return;
    QWidget* top = it->second.top;
    if (it->second.mdi && top) keep_frame_geometry(w, *top);
    shown_.erase(it);
    std::erase(order_, &w);
    if (top) {
        top->hide();
        top->deleteLater();
    }
    // The close box asked the runtime instead of closing, so Qt does not see the last window
    // go: the program ends when the runtime has closed its last window.
    if (shown_.empty()) QCoreApplication::quit();
}

QWidget* Presentation::widget_for(const runtime::Window* w) const {
    auto it = shown_.find(w);
    return it == shown_.end() ? nullptr : it->second.top.data();
}

WindowView* Presentation::view_for(const runtime::Window* w) const {
    auto it = shown_.find(w);
    return it == shown_.end() ? nullptr : it->second.view;
}

std::vector<std::pair<std::string, QWidget*>> Presentation::shown() const {
    std::vector<std::pair<std::string, QWidget*>> out;
    for (const runtime::Window* w : order_)
        if (QWidget* top = widget_for(w); top && top->isVisible())
            out.emplace_back(w->class_name(), top);
    return out;
}

bool Presentation::eventFilter(QObject* watched, QEvent* event) {
    // Alt+letter and Esc are the runtime window's keys wherever the focus is inside it, and
    // never Qt's own shortcuts or a line edit's input.
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    // An open drop-down list or menu keeps its keys: Esc closes it, not the window. (The
    // list closes on the key's shortcut check, so its key press finds it closed already.)
    auto* receiver = qobject_cast<QWidget*>(watched);
    if (QApplication::activePopupWidget() || !receiver ||
        receiver->window()->windowType() == Qt::Popup)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!runtime_takes(*key, KeyTarget::window_shortcut)) return false;
    const int code = runtime_key(*key);
    const bool escape = code == runtime::key::kEscape;
    // The first widget the key reaches decides; it is taken there, so it reaches no other.
    WindowView* view = nullptr;
    for (QWidget* p = receiver; p && !view; p = p->parentWidget())
        view = dynamic_cast<WindowView*>(p);
    if (!view)
        if (auto* frame = dynamic_cast<QMainWindow*>(receiver))
            if (auto* mdi = dynamic_cast<QMdiArea*>(frame->centralWidget()))
                if (QMdiSubWindow* sub = mdi->activeSubWindow())
                    view = dynamic_cast<WindowView*>(sub->widget());
    if (!view || !view->window()) return false;
    // Alt+letter of no button of the window opens the frame's menu of that letter.
    if (!escape && !view->window()->accelerator_button(static_cast<char>(code)) &&
        menu_letter(receiver, code))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();  // keep it from Qt's shortcuts; the key press follows
        return true;
    }
    runtime::user::key(*view->window(), code, runtime_flags(*key));
    return true;
}

}  // namespace ui
