// The host's frame window: the screens open their windows as sheets inside it. Its menu:
// 文件 (员工管理 opens the employee list again, 打印 prints the sheet in front, 退出 ends the
// program) and 窗口 (层叠 and 平铺 arrange the sheets; the open sheets, to bring one forward).
#pragma once

#include "platform/runtime/window.h"

namespace host {

class Host;

class w_main : public runtime::Window {
  public:
    static constexpr const char* kClassName = "w_main";
    // The window 文件 > 员工管理 shows.
    static constexpr const char* kListClassName = "w_employee";

    explicit w_main(Host& host);

    int create() override;

  private:
    // 文件 > 打印: the sheet in front, or a word that there is none.
    void print_active_sheet();

    Host& host_;
};

}  // namespace host
