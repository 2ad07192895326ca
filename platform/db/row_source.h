// The rows behind a static cursor, read as they are asked for, so that a cursor over a large
// result holds only the row it stands on (and on PostgreSQL the rest of one fetched window
// when another statement interrupts it). Each database has its own way to do that: the
// connection's dialect opens them (dialect.h).
//  - PostgreSQL: the statement runs once, in one round trip; read `counted` its rows arrive
//    as one result, which says how many there are; read `forward` they arrive one at a time
//    (holding only what the reader keeps) and a count is asked of the server only if wanted.
//  - SQLite: the statement's own forward cursor, stepped only as far as the rows asked for;
//    the count is a COUNT(*) over the statement (inside the cursor's read snapshot while the
//    cursor is part-way through).
// On both, a row before the cursor's position runs the statement again and skips forward.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/value.h"

namespace db {

class Connection;
class Cursor;

// How a cursor's reader goes through the rows: `counted` asks for their number and takes
// them all (a static cursor: listings, single records); `forward` reads them once in order
// (a forward-only cursor: pages), and asks for the number rarely if ever.
enum class Reading { counted, forward };

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

// The rows of `sql` through its own cursor, stepped only as far as the rows asked for.
// Read `counted`, the statement is read whole where the database can (its cursor then
// knows the count); otherwise the count is a statement of its own (count_statement), run
// when first asked for.
std::unique_ptr<RowSource> open_statement_rows(Connection& conn, std::string sql, Reading reading);

// "SELECT COUNT(*)" over the statement without a final ORDER BY (the order changes no
// count, and SQLite counts a plain statement from an index instead of sorting every row).
std::string count_statement(const std::string& sql);

}  // namespace db
