// The data component's reads on PostgreSQL against PQexec building the same array of the
// same values (bench/support/bare_arrays.h), each pair measured in turns by wall time (the
// server works in another process):
//  - Person.GetPageData(10, p) at the first, a middle and the last page of 1,000 and of
//    1,000,000 persons, against PQexec of the same LIMIT/OFFSET statement;
//  - Person.GetAllData on 100,000 persons against PQexec of the same SELECT;
//  - Department.GetAllData(0) on 10,000 departments against PQexec of the whole table.
// Goals: pages, the listing and the tree at most 1.5 times the bare read (each statement
// travels in one round trip, as the bare read's). Without a server (TARVO_TEST_PG_URL) the
// program says so and measures nothing.
#include <libpq-fe.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/support/bare_arrays.h"
#include "bench/support/component_env.h"
#include "bench/support/pairs.h"
#include "bench/support/postgres_db.h"
#include "bench/support/ratio.h"
#include "schema/demo_data.h"

using namespace com;
using bench_support::kPageSize;
using bench_support::PostgresBenchDatabase;
using bench_support::rows_of;

namespace {

struct Databases {
    PostgresBenchDatabase persons_1k{
        "persons1k", [](db::Connection& c) { bench_support::fill_persons(c, 1000); }};
    PostgresBenchDatabase persons_100k{
        "persons100k", [](db::Connection& c) { bench_support::fill_persons(c, 100000); }};
    PostgresBenchDatabase persons_1m{
        "persons1m", [](db::Connection& c) { bench_support::fill_persons(c, 1000000); }};
    PostgresBenchDatabase departments{
        "departments", [](db::Connection& c) { schema::fill_departments(c, 10000); }};
};

Databases* databases = nullptr;

// A bare libpq connection, closed when it dies.
using Bare = std::unique_ptr<PGconn, decltype(&PQfinish)>;
Bare bare(const PostgresBenchDatabase& d) {
    return Bare(PQconnectdb(d.url().c_str()), &PQfinish);
}

void person_page(benchmark::State& state, const PostgresBenchDatabase* d, long page) {
    auto conn = bench_support::ado_connection(d->url());
    auto person =
        bench_support::component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, conn.get());
    Bare pq = bare(*d);
    const std::string sql = bench_support::page_statement(page);
    bench_support::measure_pair(
        state, [&] { return bench_support::read_page(person.get(), page); },
        [&] { return rows_of(bench_support::pg_page(pq.get(), sql)) == kPageSize; },
        bench_support::Clock::wall);
}

void person_listing(benchmark::State& state) {
    const PostgresBenchDatabase& d = databases->persons_100k;
    auto conn = bench_support::ado_connection(d.url());
    auto person =
        bench_support::component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, conn.get());
    Bare pq = bare(d);
    bench_support::measure_pair(
        state, [&] { return bench_support::read_persons(person.get(), 100001); },
        [&] {
            return rows_of(bench_support::pg_listing(pq.get(), "Select * from Hr_Person ")) ==
                   100001;
        },
        bench_support::Clock::wall);
}

void department_tree(benchmark::State& state) {
    const PostgresBenchDatabase& d = databases->departments;
    auto conn = bench_support::ado_connection(d.url());
    auto dept = bench_support::component<tarvo::_Department>("Tarvo.Department",
                                                             tarvo::IID__Department, conn.get());
    Bare pq = bare(d);
    bench_support::measure_pair(
        state, [&] { return bench_support::read_tree(dept.get(), 10001); },
        [&] {
            return rows_of(bench_support::pg_listing(pq.get(), "Select * from HR_Dept")) == 10001;
        },
        bench_support::Clock::wall);
}

}  // namespace

int main(int argc, char** argv) {
    Databases dbs;
    databases = &dbs;
    if (!dbs.persons_1k.available() || !dbs.persons_100k.available() ||
        !dbs.persons_1m.available() || !dbs.departments.available()) {
        dbs.persons_1k.print_skip();
        dbs.persons_100k.print_skip();
        dbs.persons_1m.print_skip();
        dbs.departments.print_skip();
        std::filesystem::remove_all(bench_support::component_work_dir());
        return 0;
    }
    struct PageCase {
        const char* name;
        const PostgresBenchDatabase* db;
        long page;
    };
    const PageCase pages[] = {
        {"1k_first", &dbs.persons_1k, 1},      {"1k_middle", &dbs.persons_1k, 50},
        {"1k_last", &dbs.persons_1k, 100},     {"1M_first", &dbs.persons_1m, 1},
        {"1M_middle", &dbs.persons_1m, 50000}, {"1M_last", &dbs.persons_1m, 100000},
    };
    constexpr double kGoal = 1.5;
    std::vector<bench_support::Ratio> ratios;
    for (const PageCase& p : pages) {
        std::string name = std::string("BM_PgPersonPage_") + p.name;
        benchmark::RegisterBenchmark(name.c_str(), person_page, p.db, p.page)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(1);
        ratios.push_back({name, "", kGoal});
    }
    benchmark::RegisterBenchmark("BM_PgPersonListing", person_listing)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(5);
    ratios.push_back({"BM_PgPersonListing", "", kGoal});
    benchmark::RegisterBenchmark("BM_PgDepartmentTree", department_tree)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(2);
    ratios.push_back({"BM_PgDepartmentTree", "", kGoal});
    int rc = bench_support::run_with_ratios(argc, argv, ratios);
    std::filesystem::remove_all(bench_support::component_work_dir());
    return rc;
}
