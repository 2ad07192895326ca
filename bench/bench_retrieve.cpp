// Retrieving 100,000 employees into d_employee against stepping the same SELECT with the
// bare SQLite API, in one run. Prints the time ratio and the memory the data window's
// buffer holds compared with the raw text it read.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "bench/support/demo_db.h"
#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/transaction.h"
#include "schema/demo_data.h"
#include "schema/schema.h"
#include "screens/definitions/employee_record.h"

namespace {

constexpr int kRows = 100000;

const std::string& database_path() {
    return bench_support::demo_database(
        "retrieve", [](db::Connection& conn) { schema::fill_employees(conn, kRows, 0); });
}

void BM_BareSqlite(benchmark::State& state) {
    sqlite3* h = bench_support::open_bare(database_path());
    std::string sql = screens::employee_select();
    for (auto _ : state) {
        std::size_t rows = 0;
        benchmark::DoNotOptimize(bench_support::step_bare(h, sql, rows));
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    sqlite3_close(h);
}

void BM_DataWindowRetrieve(benchmark::State& state) {
    runtime::Transaction sqlca;
    sqlca.connect("sqlite:" + database_path());
    runtime::DataWindow dw(screens::d_employee());
    dw.settransobject(&sqlca);
    for (auto _ : state) {
        if (dw.retrieve() != kRows) state.SkipWithError("wrong row count");
    }
}

BENCHMARK(BM_BareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataWindowRetrieve)->Unit(benchmark::kMillisecond);

// Keeps the real and CPU time of each benchmark. On a machine shared with other work the
// CPU time is the fairer measure; both ratios are printed.
class TimeRecorder : public benchmark::ConsoleReporter {
  public:
    struct Times {
        double real = 0, cpu = 0;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.run_type == Run::RT_Iteration || median)
                times_[r.run_name.function_name] = {r.GetAdjustedRealTime(),
                                                    r.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    Times times(const std::string& name) const {
        auto it = times_.find(name);
        return it == times_.end() ? Times{} : it->second;
    }

  private:
    std::map<std::string, Times> times_;
};

// The buffer's size after one retrieve: its own accounting and the heap it holds (malloc's
// count of bytes in use before and after), against the raw text the SELECT returns.
void report_memory() {
    sqlite3* h = bench_support::open_bare(database_path());
    std::size_t rows = 0;
    std::size_t raw = bench_support::step_bare(h, screens::employee_select(), rows);
    sqlite3_close(h);

    runtime::Transaction sqlca;
    sqlca.connect("sqlite:" + database_path());
    runtime::DataWindow dw(screens::d_employee());
    dw.settransobject(&sqlca);
    dw.retrieve();  // warms SQLite's page cache, which stays with the connection
    dw.reset();
    malloc_trim(0);
    std::size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    dw.retrieve();
    std::size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
    std::size_t held = after > before ? after - before : 0;
    double own = static_cast<double>(dw.buffer_bytes()) / raw;
    double heap = static_cast<double>(held) / raw;
    std::printf("raw text of %zu rows: %zu bytes (%.1f a row)\n", rows, raw,
                static_cast<double>(raw) / rows);
    std::printf("buffer by its own accounting: %zu bytes = %.2f x raw text\n", dw.buffer_bytes(),
                own);
    std::printf("buffer by heap in use: %zu bytes = %.2f x raw text (goal: at most 2.0) %s\n", held,
                heap, heap <= 2.0 ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimeRecorder reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto subject = reporter.times("BM_DataWindowRetrieve");
    auto baseline = reporter.times("BM_BareSqlite");
    if (subject.cpu > 0 && baseline.cpu > 0) {
        double cpu = subject.cpu / baseline.cpu;
        std::printf(
            "ratio BM_DataWindowRetrieve / BM_BareSqlite = %.2f CPU time, %.2f real time"
            " (goal: at most 1.5) %s\n",
            cpu, subject.real / baseline.real, cpu <= 1.5 ? "met" : "NOT MET");
    }
    report_memory();
    benchmark::Shutdown();
    bench_support::remove_demo_database(database_path());
    return 0;
}
