// Stepping a 100,000-row Employee SELECT through platform/db against the bare SQLite API.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench/support/demo_db.h"
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
    return bench_support::demo_database(
        "select", [](db::Connection& conn) { schema::fill_employees(conn, kRows, 0); });
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
    sqlite3* h = bench_support::open_bare(database_path());
    for (auto _ : state) {
        std::size_t rows = 0;
        benchmark::DoNotOptimize(bench_support::step_bare(h, kSelect, rows));
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    sqlite3_close(h);
}

BENCHMARK(BM_BareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlatformDb)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    int rc = bench_support::run_with_ratios(argc, argv, {{"BM_PlatformDb", "BM_BareSqlite", 1.3}});
    bench_support::remove_demo_database(database_path());
    return rc;
}
