#include "screens/host/w_mysheet.h"

#include "platform/runtime/datawindow_control.h"

namespace host {

w_mysheet::w_mysheet(Host& host, std::string class_name)
    : Window(std::move(class_name)), inv_resize(*this), host_(host) {}

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

int w_mysheet::open() {
    Window::open();
    if (!resizable()) return 0;
    const auto [width, height] = layout_size();
    inv_resize.set_original_size(width, height);
    for (runtime::Control* c : controls()) {
        auto* dw = dynamic_cast<runtime::DataWindowControl*>(c);
        if (dw && dw->definition() && dw->definition()->style == runtime::PresentationStyle::grid)
            inv_resize.add(*dw, n_cst_resize::stretch_right | n_cst_resize::stretch_down);
    }
    return 0;
}

int w_mysheet::resize(int sizetype, int newwidth, int newheight) {
    Window::resize(sizetype, newwidth, newheight);
    inv_resize.resize(newwidth, newheight);
    return 0;
}

int w_mysheet::closequery() {
    Window::closequery();
    editflag.clear();
    return 0;
}

}  // namespace host
