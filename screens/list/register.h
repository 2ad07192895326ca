// Hands the list's window class to the application, so the host opens "w_employee" by
// name, together with the definition its grid presents.
#pragma once

#include "platform/runtime/application.h"
#include "screens/host/host.h"

namespace screens {

void register_list_windows(runtime::Application& app, host::Host& host);

}  // namespace screens
