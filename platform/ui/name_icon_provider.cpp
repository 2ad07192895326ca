#include "platform/ui/name_icon_provider.h"

#include <QFileInfo>

namespace ui {

QMimeType NameIconProvider::mime_type(const QFileInfo& info) const {
    return mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QIcon NameIconProvider::icon(IconType type) const {
    return theme_.icon(type);
}

QIcon NameIconProvider::icon(const QFileInfo& info) const {
    // Folders, drives and links to them: the theme decides without reading any file.
    if (!info.isFile()) return theme_.icon(info.isDir() ? Folder : File);
    const QMimeType mime = mime_type(info);
    for (const QString& name : {mime.iconName(), mime.genericIconName()})
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    return theme_.icon(File);
}

QString NameIconProvider::type(const QFileInfo& info) const {
    if (!info.isFile()) return QAbstractFileIconProvider::type(info);  // reads no file
    const QMimeType mime = mime_type(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

}  // namespace ui
