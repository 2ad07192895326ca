// A PostgreSQL role that must give its password (SCRAM-SHA-256), on the test server that
// otherwise trusts everyone: a line for the role goes first into the server's pg_hba.conf
// (the tests run as root, or as the server's owner). Each role has a name of its own.
#pragma once

#include <string>

#include "tests/support/test_db.h"

namespace testing_support {

class PasswordRole {
  public:
    // A new role `prefix`_N that logs in with `password`, for the server of `database`.
    PasswordRole(const TestDatabase& database, const std::string& prefix,
                 const std::string& password);
    ~PasswordRole();
    PasswordRole(const PasswordRole&) = delete;
    PasswordRole& operator=(const PasswordRole&) = delete;

    // False (with skip_reason()) when the server's pg_hba.conf cannot be changed here.
    bool available() const { return available_; }
    const std::string& skip_reason() const { return skip_reason_; }
    const std::string& name() const { return name_; }
    const std::string& password() const { return password_; }
    // The database's URL as this role, without its password.
    const std::string& url() const { return url_; }

    // Makes `role` (another name) log in with a password too, from now on.
    static bool require_password(const std::string& role, std::string& why);

  private:
    bool available_ = true;
    std::string skip_reason_, name_, password_, url_;
};

}  // namespace testing_support
