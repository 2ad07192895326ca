#include "platform/db/sqlite/sqlite_cursor.h"

#include <cctype>

namespace db::sqlite {
namespace {

bool is_datetime_decl(const char* decl) {
    if (!decl) return false;
    std::string d(decl);
    for (auto& ch : d) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return d.find("DATE") != std::string::npos || d.find("TIME") != std::string::npos;
}

}  // namespace

SqliteCursor::SqliteCursor(sqlite3* h, std::string_view sql, const Params& params) : stmt_(h, sql) {
    stmt_.bind(params);
    int n = sqlite3_column_count(stmt_.get());
    names_.reserve(n);
    datetime_.reserve(n);
    for (int c = 0; c < n; ++c) {
        names_.emplace_back(sqlite3_column_name(stmt_.get(), c));
        datetime_.push_back(is_datetime_decl(sqlite3_column_decltype(stmt_.get(), c)));
    }
}

bool SqliteCursor::next() {
    if (done_) return false;
    // Marked done first: stepping a failed statement again would start it over.
    done_ = true;
    if (!stmt_.step()) return false;
    done_ = false;
    return true;
}

ValueView SqliteCursor::view(std::size_t col) const {
    sqlite3_stmt* s = stmt_.get();
    int c = static_cast<int>(col);
    switch (sqlite3_column_type(s, c)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return ValueView::of_integer(sqlite3_column_int64(s, c));
        case SQLITE_FLOAT:
            return ValueView::of_real(sqlite3_column_double(s, c));
        case SQLITE_BLOB: {
            auto p = static_cast<const char*>(sqlite3_column_blob(s, c));
            int n = sqlite3_column_bytes(s, c);
            return ValueView::of_bytes(p ? std::string_view(p, n) : std::string_view());
        }
        default: {
            std::string_view t = text(col, nullptr);
            if (datetime_[col])
                if (auto dt = DateTime::parse(t)) return ValueView::of_datetime(*dt);
            return ValueView::of_text(t);
        }
    }
}

std::string_view SqliteCursor::text(std::size_t col, bool* null) const {
    sqlite3_stmt* s = stmt_.get();
    int c = static_cast<int>(col);
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
    if (null) *null = p == nullptr;
    if (!p) return {};
    return std::string_view(p, sqlite3_column_bytes(s, c));
}

}  // namespace db::sqlite
