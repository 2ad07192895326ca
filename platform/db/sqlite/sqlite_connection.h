#pragma once

#include <memory>
#include <string_view>

#include "platform/db/connection.h"

namespace db {

// Opens SQLite from the part of the URL after "sqlite:" (see db::connect).
std::unique_ptr<Connection> open_sqlite(std::string_view location);

}  // namespace db
