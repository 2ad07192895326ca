#include "platform/ui/window_memory.h"

#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

namespace ui {

QString WindowMemory::default_file() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/tarvo/desktop.conf";
}

bool WindowMemory::restore(const QString& name, QWidget& window) const {
    const QSettings settings(file_, QSettings::IniFormat);
    const QByteArray geometry = settings.value(name + "/geometry").toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void WindowMemory::save(const QString& name, const QWidget& window) const {
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(name + "/geometry", window.saveGeometry());
}

}  // namespace ui
