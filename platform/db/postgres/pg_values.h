// Values of PostgreSQL results, which arrive in binary form, as the cursor hands them out,
// and the errors of failed results.
#pragma once

#include <libpq-fe.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/db/connection.h"

namespace db::pg {

// One cell of a binary result row, with what is needed to read it.
struct Cell {
    Oid type;
    std::string_view raw;  // the binary form (the result holds it)
    int utc_offset;        // seconds east of UTC of the session's time zone (timestamptz)
};

// Whether values of the type can be read; other types must be cast in the statement.
bool readable(Oid type);
// The cell as a value. Bytes and text point into the result; forms that must be made
// (numbers as text, dates out of range) go into `scratch`.
ValueView decode(const Cell& cell, std::string& scratch);
// The cell as the server's text form would give it (ISO dates, t/f, decimal numbers; bytes
// as they are). Made forms go into `scratch`.
std::string_view text_of(const Cell& cell, std::string& scratch);

// A failed result as an Error with its SQLSTATE and message (the result stays the caller's).
Error error_of(const PGresult* res);
// The connection's own last error (no result: the server could not be reached).
Error connection_error(const PGconn* conn);

// libpq's messages end in a line break.
std::string trimmed(const char* msg);

}  // namespace db::pg
