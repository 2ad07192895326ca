// The scripted driver's commands on windows as a whole: their size and the frame's menu.
#include "platform/runtime/json_line.h"
#include "platform/runtime/script_driver.h"
#include "platform/runtime/script_words.h"

namespace runtime {

void ScriptDriver::cmd_resize(const Args& a) {
    script::need(a, 4, 4, "resize WINDOW WIDTH HEIGHT");
    Window& w = target_window(a[1]);
    const int width = script::to_int(a[2], "width");
    const int height = script::to_int(a[3], "height");
    if (width <= 0 || height <= 0) throw ScriptError("a window's size is above 0");
    ignored(a[1], user::resize(w, width, height));
}

void ScriptDriver::cmd_size(const Args& a) {
    script::need(a, 2, 2, "size WINDOW|[WINDOW.]CONTROL");
    JsonLine line("size");
    if (a[1].find('.') == std::string::npos)
        if (Window* w = app_.find_open(a[1])) {
            const auto [width, height] = w->layout_size();
            write_line(line.add("window", a[1]).add("width", width).add("height", height).str());
            return;
        }
    const Control& c = target_control(a[1]);
    write_line(line.add("control", a[1])
                   .add("x", c.x())
                   .add("y", c.y())
                   .add("width", c.width())
                   .add("height", c.height())
                   .str());
}

void ScriptDriver::cmd_menu(const Args& a) {
    script::need(a, 2, 2, "menu \"MENU/ITEM\"");
    for (Window* w : app_.windows())
        if (w->is_frame()) return ignored(a[1], user::menu(*w, a[1]));
    throw ScriptError("no frame window is open; open w_main");
}

}  // namespace runtime
