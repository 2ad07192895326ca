// The log-in dialog of the desktop program: shown before any window when the database server
// wants a password that libpq did not find. It names the server and the user, takes the
// password without showing it, and can keep it in the password file (off unless chosen).
#pragma once

#include <optional>

#include "tools/common/login.h"

namespace app {

// Asks in a dialog; nullopt when the user cancels.
std::optional<login::Answer> ask_in_dialog(const db::PasswordNeeded& why);

}  // namespace app
