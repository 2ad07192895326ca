#include "platform/ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <algorithm>

namespace ui {
namespace {

// The first Chinese face installed, best first; empty when there is none.
const QString& chinese_face() {
    static const QString face = [] {
        const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        for (const char* name : {"Noto Sans CJK SC", "Noto Sans SC", "Source Han Sans SC",
                                 "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Droid Sans Fallback"})
            if (installed.contains(QString::fromLatin1(name))) return QString::fromLatin1(name);
        return installed.isEmpty() ? QString() : installed.first();
    }();
    return face;
}

QFont font_of(QStringList families, int points, int weight) {
    families.removeAll(QString());
    families.removeDuplicates();
    QFont font(families.value(0));
    font.setFamilies(families);
    font.setPointSize(std::max(1, points));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

}  // namespace

QFont screen_font(const std::string& face, int points, int weight) {
    return font_of({chinese_face(), QString::fromStdString(face)}, points, weight);
}

QFont print_font(const std::string& face, int points, int weight) {
    // A family list takes names as they are, without the system's substitutes ("Arial" is
    // Liberation Sans here): the face is resolved first.
    const QString latin = QFontInfo(QFont(QString::fromStdString(face))).family();
    return font_of({latin, chinese_face()}, points, weight);
}

}  // namespace ui
