// What a user does to the windows, defined once. The scripted driver and the desktop
// presentation both act through these functions, so a rule (the focus moves first, a
// refused edit keeps the focus, a double click is a click and then a double click) is
// written in one place.
//
// Each action runs as one Application::Activity: a window that a handler closes during the
// action is freed only after the whole action has ended.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

class CommandButton;
class Control;
class DataWindowControl;
class SingleLineEdit;
class Window;

// How a user action ended.
enum class InputResult {
    done,
    disabled,    // the control is disabled or hidden: nothing happened
    focus_kept,  // an edit elsewhere was refused and keeps the focus: nothing happened
    no_focus,    // the key had no control to go to
    refused,     // the field did not take the text (too long for its byte limit)
    kept_open,   // closequery kept the window open
};

// The reason as the transcript words it ("disabled", "focus kept", ...); "" for done.
const char* input_reason(InputResult r);

namespace user {

// Gives a control the focus (a click into it, or Tab): the control losing the focus accepts
// its pending edit first; when that is refused the focus stays where it was.
InputResult focus(Control& c);

// Presses a button with the mouse: the focus moves to it first, so a field being edited is
// accepted; when that is refused, nothing is pressed. A disabled button does nothing.
InputResult press(CommandButton& b);

// Clicks into a single-line edit and replaces its text.
InputResult type(SingleLineEdit& e, std::string text);

// Clicks `object` of `row` of a data window (row 0: the header or off the rows): the
// control takes the focus, a data row becomes current (and its column, when the object is a
// field), then clicked runs with the object's position.
InputResult click(DataWindowControl& dw, int row, std::string_view object);
// The second click of a double click on the same place: doubleclicked runs. The first click
// was a click() and ran clicked already, so a double click never runs clicked twice.
InputResult double_click(DataWindowControl& dw, int row, std::string_view object);

// Puts the cursor into a field: the control takes the focus, then the row and the column
// become current (a pending edit elsewhere is accepted first).
InputResult place_cursor(DataWindowControl& dw, int row, std::string_view column);
// The field's text as a keystroke or a paste leaves it. Refused, with the field unchanged,
// when the field does not take it (DataWindow::check_typing).
InputResult edit_text(DataWindowControl& dw, std::string_view text);
// Types `text` into the current field, character by character, over what it held; each
// character the field refuses is left out (a 51st byte of a 50-byte field, say). `kept`
// receives the text the field holds afterwards. Refused when any character was left out.
InputResult type_text(DataWindowControl& dw, std::string_view text, std::string* kept = nullptr);

// A key press in a window, with modifier flags (key::kShift, ...): Esc presses the cancel
// button; Alt+letter presses the button whose text marks that letter with '&'; Tab
// (Shift+Tab) moves the focus along the tab order unless the focused control keeps Tab;
// Enter or space presses a focused button; any other key goes to the focused control.
InputResult key(Window& w, int key, unsigned flags = 0);

// Asks to close a window, as its close box does; closequery may keep it open.
InputResult close(Window& w);

// Chooses the menu item at `path` of a frame's menu bar: captions separated by '/'
// ("文件/员工管理"). Under a menu that lists the frame's sheets, a sheet's title chooses that
// sheet ("窗口/员工信息"). Disabled when there is no such item.
InputResult menu(Window& frame, std::string_view path);
// Brings a sheet to the front of its frame (clicking it, or choosing it from a menu).
InputResult activate(Window& sheet);

// The user gave a window another size (dragging its border, maximising it): its width and
// height become the new area, in layout units, and its resize event runs. A window that is
// not resizable keeps its size (disabled).
InputResult resize(Window& w, int width, int height, bool maximised = false);

}  // namespace user
}  // namespace runtime
