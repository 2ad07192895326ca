// The rows behind a static cursor, read as they are asked for, so that a cursor over a large
// result holds only the row it stands on (and on PostgreSQL the rest of one fetched window
// when another statement interrupts it). Each database has its own way to do that: the
// connection's dialect opens them (dialect.h).
//  - PostgreSQL: a scrollable server-side cursor (WITH HOLD, so it outlives the statement's
//    transaction) gives a stable snapshot in a stable order; the count comes from moving to
//    its end. Rows are fetched in windows that grow while they are read in order; each
//    window's rows arrive one at a time.
//  - SQLite: the statement's own forward cursor, stepped only as far as the rows asked for;
//    the count is a COUNT(*) over the statement (inside the cursor's read snapshot while the
//    cursor is part-way through); a row before the cursor's position reopens the statement
//    and skips forward.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/value.h"

namespace db {

class Cursor;

class RowSource {
  public:
    virtual ~RowSource() = default;
    // The exact number of rows of the statement, counted when first asked for (a page read
    // that never asks does not pay for counting the whole result).
    virtual std::int64_t count() = 0;
    // The names of the columns, as the database reports them.
    virtual const std::vector<std::string>& columns() const = 0;
    // Stands on row `index` (from 0); false when the statement has no such row. Moving
    // forward reads on; moving back starts again from an earlier position.
    virtual bool seek(std::int64_t index) = 0;
    // The row the last successful seek() stands on; its values stay valid until the next
    // seek() or count().
    virtual const Cursor& row() const = 0;
};

// The statement without trailing blanks and semicolons, so it can be nested in another.
std::string bare_statement(const std::string& sql);

}  // namespace db
