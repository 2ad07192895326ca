#include "platform/ui/qt_setup.h"

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

void prepare_qt_application() {
    use_icon_themes();
    previous = qInstallMessageHandler(filtered);
}

}  // namespace ui
