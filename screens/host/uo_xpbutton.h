// The host's button: a command button with icons for its three states (normal, pointer
// over, pressed), colours for them, a caption alignment and a tooltip made of its tag.
// Every screen button is one; its clicked runs before the screen's. A sheet's print button
// (cb_print) prints its window: the host's print service, as 文件 > 打印 does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime/control.h"

namespace host {

// Where a screen puts one of its buttons and what the button shows.
struct XpButtonSetup {
    const char* text;
    int x, y, tab_order;
    const char* tag;   // nullptr: none
    const char* icon;  // the one file for the normal, pointer-over and pressed states
};

class uo_xpbutton : public runtime::CommandButton {
  public:
    static constexpr const char* kPrintButton = "cb_print";

    explicit uo_xpbutton(std::string name);

    int clicked() override;

    const std::string& normalpicname() const { return normalpicname_; }
    const std::string& movepicname() const { return movepicname_; }
    const std::string& bkpicname() const { return bkpicname_; }
    int captionalign() const { return captionalign_; }
    int tooltiptype() const { return tooltiptype_; }
    bool tooltiptitle() const { return tooltiptitle_; }
    bool chimb() const { return chimb_; }
    std::int64_t backcolor() const { return backcolor_; }
    std::int64_t backcolorover() const { return backcolorover_; }
    std::int64_t backcolordown() const { return backcolordown_; }
    std::int64_t fontcolor() const { return fontcolor_; }
    std::int64_t fontcolorover() const { return fontcolorover_; }
    std::int64_t fontcolordown() const { return fontcolordown_; }

    void set_normalpicname(std::string v) { assign(normalpicname_, std::move(v), "normalpicname"); }
    void set_movepicname(std::string v) { assign(movepicname_, std::move(v), "movepicname"); }
    void set_bkpicname(std::string v) { assign(bkpicname_, std::move(v), "bkpicname"); }
    void set_captionalign(int v) { assign(captionalign_, v, "captionalign"); }
    void set_tooltiptype(int v) { assign(tooltiptype_, v, "tooltiptype"); }
    void set_tooltiptitle(bool v) { assign(tooltiptitle_, v, "tooltiptitle"); }
    void set_chimb(bool v) { assign(chimb_, v, "chimb"); }
    void set_backcolor(std::int64_t v) { assign(backcolor_, v, "backcolor"); }
    void set_backcolorover(std::int64_t v) { assign(backcolorover_, v, "backcolorover"); }
    void set_backcolordown(std::int64_t v) { assign(backcolordown_, v, "backcolordown"); }
    void set_fontcolor(std::int64_t v) { assign(fontcolor_, v, "fontcolor"); }
    void set_fontcolorover(std::int64_t v) { assign(fontcolorover_, v, "fontcolorover"); }
    void set_fontcolordown(std::int64_t v) { assign(fontcolordown_, v, "fontcolordown"); }

    // Sets the button up as every screen does: its text, place, tab position and tag; the
    // screens' size (325 x 96), brought to the top; the icon for all three states; chimb,
    // caption alignment 1, tooltip type 2 with a title; the host's colours.
    void set_up(const XpButtonSetup& setup);

    // normalpicname, backcolor, ... by name: what a presentation reads to draw the button.
    std::optional<std::string> property(std::string_view name) const override;

    // The caption as shown: the text without the '&' that marks the access key.
    std::string caption() const;
    // The icon of the state the button is drawn in.
    const std::string& picture(bool pointer_over, bool pressed) const;

  private:
    std::string normalpicname_, movepicname_, bkpicname_;
    int captionalign_ = 0;
    int tooltiptype_ = 0;
    bool tooltiptitle_ = false;
    bool chimb_ = false;
    std::int64_t backcolor_ = 67108864;  // system button face
    std::int64_t backcolorover_ = 67108864;
    std::int64_t backcolordown_ = 67108864;
    std::int64_t fontcolor_ = runtime::kWindowTextColor;
    std::int64_t fontcolorover_ = runtime::kWindowTextColor;
    std::int64_t fontcolordown_ = runtime::kWindowTextColor;
};

// A screen's button: the host button's clicked runs first, then one handler of the window
// (none: only the host's, as for a print button without a handler of its own).
template <class W>
class ScreenButton : public uo_xpbutton {
  public:
    using Handler = void (W::*)();

    ScreenButton(std::string name, W& window, Handler handler)
        : uo_xpbutton(std::move(name)), window_(window), handler_(handler) {}

    int clicked() override {
        uo_xpbutton::clicked();
        if (handler_) (window_.*handler_)();
        return 0;
    }

  private:
    W& window_;
    Handler handler_;
};

}  // namespace host
