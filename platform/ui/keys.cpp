#include "platform/ui/keys.h"

#include <cctype>

#include "platform/runtime/control.h"

namespace ui {

int runtime_key(const QKeyEvent& e) {
    namespace key = runtime::key;
    switch (e.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return key::kEnter;
        case Qt::Key_Escape:
            return key::kEscape;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return key::kTab;
        case Qt::Key_Backspace:
            return key::kBack;
        case Qt::Key_Space:
            return key::kSpace;
        case Qt::Key_PageUp:
            return key::kPageUp;
        case Qt::Key_PageDown:
            return key::kPageDown;
        case Qt::Key_End:
            return key::kEnd;
        case Qt::Key_Home:
            return key::kHome;
        case Qt::Key_Left:
            return key::kLeft;
        case Qt::Key_Up:
            return key::kUp;
        case Qt::Key_Right:
            return key::kRight;
        case Qt::Key_Down:
            return key::kDown;
        case Qt::Key_Delete:
            return key::kDelete;
        default:
            break;
    }
    if (e.key() >= Qt::Key_A && e.key() <= Qt::Key_Z) return 'A' + (e.key() - Qt::Key_A);
    if (e.key() >= Qt::Key_0 && e.key() <= Qt::Key_9) return '0' + (e.key() - Qt::Key_0);
    return 0;
}

bool runtime_takes(const QKeyEvent& e, KeyTarget target) {
    const int code = runtime_key(e);
    if (!code) return false;
    switch (target) {
        case KeyTarget::window_shortcut: {
            const bool alt =
                (e.modifiers() & Qt::AltModifier) && !(e.modifiers() & Qt::ControlModifier);
            return code == runtime::key::kEscape || (alt && code < 128 && std::isalnum(code));
        }
        case KeyTarget::button:
            return code != runtime::key::kSpace;
        case KeyTarget::window:
        case KeyTarget::grid:
            return true;
    }
    return false;
}

unsigned runtime_flags(const QKeyEvent& e) {
    unsigned flags = 0;
    const Qt::KeyboardModifiers m = e.modifiers();
    if ((m & Qt::ShiftModifier) || e.key() == Qt::Key_Backtab) flags |= runtime::key::kShift;
    if (m & Qt::ControlModifier) flags |= runtime::key::kControl;
    if (m & Qt::AltModifier) flags |= runtime::key::kAlt;
    return flags;
}

}  // namespace ui
