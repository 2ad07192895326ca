// Reading one large byte block from PostgreSQL in pieces.
//
// A row arrives whole: libpq holds the message in its input buffer and again in the result,
// so a block read as one value costs two copies besides the caller's, and the connection
// keeps a buffer of the block's size afterwards. Read in pieces, only one piece of each
// is held at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/db/connection.h"

namespace db::pg {

class Session;

// The statement that returns the first column of `sql`'s rows (at most two of them) in
// pieces: one row per piece with the row's number, the block's size, the piece's offset
// (from 1) and the piece; a NULL or empty block gives one row without a piece.
std::string pieces_statement(std::string_view sql);

// Connection::read_blob for a byte block column. Returns -1, having read nothing, when the
// query's first column is no byte block or the statement cannot stand as a subquery; the
// caller then reads the value whole.
int read_blob_in_pieces(Session& session, std::string_view sql, const Params& params,
                        std::optional<Bytes>& blob);

}  // namespace db::pg
