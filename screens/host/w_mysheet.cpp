#include "screens/host/w_mysheet.h"

namespace host {

w_mysheet::w_mysheet(Host& host, std::string class_name)
    : Window(std::move(class_name)), host_(host) {}

std::optional<std::string> w_mysheet::instance_variable(std::string_view name) const {
    if (name == "editflag") return editflag;
    if (name == "ltotalmodified") return std::to_string(ltotalmodified);
    return Window::instance_variable(name);
}

int w_mysheet::create() {
    Window::create();
    // The host's log-in button; hidden on sheets, and the screens leave it alone.
    auto& login = add_control<runtime::CommandButton>("cb_login");
    login.set_visible(false);
    login.set_enabled(false);
    return 0;
}

int w_mysheet::closequery() {
    Window::closequery();
    editflag.clear();
    return 0;
}

}  // namespace host
