#include "platform/db/sqlite/sqlite_statement.h"

#include <cctype>

namespace db::sqlite {
namespace {

bool only_blanks(std::string_view rest) {
    for (char c : rest)
        if (!std::isspace(static_cast<unsigned char>(c)) && c != ';') return false;
    return true;
}

}  // namespace

void fail(sqlite3* h, const std::string& context) {
    std::string msg = sqlite3_errmsg(h);
    if (!context.empty()) msg = context + ": " + msg;
    throw Error(sqlite3_extended_errcode(h), "", msg);
}

Statement::Statement(sqlite3* h, std::string_view sql) : h_(h) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(h, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail) != SQLITE_OK)
        fail(h);
    if (!stmt_) throw Error(SQLITE_MISUSE, "", "empty statement");
    if (tail && tail < sql.data() + sql.size() &&
        !only_blanks(
            std::string_view(tail, static_cast<std::size_t>(sql.data() + sql.size() - tail)))) {
        sqlite3_finalize(stmt_);
        throw Error(SQLITE_MISUSE, "", "more than one statement in one call");
    }
}

void Statement::bind(const Params& params, bool keep) {
    keep_ = keep;
    int expected = sqlite3_bind_parameter_count(stmt_);
    if (expected != static_cast<int>(params.size()))
        throw Error(SQLITE_RANGE, "",
                    "statement takes " + std::to_string(expected) + " values, " +
                        std::to_string(params.size()) + " given");
    for (int i = 0; i < expected; ++i) bind_one(i + 1, params[i]);
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    fail(h_);
}

void Statement::bind_one(int pos, const Value& v) {
    int rc = SQLITE_OK;
    if (v.is_null()) {
        rc = sqlite3_bind_null(stmt_, pos);
    } else if (v.is_integer()) {
        rc = sqlite3_bind_int64(stmt_, pos, v.as_integer());
    } else if (v.is_real()) {
        rc = sqlite3_bind_double(stmt_, pos, v.as_real());
    } else if (v.is_text()) {
        const auto& s = v.as_text();
        rc = sqlite3_bind_text64(stmt_, pos, s.data(), s.size(), lifetime(), SQLITE_UTF8);
    } else if (v.is_bytes()) {
        const auto& b = v.as_bytes();
        // A zero-length blob is still a blob, not null.
        rc = sqlite3_bind_blob64(stmt_, pos, b.empty() ? "" : static_cast<const void*>(b.data()),
                                 b.size(), lifetime());
    } else {
        std::string s = v.as_datetime().to_string();
        rc = sqlite3_bind_text64(stmt_, pos, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK) fail(h_, "binding value " + std::to_string(pos));
}

}  // namespace db::sqlite
