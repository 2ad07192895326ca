#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/db/connection.h"
#include "platform/db/dialect.h"

namespace db {

// Opens PostgreSQL through libpq from a postgresql:// URL, with a password when one is
// given (see db::connect).
std::unique_ptr<Connection> open_postgres(std::string_view url, const std::string& password = {});

// PostgreSQL's dialect (see dialect.h).
const Dialect& postgres_dialect();

}  // namespace db
