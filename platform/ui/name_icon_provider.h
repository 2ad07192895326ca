// Icons and type names for the files a file dialog lists, decided by the file's name alone.
// Qt's own provider reads the first bytes of a file whose name says little ("tarvo.db",
// "tarvo.db-wal"); opening and closing the open database's files that way drops every lock
// SQLite holds on them (POSIX locks belong to the process), so a dialog never reads a file
// it only lists.
#pragma once

#include <QAbstractFileIconProvider>
#include <QFileIconProvider>
#include <QMimeDatabase>

namespace ui {

class NameIconProvider : public QAbstractFileIconProvider {
  public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

  private:
    QMimeType mime_type(const QFileInfo& info) const;

    QFileIconProvider theme_;  // the theme's icons for folders, drives and plain files
    QMimeDatabase mimes_;
};

}  // namespace ui
