// A frame window's menu bar: menus that drop down, each a list of items the user chooses.
// Presentations show it; the user chooses an item through user::menu.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

struct MenuItem {
    std::string name;      // "m_print"
    std::string text;      // "打印(&P)": '&' marks the access key; "" is a separator line
    std::string shortcut;  // "Ctrl+P" chooses it from anywhere in the window; "" for none
    std::function<void()> clicked;  // what choosing the item does
    std::vector<MenuItem> items;    // a menu's own items
    bool lists_sheets = false;      // the menu also lists the frame's open sheets, to choose one

    // The text as shown, without the '&' of the access key ("&&" shows one '&').
    std::string caption() const;
    // The words alone: "打印" for "打印(&P)...".
    std::string label() const;
};

// Arrangements of a frame's sheets.
enum class Arrange { cascade, tile };

// The item at `path`: captions or labels from the menu bar down, separated by '/'
// ("文件/员工管理", "文件(F)/打印(P)..."); null when there is none.
const MenuItem* find_menu_item(const std::vector<MenuItem>& bar, std::string_view path);

}  // namespace runtime
