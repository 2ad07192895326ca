// A window: its properties, its controls (the ancestor's first, then the descendant's in
// creation order), the focus and the window events. What a user does to it (keys, presses,
// clicks) is in user_input.h.
//
// Window events are virtual handlers like the controls' (see control.h): create builds the
// controls, open runs once the controls' constructors ran, closequery may refuse a close
// by returning 1, then close and destroy run. The Application drives this life cycle.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/control.h"
#include "platform/runtime/menu.h"
#include "platform/runtime/properties.h"
#include "platform/runtime/runtime_error.h"
#include "platform/runtime/signal.h"

namespace runtime {

class Application;

class Window : public PropertyOwner {
  public:
    // `class_name` is the name the window class is registered and opened under.
    explicit Window(std::string class_name);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& class_name() const { return class_name_; }

    const std::string& title() const { return title_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool min_box() const { return min_box_; }
    bool max_box() const { return max_box_; }
    bool resizable() const { return resizable_; }
    bool is_frame() const { return is_frame_; }
    void set_title(std::string v) { assign(title_, std::move(v), "title"); }
    void set_width(int v) { assign(width_, v, "width"); }
    void set_height(int v) { assign(height_, v, "height"); }
    void set_min_box(bool v) { assign(min_box_, v, "minbox"); }
    void set_max_box(bool v) { assign(max_box_, v, "maxbox"); }
    void set_resizable(bool v) { assign(resizable_, v, "resizable"); }

    // A frame's menu bar (a window without one has an empty list).
    const std::vector<MenuItem>& menu() const { return menu_; }
    void set_menu(std::vector<MenuItem> menu);
    // The sheet of this frame the user works in: the one most recently opened or activated
    // that is still open; null when the frame has none.
    Window* active_sheet() const;
    // Asks the presentation to arrange this frame's sheets (cascaded or side by side).
    void arrangesheets(Arrange how) { arrange_requested.fire(how); }

    // A control was added to or removed from the control list.
    Signal<Control&> control_added;
    Signal<Control&> control_removed;
    Signal<Control*> focus_changed;
    Signal<Arrange> arrange_requested;
    // The window object is being freed (after destroy); observers drop what they hold of it.
    Signal<> destroyed;

    // The controls in list order.
    const std::vector<Control*>& controls() const { return controls_; }
    // The control of that name; throws NullObjectError when there is none.
    Control& control(std::string_view name) const;
    Control* find_control(std::string_view name) const;
    template <class T>
    T& control_as(std::string_view name) const {
        auto* c = dynamic_cast<T*>(&control(name));
        if (!c) throw NullObjectError(std::string(name));
        return *c;
    }

    // Creates a control owned by the window and appends it to the control list.
    template <class T, class... Args>
    T& add_control(Args&&... args) {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T& c = *owned;
        adopt(std::move(owned));
        return c;
    }
    // Removes a control from the list (its object lives on until the window dies, so a
    // handler still holding it does not dangle).
    void destroy_control(Control& c);

    Control* focused() const { return focused_; }
    // Moves the focus; the control losing it accepts its pending input first. Returns -1
    // when `c` cannot take the focus or the input was refused (the focus then stays).
    int set_focus(Control* c);

    // Moves the focus along the tab order: controls with a tab position above 0 that can
    // take the focus, by position, equal positions in creation order, wrapping round.
    // Returns set_focus's result, or -1 when no control is in the tab order.
    int focus_next(bool backward = false);
    // The window's cancel button, or null.
    CommandButton* cancel_button() const;
    // The enabled, visible button whose text marks `letter` (either case) with '&', or null.
    CommandButton* accelerator_button(char letter) const;

    // The window's instance variables by name, as text, for scripts and tests that look at
    // what the screen keeps (li_currow, editflag, ...); nullopt for a name it does not have.
    virtual std::optional<std::string> instance_variable(std::string_view name) const;

    // The size the window's layout takes, in layout units: its width and height where they
    // are set, otherwise the extent of its visible controls and a margin of 8 pixels.
    std::pair<int, int> layout_size() const;

    // Window events.
    virtual int create() { return 0; }
    virtual int open() { return 0; }
    // The window's area is now `newwidth` x `newheight` layout units (width() and height()
    // say so already); `sizetype` is 0 for a normal window, 2 for a maximised one.
    virtual int resize(int /*sizetype*/, int /*newwidth*/, int /*newheight*/) { return 0; }
    virtual int closequery() { return 0; }
    virtual int close() { return 0; }
    virtual int destroy() { return 0; }

    // The application that opened the window; throws NullObjectError before that.
    Application& app() const;
    bool is_open() const { return open_; }
    // The frame this window is a sheet of, or null.
    Window* frame() const { return frame_; }
    // Asks the application to close this window as the user would (closequery first).
    int request_close();

    // Runs `handler` as event `event` of `object`: a RuntimeError (or any other exception
    // but a ScriptError) is caught here and reported through the application; the result
    // is then -1.
    int run_event(std::string_view object, std::string_view event,
                  const std::function<int()>& handler);

  protected:
    void set_frame_style(bool v) { is_frame_ = v; }

  private:
    friend class Application;

    void adopt(std::unique_ptr<Control> c);

    std::string class_name_;
    std::string title_;
    int width_ = 0, height_ = 0;
    bool min_box_ = true, max_box_ = true, resizable_ = true, is_frame_ = false;
    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<Control*> controls_;
    Control* focused_ = nullptr;
    Application* app_ = nullptr;
    Window* frame_ = nullptr;
    Window* active_sheet_ = nullptr;  // frames: set by the application
    std::vector<MenuItem> menu_;
    bool open_ = false;
    bool closing_ = false;  // a close is under way (a handler asking again is refused)
};

}  // namespace runtime
