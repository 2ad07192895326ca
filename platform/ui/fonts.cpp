#include "platform/ui/fonts.h"

#include <QFontDatabase>
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

}  // namespace

QFont screen_font(const std::string& face, int points, int weight) {
    QFont font(QString::fromStdString(face));
    QStringList families{QString::fromStdString(face)};
    if (!chinese_face().isEmpty() && chinese_face() != families.first()) families << chinese_face();
    font.setFamilies(families);
    font.setPointSize(std::max(1, points));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

}  // namespace ui
