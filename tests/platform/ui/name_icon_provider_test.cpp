// What a file dialog shows of a folder's entries, decided by their names: a database file
// with a misleading name is named by its extension, never by its bytes, and folders in
// Chinese like the rest of the dialog.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <fstream>

#include "platform/ui/name_icon_provider.h"
#include "tests/support/test_db.h"

namespace {

TEST(NameIconProvider, TypesComeFromNamesAndFoldersAreNamedInChinese) {
    testing_support::TempDir dir;
    std::ofstream(dir / "photo.jpg") << "SQLite format 3";  // the bytes say database
    std::filesystem::create_directory(dir / "c");
    ui::NameIconProvider provider;
    const auto info = [&](const char* name) {
        return QFileInfo(QString::fromStdString((dir / name).string()));
    };
    EXPECT_EQ(provider.type(info("c")), QStringLiteral("文件夹"));
    const QString photo = provider.type(info("photo.jpg"));
    EXPECT_FALSE(photo.contains("SQLite", Qt::CaseInsensitive)) << photo.toStdString();
    EXPECT_FALSE(photo.isEmpty());
}

}  // namespace
