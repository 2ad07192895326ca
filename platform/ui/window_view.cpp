#include "platform/ui/window_view.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTimer>

#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/user_input.h"
#include "platform/ui/button_widget.h"
#include "platform/ui/fonts.h"
#include "platform/ui/free_form_view.h"
#include "platform/ui/grid_view.h"
#include "platform/ui/keys.h"
#include "platform/ui/units.h"

namespace ui {
namespace {

QFont font_of(const runtime::ControlFont& f) {
    return screen_font(f.face, f.height < 0 ? -f.height : f.height, f.weight);
}

// A single-line edit: typing replaces the runtime control's text.
class EditWidget : public QLineEdit {
  public:
    EditWidget(runtime::SingleLineEdit& edit, QWidget* parent) : QLineEdit(parent), edit_(edit) {
        setText(QString::fromStdString(edit.text()));
        connect(this, &QLineEdit::textEdited, this,
                [this](const QString& t) { runtime::user::type(edit_, t.toStdString()); });
    }

  protected:
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (!edit_.has_focus() && runtime::user::focus(edit_) != runtime::InputResult::done)
            if (auto* view = dynamic_cast<WindowView*>(window_view()))
                QTimer::singleShot(0, view, [view] { view->sync_focus(); });
    }

  private:
    QWidget* window_view() const {
        for (QWidget* p = parentWidget(); p; p = p->parentWidget())
            if (dynamic_cast<WindowView*>(p)) return p;
        return nullptr;
    }
    runtime::SingleLineEdit& edit_;
};

}  // namespace

WindowView::WindowView(runtime::Window& window, QWidget* parent)
    : QWidget(parent), window_(&window) {
    setWindowTitle(QString::fromStdString(window.title()));
    setFocusPolicy(Qt::NoFocus);
    for (runtime::Control* c : window.controls()) add(*c);
    links_ += window.control_added.connect([this](runtime::Control& c) { add(c); });
    links_ += window.control_removed.connect([this](runtime::Control& c) { remove(c); });
    links_ += window.focus_changed.connect([this](runtime::Control*) { sync_focus(); });
    links_ += window.property_changed.connect([this](std::string_view p) {
        if (p == "title" && window_) setWindowTitle(QString::fromStdString(window_->title()));
        if (p == "width" || p == "height") follow_window_size();
    });
    links_ += window.destroyed.connect([this] {
        // The runtime freed the window: nothing here may reach it any more.
        for (auto& [c, w] : widgets_) delete w;
        widgets_.clear();
        control_links_.clear();
        window_ = nullptr;
    });
    resize(layout_size());
    if (window.resizable()) setMinimumSize(layout_size());
}

WindowView::~WindowView() = default;

QWidget* WindowView::make_widget(runtime::Control& c) {
    switch (c.kind()) {
        case runtime::Control::Kind::static_text: {
            auto* label = new QLabel(this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return label;
        }
        case runtime::Control::Kind::single_line_edit:
            return new EditWidget(static_cast<runtime::SingleLineEdit&>(c), this);
        case runtime::Control::Kind::command_button:
            return new ButtonWidget(static_cast<runtime::CommandButton&>(c), this);
        case runtime::Control::Kind::data_window: {
            auto& dw = static_cast<runtime::DataWindowControl&>(c);
            const runtime::Definition* def = dw.definition();
            if (def && def->style == runtime::PresentationStyle::freeform)
                return new FreeFormView(dw, this);
            return new GridView(dw, this);
        }
    }
    return nullptr;
}

void WindowView::add(runtime::Control& c) {
    QWidget* w = make_widget(c);
    if (!w) return;
    widgets_[&c] = w;
    place(c, w);
    control_links_[&c] = c.property_changed.connect([this, &c](std::string_view p) {
        auto it = widgets_.find(&c);
        if (it == widgets_.end()) return;
        if (p == "dataobject") {  // another definition: another presentation
            delete it->second;
            widgets_.erase(it);
            add(c);
            return;
        }
        place(c, it->second);
    });
    w->show();
}

void WindowView::remove(runtime::Control& c) {
    control_links_.erase(&c);
    auto it = widgets_.find(&c);
    if (it == widgets_.end()) return;
    delete it->second;
    widgets_.erase(it);
}

void WindowView::place(runtime::Control& c, QWidget* w) {
    w->setGeometry(px_rect(c.x(), c.y(), c.width(), c.height()));
    w->setVisible(c.visible());
    if (c.kind() != runtime::Control::Kind::command_button) {
        w->setEnabled(c.enabled());
        w->setFont(font_of(c.font()));
        w->setToolTip(QString::fromStdString(c.tag()));
    }
    if (auto* label = dynamic_cast<QLabel*>(w)) {
        label->setText(QString::fromStdString(c.text()));
        if (QColor back = runtime_colour(c.background_color()); back.isValid()) {
            label->setAutoFillBackground(true);
            QPalette pal = label->palette();
            pal.setColor(QPalette::Window, back);
            label->setPalette(pal);
        }
        if (QColor fore = runtime_colour(c.text_color()); fore.isValid()) {
            QPalette pal = label->palette();
            pal.setColor(QPalette::WindowText, fore);
            label->setPalette(pal);
        }
    } else if (auto* edit = dynamic_cast<QLineEdit*>(w)) {
        if (edit->text().toStdString() != c.text()) edit->setText(QString::fromStdString(c.text()));
    }
    if (c.bringtotop()) w->raise();
}

QWidget* WindowView::widget_of(const runtime::Control& c) const {
    auto it = widgets_.find(&c);
    return it == widgets_.end() ? nullptr : it->second;
}

QSize WindowView::layout_size() const {
    if (!window_) return size();
    const auto [width, height] = window_->layout_size();
    return {px_x(width), px_y(height)};
}

void WindowView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!window_ || !window_->is_open() || !window_->resizable() || size() == layout_size()) return;
    telling_runtime_ = true;
    runtime::user::resize(*window_, units_x(width()), units_y(height()),
                          QWidget::window()->isMaximized());
    telling_runtime_ = false;
}

void WindowView::follow_window_size() {
    const QSize wanted = layout_size();
    if (telling_runtime_ || !window_ || wanted == size()) return;
    if (auto* sheet = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sheet->resize(wanted + (sheet->size() - sheet->contentsRect().size()));
    else
        resize(wanted);
}

void WindowView::sync_focus() {
    if (!window_) return;
    runtime::Control* focused = window_->focused();
    if (!focused) return;
    QWidget* w = widget_of(*focused);
    if (auto* form = dynamic_cast<FreeFormView*>(w)) w = form->focus_widget();
    if (w && !w->hasFocus()) w->setFocus(Qt::OtherFocusReason);
}

void WindowView::keyPressEvent(QKeyEvent* e) {
    if (!window_ || !runtime_takes(*e, KeyTarget::window)) return QWidget::keyPressEvent(e);
    runtime::user::key(*window_, runtime_key(*e), runtime_flags(*e));
}

bool WindowView::focusNextPrevChild(bool next) {
    // Tab and Shift+Tab follow the runtime's tab order (a data window keeps Tab for its
    // fields), never Qt's.
    if (!window_) return QWidget::focusNextPrevChild(next);
    // The focus moves by keyboard: Qt's styles then draw the focus frame of drop-downs and
    // fields, which they leave out while the user works with the mouse.
    QWidget::window()->setAttribute(Qt::WA_KeyboardFocusChange);
    runtime::user::key(*window_, runtime::key::kTab, next ? 0 : runtime::key::kShift);
    sync_focus();
    return true;
}

}  // namespace ui
