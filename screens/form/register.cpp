#include "screens/form/register.h"

#include "screens/definitions/employee_record.h"
#include "screens/form/w_employeeadd.h"

namespace screens {

void register_form_windows(runtime::Application& app, host::Host& host) {
    register_definitions();
    app.register_class(w_employeeadd::kClassName,
                       [&host] { return std::make_unique<w_employeeadd>(host); });
}

}  // namespace screens
