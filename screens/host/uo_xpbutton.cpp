#include "screens/host/uo_xpbutton.h"

namespace host {

uo_xpbutton::uo_xpbutton(std::string name) : CommandButton(std::move(name)) {}

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
