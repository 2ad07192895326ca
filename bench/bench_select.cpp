// Stepping a 100,000-row Employee SELECT through platform/db against the bare SQLite API.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench/support/ratio.h"
#include "platform/db/connection.h"
#include "schema/demo_data.h"
#include "schema/schema.h"

namespace {

constexpr int kRows = 100000;
const char* kSelect =
    "SELECT eid, ename, sex, born, naviteplace, nationality, school, bodyhigh, bodyweight,"
    " maerry, bornfrom, idcard, urgent, urgentphone, department, position, email, phone,"
    " mobile, qq, msn, othercontact, content, flag FROM Employee";

const std::string& database_path() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("tarvo-bench-select-" + std::to_string(getpid()) + ".db"))
                            .string();
        auto conn = db::connect("sqlite:" + p);
        schema::create(*conn);
        conn->begin();
        schema::fill_employees(*conn, kRows, 0);
        conn->commit();
        return p;
    }();
    return path;
}

void BM_PlatformDb(benchmark::State& state) {
    auto conn = db::connect("sqlite:" + database_path());
    for (auto _ : state) {
        auto cursor = conn->query(kSelect);
        std::size_t bytes = 0, rows = 0;
        std::size_t n = cursor->column_count();
        while (cursor->next()) {
            for (std::size_t c = 0; c < n; ++c) bytes += cursor->text(c).size();
            ++rows;
        }
        if (rows != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_BareSqlite(benchmark::State& state) {
    sqlite3* h = nullptr;
    sqlite3_open_v2(database_path().c_str(), &h, SQLITE_OPEN_READWRITE, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, kSelect, -1, &st, nullptr);
        std::size_t bytes = 0, rows = 0;
        int n = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                sqlite3_column_text(st, c);
                bytes += sqlite3_column_bytes(st, c);
            }
            ++rows;
        }
        sqlite3_finalize(st);
        if (rows != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(h);
}

BENCHMARK(BM_BareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlatformDb)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    int rc = bench_support::run_with_ratios(argc, argv, {{"BM_PlatformDb", "BM_BareSqlite", 1.3}});
    std::filesystem::remove(database_path());
    std::filesystem::remove(database_path() + "-wal");
    std::filesystem::remove(database_path() + "-shm");
    return rc;
}
