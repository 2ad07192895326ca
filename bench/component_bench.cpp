// The data component's reads on SQLite against the bare SQLite API building the same array
// of the same values (bench/support/bare_arrays.h), in one run:
//  - Person.GetPageData(10, p) at the first, a middle and the last page of 1,000 and of
//    1,000,000 persons, against stepping the same LIMIT/OFFSET statement;
//  - the first page on a million persons against the first page on a thousand;
//  - Person.GetAllData on 100,000 persons against counting and stepping the same SELECT;
//  - Department.GetAllData(0) on 10,000 departments against the bare full read of HR_Dept.
// Each subject runs in turns with its baseline inside one benchmark (bench/support/pairs.h).
// The component is loaded as its clients load it, through a private registry.
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "bench/support/bare_arrays.h"
#include "bench/support/component_env.h"
#include "bench/support/demo_db.h"
#include "bench/support/pairs.h"
#include "bench/support/ratio.h"
#include "schema/demo_data.h"
#include "schema/schema.h"

using namespace com;
using bench_support::kPageSize;
using bench_support::rows_of;

namespace {

// A SQLite file with the tables, filled once by `fill`.
template <class Fill>
std::string database(const std::string& name, Fill fill) {
    std::string path = (bench_support::component_work_dir() / (name + ".db")).string();
    if (!std::filesystem::exists(path)) {
        auto conn = db::connect("sqlite:" + path);
        schema::create(*conn);
        conn->begin();
        fill(*conn);
        conn->commit();
    }
    return path;
}

std::string departments_db() {
    return database("departments", [](db::Connection& c) { schema::fill_departments(c, 10000); });
}

// Persons: 1,000 generated rows, doubled up to `count`.
std::string persons_db(int count) {
    return database("persons" + std::to_string(count),
                    [count](db::Connection& c) { bench_support::fill_persons(c, count); });
}

Ptr<ado::_Connection> connection(const std::string& path) {
    return bench_support::ado_connection("Provider=SQLite;Data Source=" + path);
}

// Department.GetAllData(0) against the bare full read of HR_Dept into the same array.
void department_tree(benchmark::State& state) {
    auto conn = connection(departments_db());
    auto dept = bench_support::component<tarvo::_Department>("Tarvo.Department",
                                                             tarvo::IID__Department, conn.get());
    sqlite3* h = bench_support::open_bare(departments_db());
    bench_support::measure_pair(
        state, [&] { return bench_support::read_tree(dept.get(), 10001); },
        [&] {
            return rows_of(bench_support::sqlite_listing(h, "Select * from HR_Dept")) == 10001;
        });
    sqlite3_close(h);
}

// Person.GetPageData(10, page) against stepping the statement the page read sends: the
// whole table's SELECT with LIMIT and OFFSET.
void person_page(benchmark::State& state, int persons, long page) {
    auto conn = connection(persons_db(persons));
    auto person =
        bench_support::component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, conn.get());
    sqlite3* h = bench_support::open_bare(persons_db(persons));
    const std::string sql = bench_support::page_statement(page);
    bench_support::measure_pair(
        state, [&] { return bench_support::read_page(person.get(), page); },
        [&] { return rows_of(bench_support::sqlite_page(h, sql)) == kPageSize; });
    sqlite3_close(h);
}

// The first page on a million persons against the first page on a thousand.
void first_pages(benchmark::State& state) {
    auto large = connection(persons_db(1000000));
    auto small = connection(persons_db(1000));
    auto on_large =
        bench_support::component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, large.get());
    auto on_small =
        bench_support::component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, small.get());
    bench_support::measure_pair(
        state, [&] { return bench_support::read_page(on_large.get(), 1); },
        [&] { return bench_support::read_page(on_small.get(), 1); });
}

// Person.GetAllData on 100,000 persons against counting and stepping the same SELECT.
void person_listing(benchmark::State& state) {
    auto conn = connection(persons_db(100000));
    auto person =
        bench_support::component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, conn.get());
    sqlite3* h = bench_support::open_bare(persons_db(100000));
    bench_support::measure_pair(
        state, [&] { return bench_support::read_persons(person.get(), 100001); },
        [&] {
            return rows_of(bench_support::sqlite_listing(h, "Select * from Hr_Person ")) == 100001;
        });
    sqlite3_close(h);
}

struct PageCase {
    const char* name;  // "1k_first", ...
    int persons;
    long page;
    double goal;  // against the bare read of the same page
};

// Pages of 10: first, middle and last. On a million rows the OFFSET the engine walks is the
// cost, and the page read must stay near it; on a thousand the fixed cost of a call shows.
const PageCase kPages[] = {
    {"1k_first", 1000, 1, 1.5},         {"1k_middle", 1000, 50, 1.5},
    {"1k_last", 1000, 100, 1.5},        {"1M_first", 1000000, 1, 1.5},
    {"1M_middle", 1000000, 50000, 1.2}, {"1M_last", 1000000, 100000, 1.2},
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<bench_support::Ratio> ratios;
    for (const PageCase& p : kPages) {
        std::string name = std::string("BM_PersonPage_") + p.name;
        benchmark::RegisterBenchmark(name.c_str(), person_page, p.persons, p.page)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(p.persons > 1000 && p.page > 1 ? 3 : 1);
        ratios.push_back({name, "", p.goal});
    }
    benchmark::RegisterBenchmark("BM_FirstPage_1M_vs_1k", first_pages)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1);
    ratios.push_back({"BM_FirstPage_1M_vs_1k", "", 1.2});
    benchmark::RegisterBenchmark("BM_PersonListing", person_listing)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(5);
    ratios.push_back({"BM_PersonListing", "", 1.2});
    benchmark::RegisterBenchmark("BM_DepartmentTree", department_tree)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2);
    ratios.push_back({"BM_DepartmentTree", "", 1.5});

    int rc = bench_support::run_with_ratios(argc, argv, ratios);
    std::filesystem::remove_all(bench_support::component_work_dir());
    return rc;
}
