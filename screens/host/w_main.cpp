#include "screens/host/w_main.h"

#include "screens/host/host.h"

namespace host {

w_main::w_main(Host& host) : Window(kClassName), host_(host) {
    set_frame_style(true);
    set_title("员工管理系统");
    set_width(4000);
    set_height(2600);
}

int w_main::create() {
    Window::create();
    using runtime::MenuItem;
    MenuItem file{"m_file", "文件(&F)", "", {}, {}, false};
    file.items = {
        {"m_employees",
         "员工管理(&E)",
         "",
         [this] { host_.show_sheet(kListClassName); },
         {},
         false},
        {"m_print", "打印(&P)...", "Ctrl+P", [this] { print_active_sheet(); }, {}, false},
        {"m_separator", "", "", {}, {}, false},
        {"m_exit", "退出(&X)", "", [this] { request_close(); }, {}, false},
    };
    MenuItem windows{"m_window", "窗口(&W)", "", {}, {}, true};
    windows.items = {
        {"m_cascade",
         "层叠(&C)",
         "",
         [this] { arrangesheets(runtime::Arrange::cascade); },
         {},
         false},
        {"m_tile", "平铺(&T)", "", [this] { arrangesheets(runtime::Arrange::tile); }, {}, false},
    };
    set_menu({file, windows});
    return 0;
}

void w_main::print_active_sheet() {
    if (runtime::Window* sheet = active_sheet())
        host_.print_window(*sheet);
    else
        host_.f_showinfo("没有打开的窗口可打印");
}

}  // namespace host
