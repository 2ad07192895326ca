// A command button of a window. It paints the host button's look when the control has one
// (colours for normal, pointer-over and pressed, the icon of each state, the caption's
// alignment), a dotted frame while it has the keyboard focus, and its tag as a tooltip. A click
// presses it through the user-input layer; accelerators are the runtime's (Alt+letter reaches the
// window), not Qt's mnemonics.
#pragma once

#include <QPushButton>

#include "platform/runtime/control.h"
#include "platform/runtime/signal.h"

namespace ui {

class ButtonWidget : public QPushButton {
  public:
    ButtonWidget(runtime::CommandButton& button, QWidget* parent);

    runtime::CommandButton& button() const { return button_; }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    void refresh();
    // A colour property of the host button, or an invalid colour when it has none or it is a
    // system colour.
    QColor colour(const char* property) const;

    runtime::CommandButton& button_;
    runtime::SignalLink link_;
};

// A colour as the runtime stores it (0x00BBGGRR); invalid for the runtime's system colours
// (values from 0x01000000 up), which a presentation leaves to its own palette.
QColor runtime_colour(long long value);

}  // namespace ui
