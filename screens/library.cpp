// The screen library's one entry: it hands the host its window classes and the data-window
// definitions they present.
#include "screens/definitions/employee_record.h"
#include "screens/form/w_employeeadd.h"
#include "screens/host/screen_library.h"
#include "screens/list/w_employee.h"

extern "C" __attribute__((visibility("default"))) int tarvo_screen_library(
    host::ScreenRegistrar& registrar, int version) {
    if (version != host::kScreenLibraryVersion) return 1;
    registrar.add_definition(screens::d_employee());
    registrar.add_definition(screens::d_employeeadd());
    registrar.add_window(screens::w_employee::kClassName,
                         [](host::Host& h) { return std::make_unique<screens::w_employee>(h); });
    registrar.add_window(screens::w_employeeadd::kClassName,
                         [](host::Host& h) { return std::make_unique<screens::w_employeeadd>(h); });
    return 0;
}
