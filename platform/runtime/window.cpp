#include "platform/runtime/window.h"

#include <algorithm>
#include <cctype>

#include "platform/runtime/application.h"

namespace runtime {

Window::Window(std::string class_name) : class_name_(std::move(class_name)) {}

Window::~Window() {
    destroyed.fire();
}

std::optional<std::string> Window::instance_variable(std::string_view) const {
    return std::nullopt;
}

Control* Window::find_control(std::string_view name) const {
    for (Control* c : controls_)
        if (c->name() == name) return c;
    return nullptr;
}

Control& Window::control(std::string_view name) const {
    Control* c = find_control(name);
    if (!c) throw NullObjectError(class_name_ + "." + std::string(name));
    return *c;
}

void Window::adopt(std::unique_ptr<Control> c) {
    c->parent_ = this;
    controls_.push_back(c.get());
    owned_.push_back(std::move(c));
    control_added.fire(*controls_.back());
}

void Window::destroy_control(Control& c) {
    auto it = std::find(controls_.begin(), controls_.end(), &c);
    if (it == controls_.end()) return;
    if (focused_ == &c) {
        focused_ = nullptr;
        focus_changed.fire(nullptr);
    }
    controls_.erase(it);
    control_removed.fire(c);
}

int Window::set_focus(Control* c) {
    if (c == focused_) return 1;
    if (c && (c->parent_ != this || !c->accepts_focus())) return -1;
    if (focused_ && !focused_->focus_leaving()) return -1;
    focused_ = c;
    if (c) c->focus_gained();
    focus_changed.fire(c);
    return 1;
}

CommandButton* Window::cancel_button() const {
    for (Control* c : controls_) {
        auto* b = dynamic_cast<CommandButton*>(c);
        if (b && b->cancel()) return b;
    }
    return nullptr;
}

CommandButton* Window::accelerator_button(char letter) const {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (Control* c : controls_) {
        auto* b = dynamic_cast<CommandButton*>(c);
        if (b && b->accelerator() == upper && b->enabled() && b->visible()) return b;
    }
    return nullptr;
}

int Window::focus_next(bool backward) {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (c->tab_order() > 0 && c->accepts_focus()) order.push_back(c);
    if (order.empty()) return -1;
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->tab_order() < b->tab_order();
    });
    const std::size_t n = order.size();
    auto at = std::find(order.begin(), order.end(), focused_);
    std::size_t next = backward ? n - 1 : 0;
    if (at != order.end()) {
        std::size_t i = static_cast<std::size_t>(at - order.begin());
        next = backward ? (i + n - 1) % n : (i + 1) % n;
    }
    return set_focus(order[next]);
}

std::pair<int, int> Window::layout_size() const {
    constexpr int kMarginX = 37, kMarginY = 32;  // 8 pixels each way
    int width = width_, height = height_;
    if (width > 0 && height > 0) return {width, height};
    int right = 0, bottom = 0;
    for (const Control* c : controls_) {
        if (!c->visible()) continue;
        right = std::max(right, c->x() + c->width());
        bottom = std::max(bottom, c->y() + c->height());
    }
    return {width > 0 ? width : right + kMarginX, height > 0 ? height : bottom + kMarginY};
}

void Window::set_menu(std::vector<MenuItem> menu) {
    menu_ = std::move(menu);
    property_changed.fire("menu");
}

Window* Window::active_sheet() const {
    if (!app_) return nullptr;
    const std::vector<Window*> open = app_->sheets(*this);
    for (Window* s : open)
        if (s == active_sheet_) return s;
    return open.empty() ? nullptr : open.back();
}

Application& Window::app() const {
    if (!app_) throw NullObjectError(class_name_ + ".application");
    return *app_;
}

int Window::request_close() {
    return app().close(*this);
}

int Window::run_event(std::string_view object, std::string_view event,
                      const std::function<int()>& handler) {
    if (!app_) return handler();  // a window no application opened: nobody to report to
    // While any handler runs, windows closed in it stay alive (see Application::Activity).
    Application::Activity activity(*app_, this);
    std::string message;
    try {
        return handler();
    } catch (const ScriptError&) {
        throw;
    } catch (const std::exception& e) {
        // Any other failure inside a handler ends it like a runtime error, so a fault in
        // one event never takes the application down.
        message = e.what();
    }
    std::string where = class_name_;
    if (!object.empty() && object != class_name_) where += "." + std::string(object);
    app_->report_runtime_error(where, event, message);
    return -1;
}

}  // namespace runtime
