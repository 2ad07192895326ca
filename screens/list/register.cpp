#include "screens/list/register.h"

#include "screens/definitions/employee_record.h"
#include "screens/list/w_employee.h"

namespace screens {

void register_list_windows(runtime::Application& app, host::Host& host) {
    register_definitions();
    app.register_class(w_employee::kClassName,
                       [&host] { return std::make_unique<w_employee>(host); });
}

}  // namespace screens
