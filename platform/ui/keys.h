// Qt key events in the runtime's key codes and modifier flags, and which widget hands which
// key to the runtime. Written once here:
//
//   key                    goes to                            except
//   Esc, Alt+letter/digit  the runtime window the focus is in  while a drop-down list or
//                          (its cancel button, the button of  menu is open (it keeps its
//                          that letter), from any widget in it keys); Alt+letter of no button
//                                                              that a menu of the frame has
//   Tab, Shift+Tab         the runtime's tab order            a data window keeps Tab for its
//                                                              fields (the runtime decides)
//   arrows, PageUp/Down,   the grid's ue_key through the       -
//   Home/End, Enter        runtime, never Qt's own moves
//   Space on a button      Qt (the press, clicked on release)  -
//   other keys on a button the runtime (Enter presses it)      -
//   typing in a field      Qt's editing of the field           -
#pragma once

#include <QKeyEvent>

namespace ui {

// The widgets that hand keys to the runtime.
enum class KeyTarget {
    window_shortcut,  // the application's filter: Esc and Alt+letter, wherever the focus is
    window,           // a window's own key press (a key no control took)
    grid,             // the list's grid
    button,           // a command button
};

// Whether `target` hands the key to the runtime (else Qt handles it as it would).
bool runtime_takes(const QKeyEvent& e, KeyTarget target);

// The runtime's code of the key (13 Enter, 38 Up, 'A' ...), or 0 for a key it has none for.
int runtime_key(const QKeyEvent& e);
// key::kShift, kControl, kAlt of the event's modifiers (Shift+Tab arrives as Backtab).
unsigned runtime_flags(const QKeyEvent& e);

}  // namespace ui
