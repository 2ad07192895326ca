#include "screens/host/uo_xpbutton.h"

#include "screens/host/w_mysheet.h"

namespace host {

uo_xpbutton::uo_xpbutton(std::string name) : CommandButton(std::move(name)) {}

int uo_xpbutton::clicked() {
    CommandButton::clicked();
    if (name() == kPrintButton)
        if (auto* sheet = dynamic_cast<w_mysheet*>(parent())) sheet->host().print_window(*sheet);
    return 0;
}

void uo_xpbutton::set_up(const XpButtonSetup& setup) {
    set_text(setup.text);
    move(setup.x, setup.y);
    resize(325, 96);
    set_tab_order(setup.tab_order);
    set_bringtotop(true);
    if (setup.tag) set_tag(setup.tag);
    set_normalpicname(setup.icon);
    set_movepicname(setup.icon);
    set_bkpicname(setup.icon);
    set_chimb(true);
    set_captionalign(1);
    set_backcolor(16495676);
    set_backcolorover(8703999);
    set_backcolordown(13031390);
    set_fontcolor(15856113);
    set_fontcolorover(255);
    set_fontcolordown(13811126);
    set_tooltiptype(2);
    set_tooltiptitle(true);
}

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
    return runtime::without_access_key(text());
}

const std::string& uo_xpbutton::picture(bool pointer_over, bool pressed) const {
    if (pressed && !bkpicname_.empty()) return bkpicname_;
    if (pointer_over && !movepicname_.empty()) return movepicname_;
    return normalpicname_;
}

}  // namespace host
