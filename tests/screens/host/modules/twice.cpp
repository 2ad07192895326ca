// A faulty screen library: it hands over one window name twice.
#include "screens/host/screen_library.h"
#include "screens/host/w_mysheet.h"

extern "C" __attribute__((visibility("default"))) int tarvo_screen_library(
    host::ScreenRegistrar& registrar, int) {
    auto sheet = [](host::Host& h) { return std::make_unique<host::w_mysheet>(h, "w_twice"); };
    registrar.add_window("w_once", sheet);
    registrar.add_window("w_twice", sheet);
    registrar.add_window("w_twice", sheet);
    return 0;
}
