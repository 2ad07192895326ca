#include "platform/db/connection.h"

#include "platform/db/postgres/pg_connection.h"
#include "platform/db/sqlite/sqlite_connection.h"

namespace db {

void Connection::savepoint(std::string_view name) {
    execute("SAVEPOINT " + std::string(name));
}
void Connection::release(std::string_view name) {
    execute("RELEASE SAVEPOINT " + std::string(name));
}
void Connection::rollback_to(std::string_view name) {
    execute("ROLLBACK TO SAVEPOINT " + std::string(name));
}

Result Connection::query_all(std::string_view sql, const Params& params) {
    auto cursor = query(sql, params);
    Result result;
    std::size_t n = cursor->column_count();
    result.columns.reserve(n);
    for (std::size_t c = 0; c < n; ++c) result.columns.push_back(cursor->column_name(c));
    while (cursor->next()) {
        std::vector<Value> row;
        row.reserve(n);
        for (std::size_t c = 0; c < n; ++c) row.push_back(cursor->value(c));
        result.rows.push_back(std::move(row));
    }
    return result;
}

std::unique_ptr<Connection> connect(std::string_view url) {
    if (url.starts_with("sqlite:")) return open_sqlite(url.substr(7));
    if (url.starts_with("postgresql://") || url.starts_with("postgres://"))
        return open_postgres(url);
    throw Error(
        -1, "",
        "unknown database URL (expected sqlite:PATH or postgresql://...): " + std::string(url));
}

}  // namespace db
