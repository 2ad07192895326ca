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
    // Qt's own word for a folder has no Chinese translation; the rest reads no file.
    if (info.isDir()) return QStringLiteral("文件夹");
    if (!info.isFile()) return QAbstractFileIconProvider::type(info);
    const QMimeType mime = mime_type(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

}  // namespace ui
