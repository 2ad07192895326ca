// A prepared SQLite statement and its bound values: one statement per call (a second one
// is refused), every value bound as its type, a zero-length blob still a blob.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "platform/db/connection.h"

namespace db::sqlite {

// Throws the connection's last error as db::Error (with `context` before its text).
[[noreturn]] void fail(sqlite3* h, const std::string& context = {});

class Statement {
  public:
    Statement(sqlite3* h, std::string_view sql);
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // `keep`: the values outlive the statement's steps, so SQLite reads them in place
    // instead of copying (a large blob is then held once).
    void bind(const Params& params, bool keep = false);
    // Steps once; true when a row is available.
    bool step();

    sqlite3_stmt* get() const { return stmt_; }

  private:
    void bind_one(int pos, const Value& v);
    sqlite3_destructor_type lifetime() const { return keep_ ? SQLITE_STATIC : SQLITE_TRANSIENT; }

    sqlite3* h_;
    sqlite3_stmt* stmt_ = nullptr;
    bool keep_ = false;
};

}  // namespace db::sqlite
