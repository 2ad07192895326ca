// An office's PostgreSQL server set up for least privilege. The tables belong to an owner
// role that nobody logs in as; each clerk logs in as a role of their own, a member of the
// clerks' group role, which may work with employees and the component's tables and may only
// add lines to the audit table Syslog: never change, delete or empty them.
#pragma once

#include <string>

#include "platform/db/connection.h"

namespace schema {

struct OfficeRoles {
    std::string owner = "tarvo_owner";
    std::string clerks = "tarvo_clerk";
};

// Creates the tables and roles that are missing, gives the tables to the owner and the
// clerks their rights. Run it as the server's superuser; running it again changes nothing.
// Throws db::Error (on SQLite too, which has no roles).
void set_up_office(db::Connection& conn, const OfficeRoles& roles = {});

// Adds a clerk: a role that logs in with `password`, in the clerks' group. A clerk that
// exists gets the new password. Refused for a superuser and for the office's own roles.
void add_clerk(db::Connection& conn, const std::string& name, const std::string& password,
               const OfficeRoles& roles = {});

}  // namespace schema
