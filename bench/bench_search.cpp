// The employee list's search over 100,000 employees: typing a pattern and pressing the query
// button of w_employee, against stepping the same SELECT with the bare SQLite API. And the
// search that finds all 100,000 on PostgreSQL: its peak memory against the same search on
// SQLite (each in a fresh child process), and its time against PQexec of the same statement
// keeping every value in one block, measured in turns by wall time.
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/support/demo_db.h"
#include "bench/support/pairs.h"
#include "bench/support/peak_memory.h"
#include "bench/support/postgres_db.h"
#include "bench/support/ratio.h"
#include "platform/runtime/application.h"
#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "schema/demo_data.h"
#include "schema/schema.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"

namespace {

constexpr int kRows = 100000;

const std::string& database_path() {
    return bench_support::demo_database(
        "search", [](db::Connection& conn) { schema::fill_employees(conn, kRows, 0); });
}

// The list as the host opens it, from the screen library, on the benchmark database (or the
// one at `url`).
struct OpenList {
    explicit OpenList(const std::string& url = "sqlite:" + database_path()) {
        sqlca_ok = host.sqlca.connect(url) == 0;
        host.register_classes();
        std::string error;
        library = host::ScreenLibrary::load(
            host, host::ScreenLibrary::library_list(TARVO_SCREENS_MODULE), error);
        if (library) window = app.open_sheet("w_employee", host.w_main(), std::nullopt, 0, 0);
    }
    // Types the patterns and presses the query button, as the user does.
    void search(const std::string& id, const std::string& name) {
        runtime::user::type(window->control_as<runtime::SingleLineEdit>("sle_id"), id);
        runtime::user::type(window->control_as<runtime::SingleLineEdit>("sle_name"), name);
        runtime::user::press(window->control_as<runtime::CommandButton>("cb_1"));
    }
    int rowcount() const { return std::stoi(*window->instance_variable("li_rowcount")); }

    runtime::ScriptedInteraction ui;
    runtime::Files files{std::filesystem::temp_directory_path() / "tarvo-bench-drive_c"};
    runtime::Application app{ui, files};
    host::Host host{app};
    std::unique_ptr<host::ScreenLibrary> library;
    bool sqlca_ok = false;
    runtime::Window* window = nullptr;
};

// Counts rows of the statement the window would build, stepping it with bare SQLite.
int bare_search(sqlite3* h, const std::string& sql) {
    std::size_t rows = 0;
    benchmark::DoNotOptimize(bench_support::step_bare(h, sql, rows));
    return static_cast<int>(rows);
}

// The statement the window builds for the patterns, as its grid holds it after a search.
std::string statement(const std::string& id, const std::string& name) {
    OpenList list;
    if (!list.window) return "";
    list.search(id, name);
    return list.window->control_as<runtime::DataWindowControl>("dw_1").getsqlselect();
}

int expected_rows(const std::string& id, const std::string& name) {
    sqlite3* h = bench_support::open_bare(database_path());
    const int rows = bare_search(h, statement(id, name));
    sqlite3_close(h);
    return rows;
}

void list_search(benchmark::State& state, const std::string& id, const std::string& name) {
    OpenList list;
    if (!list.sqlca_ok || !list.window) {
        state.SkipWithError("the list did not open");
        return;
    }
    const int expected = expected_rows(id, name);
    for (auto _ : state) {
        list.search(id, name);
        if (list.rowcount() != expected) state.SkipWithError("wrong row count");
    }
    state.counters["rows"] = expected;
}

void bare_sqlite(benchmark::State& state, const std::string& id, const std::string& name) {
    const std::string sql = statement(id, name);
    sqlite3* h = bench_support::open_bare(database_path());
    for (auto _ : state) benchmark::DoNotOptimize(bare_search(h, sql));
    sqlite3_close(h);
}

void BM_BareNumber(benchmark::State& s) {
    bare_sqlite(s, "1", "");
}
void BM_ListNumber(benchmark::State& s) {
    list_search(s, "1", "");
}
void BM_BareName(benchmark::State& s) {
    bare_sqlite(s, "", "王");
}
void BM_ListName(benchmark::State& s) {
    list_search(s, "", "王");
}

// The search with both boxes blank: every employee.
bool search_all(OpenList& list) {
    if (!list.sqlca_ok || !list.window) return false;
    list.search("", "");
    return list.rowcount() == kRows;
}

bench_support::PostgresBenchDatabase& postgres() {
    static bench_support::PostgresBenchDatabase db(
        "search", [](db::Connection& conn) { schema::fill_employees(conn, kRows, 0); });
    return db;
}

// PQexec of the statement, every value kept in one block of bytes with an end offset per
// value (and null as a marker): the least a list that keeps the rows must do.
bool bare_pqexec(PGconn* conn, const std::string& sql, std::string& block,
                 std::vector<std::uint32_t>& ends) {
    block.clear();
    ends.clear();
    PGresult* res = PQexec(conn, sql.c_str());
    const int rows = PQntuples(res), columns = PQnfields(res);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(res, r, c)) {
                ends.push_back(UINT32_MAX);
                continue;
            }
            block.append(PQgetvalue(res, r, c), PQgetlength(res, r, c));
            ends.push_back(static_cast<std::uint32_t>(block.size()));
        }
    PQclear(res);
    return rows == kRows;
}

void BM_PgSearchAll(benchmark::State& state) {
    OpenList list(postgres().url());
    if (!search_all(list)) {
        state.SkipWithError("the list did not search PostgreSQL");
        return;
    }
    // The statement the window sent, as its grid holds it.
    const std::string sql =
        list.window->control_as<runtime::DataWindowControl>("dw_1").getsqlselect();
    std::unique_ptr<PGconn, decltype(&PQfinish)> pq(PQconnectdb(postgres().url().c_str()),
                                                    &PQfinish);
    std::string block;
    std::vector<std::uint32_t> ends;
    bench_support::measure_pair(
        state, [&] { return search_all(list); },
        [&] { return bare_pqexec(pq.get(), sql, block, ends); }, bench_support::Clock::wall);
}

BENCHMARK(BM_BareNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListName)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<bench_support::Ratio> ratios = {{"BM_ListNumber", "BM_BareNumber", 1.5},
                                                {"BM_ListName", "BM_BareName", 1.5}};
    std::vector<bench_support::Measured> measured;
    database_path();
    if (postgres().available()) {
        // Each search in a fresh child of this process, before any other search ran here.
        long sqlite_kb = bench_support::peak_growth_kb([] {
            OpenList list;
            return search_all(list);
        });
        long pg_kb = bench_support::peak_growth_kb([] {
            OpenList list(postgres().url());
            return search_all(list);
        });
        std::printf("peak memory of the 100,000-row search: SQLite %ld kB, PostgreSQL %ld kB\n",
                    sqlite_kb, pg_kb);
        if (sqlite_kb > 0 && pg_kb >= 0)
            measured.push_back({"peak memory of the search, PostgreSQL / SQLite",
                                static_cast<double>(pg_kb) / sqlite_kb, 1.3});
        benchmark::RegisterBenchmark("BM_PgSearchAll", BM_PgSearchAll)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(5);
        ratios.push_back({"BM_PgSearchAll", "", 1.3});
    } else {
        postgres().print_skip();
    }
    int rc = bench_support::run_with_ratios(argc, argv, ratios, measured);
    bench_support::remove_demo_database(database_path());
    return rc;
}
