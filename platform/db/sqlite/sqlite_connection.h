#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/db/connection.h"
#include "platform/db/dialect.h"

namespace db {

// Opens SQLite from the part of the URL after "sqlite:" (see db::connect).
std::unique_ptr<Connection> open_sqlite(std::string_view location);

// SQLite's dialect (see dialect.h).
const Dialect& sqlite_dialect();

}  // namespace db
