// The Qt mirror of one runtime window: a widget per control at its position (static texts,
// single-line edits, buttons, data windows as grids or free forms), following the controls'
// properties, additions and removals, and the runtime's focus. Keys the controls leave go to
// the runtime's key handling (Esc, Alt+letter, Tab in tab order). Its size and the runtime
// window's follow each other: a resizable window is never smaller than its layout.
#pragma once

#include <QWidget>
#include <map>

#include "platform/runtime/signal.h"
#include "platform/runtime/window.h"

namespace ui {

class WindowView : public QWidget {
  public:
    WindowView(runtime::Window& window, QWidget* parent = nullptr);
    ~WindowView() override;

    // Null once the runtime window has been freed.
    runtime::Window* window() const { return window_; }
    // The widget that shows a control, or null.
    QWidget* widget_of(const runtime::Control& c) const;
    // The size the window's layout asks for, in pixels.
    QSize layout_size() const;
    // Gives Qt's focus to the widget of the runtime's focused control.
    void sync_focus();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    // The user resized the window (or its sheet): the runtime's window takes the new size.
    void resizeEvent(QResizeEvent* e) override;

  private:
    void add(runtime::Control& c);
    void remove(runtime::Control& c);
    void place(runtime::Control& c, QWidget* w);
    QWidget* make_widget(runtime::Control& c);
    // Gives the widget (and the sheet around it) the size the runtime's window now has.
    void follow_window_size();

    runtime::Window* window_;
    std::map<const runtime::Control*, QWidget*> widgets_;
    std::map<const runtime::Control*, runtime::SignalLink> control_links_;
    runtime::SignalLinks links_;
    bool telling_runtime_ = false;  // a resize of ours is on its way to the runtime
};

}  // namespace ui
