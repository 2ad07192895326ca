// Controls of a window: the common properties every control kind carries, with change
// notification, and the events a control raises.
//
// Events are virtual handlers. A descendant overrides a handler and calls its ancestor's
// first (`Base::clicked()`); a RuntimeError thrown there ends the descendant's handler too.
// The runtime enters a handler only through the trigger_* functions, which catch the error
// at the event boundary and report it. The default event result is 0.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/properties.h"

namespace runtime {

class Window;

// Key codes as the screens compare them, and modifier flags of a key press.
namespace key {
constexpr int kBack = 8, kTab = 9, kEnter = 13, kEscape = 27, kSpace = 32;
constexpr int kPageUp = 33, kPageDown = 34, kEnd = 35, kHome = 36;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;
constexpr unsigned kShift = 1, kControl = 2, kAlt = 4;
}  // namespace key

struct ControlFont {
    std::string face = "Arial";
    int height = -9;  // negative: points
    int weight = 400;
    int charset = 0;
    int pitch = 2;
    int family = 2;
    bool operator==(const ControlFont&) const = default;
};

// Colours are packed 0x00BBGGRR values; 33554432 is the system window-text colour.
constexpr std::int64_t kWindowTextColor = 33554432;

class Control : public PropertyOwner {
  public:
    enum class Kind { static_text, single_line_edit, command_button, data_window };

    Control(Kind kind, std::string name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    // The window the control belongs to; null until it is added to one.
    Window* parent() const { return parent_; }
    Window& parent_window() const;  // throws NullObjectError when there is none

    const std::string& text() const { return text_; }
    const std::string& tag() const { return tag_; }
    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int tab_order() const { return tab_order_; }
    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }
    bool bringtotop() const { return bringtotop_; }
    const ControlFont& font() const { return font_; }
    std::int64_t text_color() const { return text_color_; }
    std::int64_t background_color() const { return background_color_; }
    int border_style() const { return border_style_; }
    bool focus_rectangle() const { return focus_rectangle_; }

    void set_text(std::string v) { assign(text_, std::move(v), "text"); }
    void set_tag(std::string v) { assign(tag_, std::move(v), "tag"); }
    void move(int x, int y);
    void resize(int width, int height);
    void set_tab_order(int v) { assign(tab_order_, v, "taborder"); }
    void set_enabled(bool v) { assign(enabled_, v, "enabled"); }
    void set_visible(bool v) { assign(visible_, v, "visible"); }
    void set_bringtotop(bool v) { assign(bringtotop_, v, "bringtotop"); }
    void set_font(ControlFont v) { assign(font_, std::move(v), "font"); }
    void set_text_color(std::int64_t v) { assign(text_color_, v, "textcolor"); }
    void set_background_color(std::int64_t v) { assign(background_color_, v, "backcolor"); }
    void set_border_style(int v) { assign(border_style_, v, "borderstyle"); }
    void set_focus_rectangle(bool v) { assign(focus_rectangle_, v, "focusrectangle"); }

    // A property a descendant class adds (a host button's colours and icons, say), by name, as
    // text, so a presentation can show it without knowing the class; nullopt when the
    // control has no such property.
    virtual std::optional<std::string> property(std::string_view name) const;

    // Whether the user can give this control the focus.
    virtual bool accepts_focus() const { return enabled_ && visible_; }
    // Whether Tab is the control's own key (a data window moves between its fields) rather
    // than the window's (moving to the next control).
    virtual bool keeps_tab() const { return false; }
    bool has_focus() const;
    // Gives the control the focus (1), or -1 when it cannot take it.
    int setfocus();

    // Events.
    virtual int constructor() { return 0; }
    virtual int clicked() { return 0; }
    // A key pressed while the control has the focus.
    virtual int key_down(int /*key*/, unsigned /*flags*/) { return 0; }
    // The focus is about to move away: a pending edit is accepted here. Returning false
    // keeps the focus (the edit was refused and the user must correct it).
    virtual bool focus_leaving() { return true; }
    // The control has just received the focus.
    virtual void focus_gained() {}

    // Runs a handler at the event boundary (see the header comment); -1 after an error.
    int trigger_constructor();
    int trigger_clicked();
    int trigger_key_down(int key, unsigned flags);

  protected:
    // Runs `handler` at the event boundary of this control's window.
    int run_event(std::string_view event, const std::function<int()>& handler);

  private:
    friend class Window;

    Kind kind_;
    std::string name_;
    Window* parent_ = nullptr;
    std::string text_;
    std::string tag_;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    int tab_order_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    bool bringtotop_ = false;
    ControlFont font_;
    std::int64_t text_color_ = kWindowTextColor;
    std::int64_t background_color_ = 67108864;  // the system button-face colour
    int border_style_ = 0;
    bool focus_rectangle_ = true;
};

class StaticText : public Control {
  public:
    explicit StaticText(std::string name) : Control(Kind::static_text, std::move(name)) {}
    bool accepts_focus() const override { return false; }
};

class SingleLineEdit : public Control {
  public:
    explicit SingleLineEdit(std::string name) : Control(Kind::single_line_edit, std::move(name)) {
        set_border_style(5);
    }
};

// A text as shown: without the '&' that marks its access key ("&&" shows one '&').
std::string without_access_key(std::string_view text);

class CommandButton : public Control {
  public:
    explicit CommandButton(std::string name) : Control(Kind::command_button, std::move(name)) {}

    // A cancel button is pressed by the Esc key of its window.
    bool cancel() const { return cancel_; }
    void set_cancel(bool v) { assign(cancel_, v, "cancel"); }

    // The letter after '&' in the text, upper case, or 0 when there is none.
    char accelerator() const;

    // The button is pressed: clicked runs only when the button is enabled and visible.
    // Returns the event result, or -1 when nothing ran. (What the user does to press it,
    // focus first, is user::press.)
    int press();

  private:
    bool cancel_ = false;
};

}  // namespace runtime
