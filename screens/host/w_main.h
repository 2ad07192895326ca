// The host's frame window: the screens open their windows as sheets inside it.
#pragma once

#include "platform/runtime/window.h"

namespace host {

class w_main : public runtime::Window {
  public:
    static constexpr const char* kClassName = "w_main";

    w_main() : Window(kClassName) {
        set_frame_style(true);
        set_title("员工管理系统");
        set_width(4000);
        set_height(2600);
    }
};

}  // namespace host
