#include "screens/host/uo_xpbutton.h"

namespace host {

uo_xpbutton::uo_xpbutton(std::string name) : CommandButton(std::move(name)) {}

std::optional<std::string> uo_xpbutton::property(std::string_view name) const {
    if (name == "normalpicname") return normalpicname_;
    if (name == "movepicname") return movepicname_;
    if (name == "bkpicname") return bkpicname_;
    const std::pair<const char*, std::int64_t> numbers[] = {
        {"backcolor", backcolor_},         {"backcolorover", backcolorover_},
        {"backcolordown", backcolordown_}, {"fontcolor", fontcolor_},
        {"fontcolorover", fontcolorover_}, {"fontcolordown", fontcolordown_},
        {"captionalign", captionalign_},   {"tooltiptype", tooltiptype_},
        {"tooltiptitle", tooltiptitle_},   {"chimb", chimb_}};
    for (const auto& [n, v] : numbers)
        if (name == n) return std::to_string(v);
    return CommandButton::property(name);
}

std::string uo_xpbutton::caption() const {
    std::string out;
    const std::string& t = text();
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '&' && i + 1 < t.size()) ++i;  // "&&" keeps one ampersand
        out += t[i];
    }
    return out;
}

const std::string& uo_xpbutton::picture(bool pointer_over, bool pressed) const {
    if (pressed && !bkpicname_.empty()) return bkpicname_;
    if (pointer_over && !movepicname_.empty()) return movepicname_;
    return normalpicname_;
}

}  // namespace host
