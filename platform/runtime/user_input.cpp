#include "platform/runtime/user_input.h"

#include <memory>

#include "platform/runtime/application.h"
#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/window.h"

namespace runtime {

const char* input_reason(InputResult r) {
    switch (r) {
        case InputResult::done:
            return "";
        case InputResult::disabled:
            return "disabled";
        case InputResult::focus_kept:
            return "focus kept";
        case InputResult::no_focus:
            return "no focus";
        case InputResult::refused:
            return "refused";
        case InputResult::kept_open:
            return "kept open";
    }
    return "";
}

namespace user {
namespace {

// The action's Activity, when the window belongs to an application.
class Action {
  public:
    explicit Action(Window* w) {
        if (w && w->is_open()) activity_ = std::make_unique<Application::Activity>(w->app());
    }

  private:
    std::unique_ptr<Application::Activity> activity_;
};

bool usable(const Control& c) {
    return c.enabled() && c.visible();
}

// The number of bytes of the UTF-8 character that starts with `lead`.
std::size_t utf8_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;  // not a lead byte: the field's own check refuses it
}

}  // namespace

InputResult focus(Control& c) {
    Action action(c.parent());
    if (!usable(c)) return InputResult::disabled;
    return c.setfocus() == 1 ? InputResult::done : InputResult::focus_kept;
}

InputResult press(CommandButton& b) {
    Action action(b.parent());
    if (!usable(b)) return InputResult::disabled;
    if (b.setfocus() != 1) return InputResult::focus_kept;
    b.press();
    return InputResult::done;
}

InputResult type(SingleLineEdit& e, std::string text) {
    Action action(e.parent());
    if (!usable(e)) return InputResult::disabled;
    if (e.setfocus() != 1) return InputResult::focus_kept;
    e.set_text(std::move(text));
    return InputResult::done;
}

InputResult click(DataWindowControl& dw, int row, std::string_view object) {
    Action action(dw.parent());
    if (!usable(dw)) return InputResult::disabled;
    if (dw.setfocus() != 1) return InputResult::focus_kept;
    if (row < 1 || row > dw.rowcount()) row = 0;
    if (row > 0) {
        // A refused edit keeps its row; clicked still runs, as the runtime reports the row
        // under the pointer.
        dw.scrolltorow(row);
        if (const Definition* def = dw.definition(); def && def->column_index(object) >= 0)
            dw.setcolumn(object);
    }
    auto [x, y] = dw.object_position(row, object);
    dw.trigger_clicked(x, y, row, std::string(object));
    return InputResult::done;
}

InputResult double_click(DataWindowControl& dw, int row, std::string_view object) {
    Action action(dw.parent());
    if (!usable(dw)) return InputResult::disabled;
    if (!dw.has_focus()) return InputResult::focus_kept;  // the first click did not get here
    if (row < 1 || row > dw.rowcount()) row = 0;
    auto [x, y] = dw.object_position(row, object);
    dw.trigger_doubleclicked(x, y, row, std::string(object));
    return InputResult::done;
}

InputResult place_cursor(DataWindowControl& dw, int row, std::string_view column) {
    Action action(dw.parent());
    if (!usable(dw)) return InputResult::disabled;
    if (dw.setfocus() != 1) return InputResult::focus_kept;
    if (dw.scrolltorow(row) != 1 || dw.getrow() != row) return InputResult::focus_kept;
    if (dw.setcolumn(column) != 1) return InputResult::focus_kept;
    return InputResult::done;
}

InputResult edit_text(DataWindowControl& dw, std::string_view text) {
    Action action(dw.parent());
    if (!usable(dw) || dw.data().readonly()) return InputResult::disabled;
    if (!dw.has_focus()) return InputResult::no_focus;
    return dw.data().settext(text) == 1 ? InputResult::done : InputResult::refused;
}

InputResult type_text(DataWindowControl& dw, std::string_view text, std::string* kept) {
    Action action(dw.parent());
    std::string field;
    InputResult result = edit_text(dw, field);  // the field's text is selected and replaced
    if (result != InputResult::done) return result;
    bool left_out = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = std::min(utf8_length(static_cast<unsigned char>(text[i])), text.size() - i);
        std::string next = field + std::string(text.substr(i, n));
        if (edit_text(dw, next) == InputResult::done)
            field = std::move(next);
        else
            left_out = true;
        i += n;
    }
    if (kept) *kept = field;
    return left_out ? InputResult::refused : InputResult::done;
}

InputResult key(Window& w, int code, unsigned flags) {
    Action action(&w);
    if (code == key::kEscape) {
        CommandButton* b = w.cancel_button();
        if (!b || !usable(*b)) return InputResult::disabled;
        b->press();
        return InputResult::done;
    }
    if ((flags & key::kAlt) && code > 0 && code < 128) {
        CommandButton* b = w.accelerator_button(static_cast<char>(code));
        return b ? press(*b) : InputResult::disabled;
    }
    Control* focused = w.focused();
    if (code == key::kTab && !(focused && focused->keeps_tab()) && !(flags & ~key::kShift))
        return w.focus_next((flags & key::kShift) != 0) == 1 ? InputResult::done
                                                             : InputResult::focus_kept;
    if (!focused) return InputResult::no_focus;
    if (auto* b = dynamic_cast<CommandButton*>(focused);
        b && (code == key::kEnter || code == key::kSpace) && flags == 0) {
        b->press();
        return InputResult::done;
    }
    focused->trigger_key_down(code, flags);
    return InputResult::done;
}

InputResult close(Window& w) {
    if (!w.is_open()) return InputResult::disabled;
    return w.app().close(w) == 1 ? InputResult::done : InputResult::kept_open;
}

InputResult menu(Window& frame, std::string_view path) {
    Action action(&frame);
    if (!frame.is_open()) return InputResult::disabled;
    if (const MenuItem* item = find_menu_item(frame.menu(), path); item && item->clicked) {
        const std::function<void()> clicked = item->clicked;  // the menu may change meanwhile
        frame.run_event(item->name, "clicked", [&clicked] {
            clicked();
            return 0;
        });
        return InputResult::done;
    }
    const std::size_t slash = path.rfind('/');
    const MenuItem* list = slash == std::string_view::npos
                               ? nullptr
                               : find_menu_item(frame.menu(), path.substr(0, slash));
    if (!list || !list->lists_sheets) return InputResult::disabled;
    for (Window* sheet : frame.app().sheets(frame))
        if (sheet->title() == path.substr(slash + 1)) return activate(*sheet);
    return InputResult::disabled;
}

InputResult activate(Window& sheet) {
    if (!sheet.is_open() || !sheet.frame()) return InputResult::disabled;
    sheet.app().activate_sheet(sheet);
    return InputResult::done;
}

InputResult resize(Window& w, int width, int height, bool maximised) {
    if (!w.is_open() || !w.resizable() || width <= 0 || height <= 0) return InputResult::disabled;
    Action action(&w);
    w.set_width(width);
    w.set_height(height);
    const int sizetype = maximised ? 2 : 0;
    w.run_event(w.class_name(), "resize", [&] { return w.resize(sizetype, width, height); });
    return InputResult::done;
}

}  // namespace user
}  // namespace runtime
