#include "platform/db/postgres/pg_blob.h"

#include <cctype>
#include <cstring>

#include "platform/db/postgres/pg_stream.h"

namespace db::pg {
namespace {

constexpr Oid kByteaOid = 17;

// The statement without the blanks and semicolons that may end it.
std::string_view body_of(std::string_view sql) {
    while (!sql.empty() &&
           (sql.back() == ';' || std::isspace(static_cast<unsigned char>(sql.back()))))
        sql.remove_suffix(1);
    return sql;
}

}  // namespace

std::string pieces_statement(std::string_view sql) {
    // Pieces of at least 1 MB, and of a sixteenth of a larger block: a compressed block is
    // decompressed from its start for each piece, so their number stays small. The
    // statement's own text stands on lines of its own, so a comment ending it ends there.
    return "SELECT q.r, q.n, g.s, substring(q.b FROM g.s FOR q.p) FROM"
           " (SELECT b, octet_length(b) AS n,"
           " greatest(1048576, (octet_length(b) + 15) / 16) AS p,"
           " row_number() OVER () AS r FROM (\n" +
           std::string(body_of(sql)) +
           "\n) AS q0 (b) LIMIT 2) AS q"
           " LEFT JOIN LATERAL generate_series(1, q.n, q.p) AS g (s) ON true";
}

int read_blob_in_pieces(Session& session, std::string_view sql, const Params& params,
                        std::optional<Bytes>& blob) {
    std::unique_ptr<Stream> rows;
    try {
        rows = session.send(pieces_statement(sql), params);
    } catch (const Error& e) {
        // Class 42 (syntax, unknown function for the column's type): the statement read
        // whole gives its own answer, or its own error.
        if (e.sqlstate().starts_with("42")) return -1;
        throw;
    }
    if (rows->column_count() != 4 || rows->column_type(3) != kByteaOid) return -1;
    std::optional<Bytes> out;
    bool found = false;
    std::size_t received = 0;
    while (rows->next()) {
        if (rows->view(0).integer > 1) return 2;  // a second row
        found = true;
        const ValueView size = rows->view(1), offset = rows->view(2);
        if (size.kind == ValueView::Kind::null) continue;  // NULL: no block
        if (!out) out.emplace(static_cast<std::size_t>(size.integer));
        if (offset.kind == ValueView::Kind::null) continue;  // an empty block
        const std::string_view piece = rows->view(3).data;
        const auto at = static_cast<std::size_t>(offset.integer - 1);
        if (at > out->size() || piece.size() > out->size() - at)
            throw Error(-1, "XX000", "读取字节块时收到的片段超出了它的长度");
        std::memcpy(out->data() + at, piece.data(), piece.size());
        received += piece.size();
    }
    if (!found) return 0;
    if (out && received != out->size()) throw Error(-1, "XX000", "字节块没有完整读出");
    blob = std::move(out);
    return 1;
}

}  // namespace db::pg
