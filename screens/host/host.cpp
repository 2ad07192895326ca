#include "screens/host/host.h"

#include "screens/host/w_main.h"

namespace host {

Host::Host(runtime::Application& app) : app_(app) {}

// The host's message functions ask on behalf of the window whose handler calls them.
int Host::f_showinfo(std::string_view text) {
    return app_.show_message(nullptr, "info", "提示", text, runtime::Icon::information);
}

int Host::f_showerror(std::string_view text) {
    return app_.show_message(nullptr, "error", "错误", text, runtime::Icon::stop_sign);
}

int Host::f_showask(std::string_view text, int default_button) {
    if (default_button != 1) default_button = 2;
    return app_.show_message(nullptr, "ask", "询问", text, runtime::Icon::question,
                             runtime::Buttons::yes_no, default_button);
}

int Host::f_filewrite(const db::Bytes& bytes, std::string_view path) {
    return app_.files().write_bytes(path, bytes);
}

runtime::Window& Host::w_main() {
    if (runtime::Window* w = app_.find_open(::host::w_main::kClassName)) return *w;
    if (!app_.has_class(::host::w_main::kClassName)) register_classes();
    runtime::Window* w = app_.open(::host::w_main::kClassName);
    if (!w) throw runtime::NullObjectError(::host::w_main::kClassName);
    return *w;
}

runtime::Window* Host::open_sheet(std::string_view name, std::optional<std::string> parameter,
                                  int menu_position, int arrangement) {
    return app_.open_sheet(name, w_main(), std::move(parameter), menu_position, arrangement);
}

runtime::Window* Host::show_sheet(std::string_view name) {
    for (runtime::Window* sheet : app_.sheets(w_main()))
        if (sheet->class_name() == name) {
            app_.activate_sheet(*sheet);
            return sheet;
        }
    return open_sheet(name, std::nullopt);
}

void Host::register_classes() {
    app_.register_class(::host::w_main::kClassName,
                        [this] { return std::make_unique<::host::w_main>(*this); });
}

}  // namespace host
