// Icons the screens name by file ("ico/find.ico"). A file of that name in an icon folder of
// the installation is used when there is one; otherwise the name maps to an icon of the
// freedesktop icon themes that the install step provides (Tango, then Adwaita).
#pragma once

#include <QIcon>
#include <QString>
#include <string>

namespace ui {

// Sets the icon themes to look in; call once after the QApplication exists.
void use_icon_themes();
// The icon for a screen's icon file name; a null icon when none is found.
QIcon screen_icon(const std::string& file);

}  // namespace ui
