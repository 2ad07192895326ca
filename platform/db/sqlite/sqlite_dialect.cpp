// SQLite's dialect: LIKE takes a backslash literally; date-times are text and compare as
// date-times through datetime(); values are held to their columns' types and lengths by
// CHECK constraints, as PostgreSQL holds them by its types; a file has no roles.
#include <string>

#include "platform/db/dialect.h"
#include "platform/db/sqlite/sqlite_connection.h"

namespace db {
namespace {

class SqliteDialect final : public Dialect {
  public:
    const char* name() const override { return "SQLite"; }
    bool like_escapes_backslash() const override { return false; }

    std::string same_value(std::string_view column, bool datetime) const override {
        const std::string c(column);
        // "1990-05-01" reads back as "1990-05-01 00:00:00": both sides as date-times.
        if (datetime) return "datetime(" + c + ") IS NOT DISTINCT FROM datetime(?)";
        return c + " IS NOT DISTINCT FROM ?";
    }

    std::string column_definition(const ColumnSpec& col) const override {
        const std::string n(col.name);
        const std::string length = std::to_string(col.length);
        switch (col.kind) {
            case ColumnSpec::text:
                return n + " VARCHAR(" + length + ") CHECK (" + n + " IS NULL OR (typeof(" + n +
                       ") = 'text' AND length(" + n + ") <= " + length + "))";
            case ColumnSpec::integer:
                return n + " INTEGER CHECK (" + n + " IS NULL OR typeof(" + n + ") = 'integer')";
            case ColumnSpec::datetime:
                // A date that exists: through a day number 02-30 becomes 03-02, and no longer
                // matches what was written.
                return n + " DATETIME CHECK (" + n + " IS NULL OR date(julianday(" + n +
                       ")) = substr(" + n + ", 1, 10))";
            case ColumnSpec::blob:
                return n + " BLOB";
            case ColumnSpec::serial:
                return n + " INTEGER PRIMARY KEY AUTOINCREMENT";
            case ColumnSpec::utc_now:
                return n + " DATETIME DEFAULT CURRENT_TIMESTAMP";  // UTC
        }
        return n;
    }

    // AUTOINCREMENT continues after the largest identifier by itself.
    std::string identity_catch_up(std::string_view, std::string_view) const override { return ""; }

    bool has_roles() const override { return false; }
};

}  // namespace

const Dialect& sqlite_dialect() {
    static const SqliteDialect dialect;
    return dialect;
}

}  // namespace db
