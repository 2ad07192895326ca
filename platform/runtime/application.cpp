#include "platform/runtime/application.h"

#include <algorithm>

#include "platform/text/gbk.h"

namespace runtime {

Application::Application(Interaction& interaction, Files& files)
    : interaction_(interaction), files_(files) {}

Application::~Application() {
    // Windows die without their events, latest first, as the process would end; each
    // before the module that holds its code.
    closed_.clear();
    while (!open_.empty()) open_.pop_back();
}

bool Application::register_class(std::string name, Factory factory, Owner owner) {
    if (classes_.count(name)) return false;
    classes_.emplace(std::move(name), ClassEntry{std::move(owner), std::move(factory)});
    return true;
}

bool Application::has_class(std::string_view name) const {
    return classes_.find(name) != classes_.end();
}

void Application::unregister(const Owner& owner) {
    std::erase_if(classes_, [&](const auto& c) { return c.second.owner == owner; });
    std::erase_if(definitions_, [&](const auto& d) { return d.second.owner == owner; });
}

void Application::add_definition(std::shared_ptr<const Definition> definition, Owner owner) {
    std::string key = text::ascii_lower(definition->name);
    definitions_[std::move(key)] = DefinitionEntry{std::move(owner), std::move(definition)};
}

std::shared_ptr<const Definition> Application::definition(std::string_view name) const {
    auto it = definitions_.find(text::ascii_lower(name));
    return it == definitions_.end() ? nullptr : it->second.definition;
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
    Activity activity(*this);
    OpenRequest request{std::string(class_name), frame ? frame->class_name() : std::string(),
                        parameter, menu_position, arrangement};
    open_requests_.push_back(request);
    open_requested.fire(open_requests_.back());

    auto it = classes_.find(class_name);
    if (it == classes_.end()) {
        report_runtime_error(class_name, "open", "窗口类不存在：" + std::string(class_name));
        return nullptr;
    }
    WindowEntry entry{it->second.owner, it->second.factory()};
    Window& w = *entry.window;
    w.app_ = this;
    w.frame_ = frame;
    open_.push_back(std::move(entry));

    message_.stringparm = std::move(parameter);
    w.run_event(w.class_name(), "create", [&w] { return w.create(); });
    const std::vector<Control*> created = w.controls();
    for (Control* c : created) c->trigger_constructor();
    w.open_ = true;
    if (frame) frame->active_sheet_ = &w;
    window_opened.fire(w);
    w.run_event(w.class_name(), "open", [&w] { return w.open(); });
    return w.open_ ? &w : nullptr;
}

int Application::close(Window& w) {
    if (!w.open_ || w.closing_) return -1;
    Activity activity(*this);
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
    auto it = std::find_if(open_.begin(), open_.end(),
                           [&w](const WindowEntry& e) { return e.window.get() == &w; });
    if (it != open_.end()) {
        closed_.push_back(std::move(*it));
        open_.erase(it);
    }
    window_closed.fire(w);
    return true;
}

std::vector<Window*> Application::windows() const {
    std::vector<Window*> out;
    for (const auto& e : open_)
        if (e.window->open_) out.push_back(e.window.get());
    return out;
}

std::vector<Window*> Application::sheets(const Window& frame) const {
    std::vector<Window*> out;
    for (const auto& e : open_)
        if (e.window->open_ && e.window->frame_ == &frame) out.push_back(e.window.get());
    return out;
}

Window* Application::find_open(std::string_view class_name) const {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if (it->window->open_ && it->window->class_name() == class_name) return it->window.get();
    return nullptr;
}

void Application::activate_sheet(Window& sheet) {
    Window* frame = sheet.frame_;
    if (!frame || !sheet.open_ || frame->active_sheet() == &sheet) return;
    frame->active_sheet_ = &sheet;
    sheet_activated.fire(sheet);
}

Window* Application::active_window() const {
    for (auto it = active_.rbegin(); it != active_.rend(); ++it)
        if (*it) return *it;
    return nullptr;
}

int Application::show_message(const Window* asking, std::string_view origin, std::string_view title,
                              std::string_view text, Icon icon, Buttons buttons,
                              int default_button) {
    MessageBoxRequest box;
    box.origin = origin;
    box.title = title;
    box.text = text;
    box.icon = icon;
    box.buttons = buttons;
    box.default_button = default_button;
    box.window = asking ? asking : active_window();
    return interaction_.message_box(box);
}

FileChoice Application::show_file_dialog(const Window* asking, FileDialogRequest request) {
    request.window = asking ? asking : active_window();
    FileChoice choice = interaction_.file_dialog(request);
    // A path typed the Windows way ("c:\list.xls") is handed on as the file it stands for on
    // this machine, so what the screens show the user is a path the user can open.
    if (choice.result == 1) choice.path = files_.local(choice.path);
    return choice;
}

PrintOutcome Application::print(const Window* asking, PrintJob job) {
    job.window = asking ? asking : active_window();
    return interaction_.print(job);
}

void Application::report_runtime_error(std::string_view object, std::string_view event,
                                       std::string_view message) {
    show_message(
        nullptr, "runtime-error", "运行时错误",
        std::string(object) + " 的 " + std::string(event) + " 事件出错：" + std::string(message),
        Icon::stop_sign);
}

Application::Activity::Activity(Application& app, Window* window) : app_(app) {
    ++app_.activity_;
    app_.active_.push_back(window);
}

Application::Activity::~Activity() {
    app_.active_.pop_back();
    if (--app_.activity_ == 0) app_.free_closed();
}

void Application::free_closed() {
    // Moved out first: a window's destructor may start (and end) activity of its own.
    std::vector<WindowEntry> doomed = std::move(closed_);
    closed_.clear();
}

}  // namespace runtime
