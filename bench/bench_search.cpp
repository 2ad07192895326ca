// The employee list's search over 100,000 employees: typing a pattern and pressing the query
// button of w_employee, against stepping the same SELECT with the bare SQLite API.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/support/demo_db.h"
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

// The list as the host opens it, from the screen library, on the benchmark database.
struct OpenList {
    OpenList() {
        sqlca_ok = host.sqlca.connect("sqlite:" + database_path()) == 0;
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

BENCHMARK(BM_BareNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListName)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    int rc = bench_support::run_with_ratios(
        argc, argv, {{"BM_ListNumber", "BM_BareNumber", 1.5}, {"BM_ListName", "BM_BareName", 1.5}});
    bench_support::remove_demo_database(database_path());
    return rc;
}
