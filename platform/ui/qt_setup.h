// What a program showing the runtime's windows sets up once its QApplication exists: the
// icon themes, and a message handler that drops the offscreen platform's notice about size
// hints, which says nothing to a user.
#pragma once

namespace ui {

void prepare_qt_application();

}  // namespace ui
