// tarvo: the employee module's desktop program. See --help, and docs/scripting.md for the
// scripts --headless runs.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "app/desktop.h"
#include "app/options.h"
#include "platform/ui/qt_setup.h"

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
    QApplication qt(argc, argv);
    QApplication::setApplicationName("tarvo");
    QApplication::setWindowIcon(QIcon(":/tarvo.svg"));
    ui::prepare_qt_application();
    app::Desktop desktop(std::move(*options));
    return desktop.run();
}
