// tarvo: the employee module's desktop program. See --help, and docs/scripting.md for the
// scripts --headless runs.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "app/desktop.h"
#include "app/options.h"
#include "platform/ui/qt_setup.h"

namespace {

// Qt's first words on the display while the application starts, kept for the one line
// below; Qt itself would end the program with a page of advice about reinstalling it.
QString g_first_platform_words;

void on_starting_qt_message(QtMsgType type, const QMessageLogContext& context,
                            const QString& text) {
    if (type == QtFatalMsg) {
        const char* display = std::getenv("WAYLAND_DISPLAY");
        if (!display || !*display) display = std::getenv("DISPLAY");
        const QString why = g_first_platform_words.isEmpty() ? text : g_first_platform_words;
        std::fprintf(stderr, "tarvo: 无法打开图形显示 %s（%s）\n", display ? display : "",
                     why.toLocal8Bit().constData());
        std::_Exit(2);
    }
    if (QByteArray(context.category ? context.category : "").startsWith("qt.qpa")) {
        if (g_first_platform_words.isEmpty()) g_first_platform_words = text;
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    auto options = app::parse_options(argc, argv, status);
    if (!options) return status;
    const bool has_display =
        std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (options->headless) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);  // the windows exist, nobody sees them
    } else if (!has_display) {
        std::fprintf(stderr,
                     "tarvo: 没有图形显示（DISPLAY 未设置）。在没有显示器的机器上可以运行\n"
                     "  xvfb-run -a tarvo\n"
                     "或者用 --headless --script FILE 运行脚本。\n");
        return 2;
    }
    qInstallMessageHandler(on_starting_qt_message);
    QApplication qt(argc, argv);
    qInstallMessageHandler(nullptr);
    QApplication::setApplicationName("tarvo");
    QApplication::setWindowIcon(QIcon(":/tarvo.svg"));
    ui::prepare_qt_application();
    app::Desktop desktop(std::move(*options));
    return desktop.run();
}
