// Logging in to a database: the password the server wants and libpq did not find is asked
// for, as often as the server refuses it and the user gives another, and never travels in a
// URL or an argument.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/db/connection.h"

namespace login {

struct Answer {
    std::string password;
    bool remember = false;  // keep it in the password file once it worked
};

// Asks the user for a password; nullopt when the user gives up or cannot be asked.
using Asker = std::function<std::optional<Answer>(const db::PasswordNeeded& why)>;

struct LoggedIn {
    std::unique_ptr<db::Connection> conn;
    std::string password;  // the one that worked ("" when none was asked for)
    std::string note;      // why a password to remember was not kept, or ""
};

// Connects to `url`, asking through `ask` while the server wants a password. A password to
// remember goes to the password file once it worked; when that fails, `note` says why (the
// connection stands all the same). Throws db::Error as db::connect does; db::PasswordNeeded
// when the user gave up.
LoggedIn connect(const std::string& url, const Asker& ask);

// Asks on the program's terminal, without echo, up to three times; nullopt without a
// terminal (a script, a pipe) or after the third refusal.
Asker on_terminal();

// "zhang @ db.example.com:5432/hr": who logs in where, for a prompt.
std::string who_and_where(const db::PasswordNeeded::Login& login);

}  // namespace login
