// A page read through a static Recordset against the bare SQLite API doing the same work
// (count the rows, step to the page, read its rows), on a table of a million rows. Prints
// the time ratio and how much the process's peak memory grew during the Recordset reads:
// a page read must hold the page's window, not the table.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ado/objects.h"
#include "platform/com/bstr.h"
#include "platform/db/connection.h"

using namespace com;

namespace {

constexpr long page_size = 10;

long rows_wanted() {
    const char* env = std::getenv("TARVO_BENCH_ROWS");
    return env ? std::atol(env) : 1'000'000;
}

std::string make_table(long rows) {
    std::string path = (std::filesystem::temp_directory_path() / "tarvo_bench_page.db").string();
    std::filesystem::remove(path);
    auto db = db::connect("sqlite:" + path);
    db->execute("CREATE TABLE big (id INTEGER PRIMARY KEY, name VARCHAR(50), amount REAL)");
    db->execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO big SELECT i, 'name ' || i, i * 0.5 FROM n",
        {static_cast<std::int64_t>(rows)});
    return path;
}

long peak_rss_kb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The baseline: COUNT(*), then LIMIT/OFFSET stepping with the bare API.
long raw_page(sqlite3* h, long page) {
    sqlite3_stmt* count;
    sqlite3_prepare_v2(h, "SELECT COUNT(*) FROM big", -1, &count, nullptr);
    sqlite3_step(count);
    long total = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    sqlite3_stmt* st;
    sqlite3_prepare_v2(h, "SELECT * FROM big LIMIT ? OFFSET ?", -1, &st, nullptr);
    sqlite3_bind_int64(st, 1, page_size);
    sqlite3_bind_int64(st, 2, (page - 1) * page_size);
    long sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < 3; ++c) sum += sqlite3_column_bytes(st, c);
    sqlite3_finalize(st);
    return sum + total;
}

long recordset_page(ado::_Connection* conn, long page) {
    Ptr<ado::_Recordset> rs;
    ado::create_recordset(ado::IID__Recordset, rs.out_void());
    Variant source = Variant::adopt(var_text("SELECT * FROM big"));
    Variant active = Variant::adopt(var_dispatch(conn));
    if (FAILED(rs->Open(*source, *active, ado::adOpenStatic, -1, -1))) std::abort();
    LONG total;
    rs->get_RecordCount(&total);
    rs->put_PageSize(page_size);
    rs->put_AbsolutePage(page);
    Ptr<ado::Fields> fields;
    rs->get_Fields(fields.out());
    long sum = total;
    VARIANT_BOOL eof;
    for (long k = 0; k < page_size && SUCCEEDED(rs->get_EOF(&eof)) && !eof; ++k) {
        for (LONG c = 0; c < 3; ++c) {
            Ptr<ado::Field> f;
            fields->get_Item(var_i4(c), f.out());
            Variant v;
            f->get_Value(v.out());
            sum += v->vt;
        }
        rs->MoveNext();
    }
    rs->Close();
    return sum;
}

void BM_PageOfAMillionRows(benchmark::State& state) {
    long rows = rows_wanted();
    std::string path = make_table(rows);
    long page = rows / page_size / 2;  // a page in the middle of the table

    sqlite3* raw;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Ptr<ado::_Connection> conn;
    ado::create_connection(ado::IID__Connection, conn.out_void());
    Bstr cs("Provider=SQLite;Data Source=" + path);
    if (FAILED(conn->Open(cs.get(), nullptr, nullptr, -1))) std::abort();

    using clock = std::chrono::steady_clock;
    clock::duration raw_time{}, ado_time{};
    long rss_before = peak_rss_kb();
    for (auto _ : state) {
        auto t0 = clock::now();
        benchmark::DoNotOptimize(raw_page(raw, page));
        auto t1 = clock::now();
        benchmark::DoNotOptimize(recordset_page(conn.get(), page));
        auto t2 = clock::now();
        raw_time += t1 - t0;
        ado_time += t2 - t1;
    }
    state.counters["recordset/raw"] = static_cast<double>(ado_time.count()) / raw_time.count();
    state.counters["peak_rss_growth_kb"] = static_cast<double>(peak_rss_kb() - rss_before);
    state.counters["rows"] = static_cast<double>(rows);
    sqlite3_close(raw);
    conn->Close();
    std::filesystem::remove(path);
}

BENCHMARK(BM_PageOfAMillionRows)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
