#include "platform/ui/icons.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <map>
#include <vector>

namespace ui {
namespace {

// Theme names for the icon files the screens use, best first.
const std::map<std::string, std::vector<const char*>>& theme_names() {
    static const std::map<std::string, std::vector<const char*>> names = {
        {"find", {"edit-find", "system-search"}},
        {"new", {"document-new"}},
        {"edit", {"document-properties", "accessories-text-editor"}},
        {"excel", {"x-office-spreadsheet"}},
        {"exit", {"application-exit", "system-log-out"}},
        {"save", {"document-save"}},
        {"delete", {"edit-delete"}},
        {"print", {"document-print"}},
    };
    return names;
}

// Folders an installation may keep icon files in.
QStringList icon_folders() {
    const QString exe = QCoreApplication::applicationDirPath();
    return {exe + "/../share/tarvo", exe + "/../../share/tarvo", QDir::currentPath()};
}

}  // namespace

void use_icon_themes() {
    // Without a desktop's platform theme (offscreen, a bare X server) Qt looks in its own
    // resources only: add the freedesktop folders.
    QStringList paths = QIcon::themeSearchPaths();
    QStringList data = qEnvironmentVariable("XDG_DATA_DIRS").split(':', Qt::SkipEmptyParts);
    if (data.isEmpty()) data = {"/usr/local/share", "/usr/share"};
    data.prepend(QDir::homePath() + "/.local/share");
    for (const QString& d : data)
        if (!paths.contains(d + "/icons")) paths << d + "/icons";
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName("Tango");
    QIcon::setFallbackThemeName("Adwaita");
}

QIcon screen_icon(const std::string& file) {
    if (file.empty()) return {};
    const QString name = QString::fromStdString(file);
    for (const QString& folder : icon_folders()) {
        const QFileInfo f(folder + "/" + name);
        if (f.isFile()) return QIcon(f.filePath());
    }
    const std::string stem = QFileInfo(name).completeBaseName().toLower().toStdString();
    auto it = theme_names().find(stem);
    if (it == theme_names().end()) return {};
    for (const char* theme_name : it->second) {
        QIcon icon = QIcon::fromTheme(theme_name);
        if (!icon.isNull()) return icon;
    }
    return {};
}

}  // namespace ui
