#include "platform/runtime/application.h"

#include <algorithm>

namespace runtime {

Application::Application(Interaction& interaction, Files& files)
    : interaction_(interaction), files_(files) {}

Application::~Application() {
    // Windows die without their events, latest first, as the process would end.
    while (!open_.empty()) open_.pop_back();
}

void Application::register_class(std::string name, Factory factory) {
    classes_[std::move(name)] = std::move(factory);
}

bool Application::has_class(std::string_view name) const {
    return classes_.find(name) != classes_.end();
}

Window* Application::open(std::string_view class_name, std::optional<std::string> parameter) {
    return open_window(class_name, nullptr, std::move(parameter), 0, 0);
}

Window* Application::open_sheet(std::string_view class_name, Window& frame,
                                std::optional<std::string> parameter, int menu_position,
                                int arrangement) {
    return open_window(class_name, &frame, std::move(parameter), menu_position, arrangement);
}

Window* Application::open_window(std::string_view class_name, Window* frame,
                                 std::optional<std::string> parameter, int menu_position,
                                 int arrangement) {
    OpenRequest request{std::string(class_name), frame ? frame->class_name() : std::string(),
                        parameter, menu_position, arrangement};
    open_requests_.push_back(request);
    open_requested.emit(open_requests_.back());

    auto it = classes_.find(class_name);
    if (it == classes_.end()) {
        report_runtime_error(class_name, "open", "窗口类不存在：" + std::string(class_name));
        return nullptr;
    }
    std::unique_ptr<Window> owned = it->second();
    Window& w = *owned;
    w.app_ = this;
    w.frame_ = frame;
    open_.push_back(std::move(owned));

    message_.stringparm = std::move(parameter);
    w.run_event(w.class_name(), "create", [&w] { return w.create(); });
    const std::vector<Control*> created = w.controls();
    for (Control* c : created) c->trigger_constructor();
    w.open_ = true;
    window_opened.emit(w);
    w.run_event(w.class_name(), "open", [&w] { return w.open(); });
    return &w;
}

int Application::close(Window& w) {
    if (!w.open_ || w.closing_) return -1;
    w.closing_ = true;
    const bool closed = close_now(w);
    w.closing_ = false;
    return closed ? 1 : -1;
}

bool Application::close_now(Window& w) {
    if (w.is_frame()) {
        std::vector<Window*> children = sheets(w);
        for (auto s = children.rbegin(); s != children.rend(); ++s)
            if (close(**s) != 1) return false;
    }
    const int answer = w.run_event(w.class_name(), "closequery", [&w] { return w.closequery(); });
    if (answer == 1) return false;
    w.run_event(w.class_name(), "close", [&w] { return w.close(); });
    w.run_event(w.class_name(), "destroy", [&w] { return w.destroy(); });
    w.open_ = false;
    auto it = std::find_if(open_.begin(), open_.end(), [&w](auto& p) { return p.get() == &w; });
    if (it != open_.end()) {
        closed_.push_back(std::move(*it));
        open_.erase(it);
    }
    window_closed.emit(w);
    return true;
}

std::vector<Window*> Application::windows() const {
    std::vector<Window*> out;
    for (auto& w : open_)
        if (w->open_) out.push_back(w.get());
    return out;
}

std::vector<Window*> Application::sheets(const Window& frame) const {
    std::vector<Window*> out;
    for (auto& w : open_)
        if (w->open_ && w->frame_ == &frame) out.push_back(w.get());
    return out;
}

Window* Application::find_open(std::string_view class_name) const {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if ((*it)->open_ && (*it)->class_name() == class_name) return it->get();
    return nullptr;
}

void Application::report_runtime_error(std::string_view object, std::string_view event,
                                       std::string_view message) {
    MessageBoxRequest box;
    box.title = "运行时错误";
    box.text =
        std::string(object) + " 的 " + std::string(event) + " 事件出错：" + std::string(message);
    box.icon = Icon::stop_sign;
    box.buttons = Buttons::ok;
    box.origin = "runtime-error";
    interaction_.message_box(box);
}

void Application::collect_closed() {
    closed_.clear();
}

}  // namespace runtime
