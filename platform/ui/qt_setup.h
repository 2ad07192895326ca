// What a program showing the runtime's windows sets up once its QApplication exists: the
// icon themes, Chinese texts in Qt's own dialogs, and a message handler that drops the
// offscreen platform's notice about size hints, which says nothing to a user.
#pragma once

namespace ui {

void prepare_qt_application();

// Qt's own texts (the file dialog's labels, the standard buttons, the print dialogs) in
// Chinese, from Qt's translations (Debian: qt6-translations-l10n), and the Chinese locale
// as the default; false when the translations are not installed (Qt's texts stay English).
bool use_chinese_texts();

}  // namespace ui
