#include "platform/runtime/control.h"

#include <cctype>

#include "platform/runtime/runtime_error.h"
#include "platform/runtime/window.h"

namespace runtime {

Control::Control(Kind kind, std::string name) : kind_(kind), name_(std::move(name)) {}

Window& Control::parent_window() const {
    if (!parent_) throw NullObjectError(name_ + ".parent");
    return *parent_;
}

void Control::move(int x, int y) {
    assign(x_, x, "x");
    assign(y_, y, "y");
}

void Control::resize(int width, int height) {
    assign(width_, width, "width");
    assign(height_, height, "height");
}

std::optional<std::string> Control::property(std::string_view) const {
    return std::nullopt;
}

bool Control::has_focus() const {
    return parent_ && parent_->focused() == this;
}

int Control::setfocus() {
    return parent_ ? parent_->set_focus(this) : -1;
}

int Control::run_event(std::string_view event, const std::function<int()>& handler) {
    if (!parent_) return handler();  // a control outside any window: nobody to report to
    return parent_->run_event(name_, event, handler);
}

int Control::trigger_constructor() {
    return run_event("constructor", [this] { return constructor(); });
}

int Control::trigger_clicked() {
    return run_event("clicked", [this] { return clicked(); });
}

int Control::trigger_key_down(int key, unsigned flags) {
    return run_event("key", [&] { return key_down(key, flags); });
}

std::string without_access_key(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

char CommandButton::accelerator() const {
    const std::string& t = text();
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i] != '&') continue;
        if (t[i + 1] == '&') {  // "&&" is a literal ampersand
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(t[i + 1]);
        return c < 128 ? static_cast<char>(std::toupper(c)) : 0;
    }
    return 0;
}

int CommandButton::press() {
    if (!enabled() || !visible()) return -1;
    return trigger_clicked();
}

}  // namespace runtime
