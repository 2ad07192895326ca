// Values of PostgreSQL results (text format) as the cursor hands them out, and the errors
// of failed results.
#pragma once

#include <libpq-fe.h>

#include <string>

#include "platform/db/connection.h"

namespace db::pg {

// The value of one cell of a result row. Byte blocks are decoded into `scratch`, which the
// view then points into.
ValueView decode(Oid type, const char* text, int length, Bytes& scratch);

// A failed result as an Error with its SQLSTATE and message (the result stays the caller's).
Error error_of(const PGresult* res);
// The connection's own last error (no result: the server could not be reached).
Error connection_error(const PGconn* conn);

// libpq's messages end in a line break.
std::string trimmed(const char* msg);

}  // namespace db::pg
