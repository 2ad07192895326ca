// A SQLite file of demo data for a benchmark: made once per process, removed by
// remove_demo_database() at the end of main().
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/db/connection.h"
#include "schema/schema.h"

namespace bench_support {

// The path of a fresh database named after `name`, filled by `fill` in one transaction.
// Later calls return the same path.
inline const std::string& demo_database(const std::string& name,
                                        const std::function<void(db::Connection&)>& fill) {
    static const std::string path = [&] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("tarvo-bench-" + name + "-" + std::to_string(getpid()) + ".db"))
                            .string();
        auto conn = db::connect("sqlite:" + p);
        schema::create(*conn);
        conn->begin();
        fill(*conn);
        conn->commit();
        return p;
    }();
    return path;
}

inline void remove_demo_database(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

// The baseline's connection, opened as platform/db opens its own (no mutex: one thread
// uses it), so comparisons are of the work per row, not of locking.
inline sqlite3* open_bare(const std::string& path) {
    sqlite3* h = nullptr;
    sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    return h;
}

// The raw baseline: steps `sql`, reading every column as text. Returns the text bytes read
// and sets `rows` to the number of rows stepped.
inline std::size_t step_bare(sqlite3* h, const std::string& sql, std::size_t& rows) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
    std::size_t bytes = 0;
    rows = 0;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < n; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
        ++rows;
    }
    sqlite3_finalize(st);
    return bytes;
}

}  // namespace bench_support
