// The tables of the employee module, for SQLite and PostgreSQL. Names are unquoted so
// that `Hr_Dept` and `HR_Dept`, `employee` and `Employee` name the same table.
#pragma once

#include <string>
#include <vector>

#include "platform/db/connection.h"

namespace schema {

// The DDL in a database's dialect, one statement a string (CREATE ... IF NOT EXISTS).
std::vector<std::string> ddl(const db::Dialect& dialect);

// Creates every table and index that is missing. Safe to run on a filled database.
void create(db::Connection& conn);

// Drops the module's tables (tests and benchmarks start afresh with it).
void drop(db::Connection& conn);

}  // namespace schema
