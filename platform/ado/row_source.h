// The rows behind a static cursor, read in windows so that a cursor over a large result
// holds only the rows it is asked for. Each database has its own way to do that.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/connection.h"

namespace ado {

using Row = std::vector<db::Value>;

class RowSource {
  public:
    virtual ~RowSource() = default;
    // The exact number of rows of the statement, counted when first asked for (a page read
    // that never asks does not pay for counting the whole result).
    virtual std::int64_t count() = 0;
    virtual const std::vector<std::string>& columns() const = 0;
    // Replaces `out` with rows [start, start + n) (fewer at the end).
    virtual void fetch(std::int64_t start, std::size_t n, std::vector<Row>& out) = 0;
};

// Opens the statement. Throws db::Error when the database rejects it.
//  - PostgreSQL: a scrollable server-side cursor (WITH HOLD, so it outlives the statement's
//    transaction) gives a stable snapshot in a stable order; the count comes from moving to
//    its end, and windows are fetched by absolute position. The server keeps the result.
//  - SQLite: the statement's own forward cursor, stepped only as far as the rows asked for;
//    the count is a COUNT(*) over the statement (inside the cursor's read snapshot while the
//    cursor is part-way through); a window before the cursor's position reopens the
//    statement and skips forward.
std::unique_ptr<RowSource> open_row_source(db::Connection& conn, const std::string& sql);

}  // namespace ado
