#include "platform/ui/qt_setup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QtGlobal>

#include "platform/ui/icons.h"

namespace ui {
namespace {

QtMessageHandler previous = nullptr;

void filtered(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("propagateSizeHints")) return;
    if (previous) previous(type, context, message);
}

}  // namespace

bool use_chinese_texts() {
    // Dates, numbers and paper names of Qt's dialogs as in mainland China, whatever LANG says.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    const QString name = "qtbase_zh_CN";
    if (app->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly)) return true;
    auto* translator = new QTranslator(app);
    translator->setObjectName(name);
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void prepare_qt_application() {
    use_icon_themes();
    use_chinese_texts();
    previous = qInstallMessageHandler(filtered);
}

}  // namespace ui
