// Hands the form's window class to the application, so the list (and the host) open
// "w_employeeadd" by name, together with the definition it presents.
#pragma once

#include "platform/runtime/application.h"
#include "screens/host/host.h"

namespace screens {

void register_form_windows(runtime::Application& app, host::Host& host);

}  // namespace screens
