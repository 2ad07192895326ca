// Qt key events in the runtime's key codes and modifier flags.
#pragma once

#include <QKeyEvent>

namespace ui {

// The runtime's code of the key (13 Enter, 38 Up, 'A' ...), or 0 for a key it has none for.
int runtime_key(const QKeyEvent& e);
// key::kShift, kControl, kAlt of the event's modifiers (Shift+Tab arrives as Backtab).
unsigned runtime_flags(const QKeyEvent& e);

}  // namespace ui
