#include "platform/runtime/menu.h"

#include "platform/runtime/control.h"

namespace runtime {

std::string MenuItem::caption() const {
    return without_access_key(text);
}

std::string MenuItem::label() const {
    std::string words = caption();
    if (words.ends_with("...")) words.resize(words.size() - 3);
    // An access key written after the words: "打印(P)".
    if (words.size() >= 3 && words.back() == ')' && words[words.size() - 3] == '(')
        words.resize(words.size() - 3);
    return words;
}

const MenuItem* find_menu_item(const std::vector<MenuItem>& bar, std::string_view path) {
    const std::vector<MenuItem>* level = &bar;
    const MenuItem* found = nullptr;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view caption = path.substr(0, slash);
        found = nullptr;
        for (const MenuItem& item : *level)
            if (!item.text.empty() && (item.caption() == caption || item.label() == caption))
                found = &item;
        if (!found) return nullptr;
        level = &found->items;
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return found;
}

}  // namespace runtime
