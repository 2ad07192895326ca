// The GUI suites run in one QApplication on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/qt_setup.h"
#include "tests/support/test_main.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::prepare_qt_application();
    ::testing::InitGoogleTest(&argc, argv);
    return testing_support::run_all_tests();
}
