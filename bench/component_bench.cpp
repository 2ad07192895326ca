// The data component's reads against their baselines, in one run:
//  - Department.GetAllData(0) on 10,000 departments against one full listing of HR_Dept;
//  - Person.GetPageData(10, 1) on 1,000,000 persons against the same on 1,000 persons, with
//    the growth of peak memory and of the heap in use during the large reads;
//  - Person.GetAllData on 100,000 persons against stepping the same SELECT with the bare
//    SQLite API.
// The component is loaded as its clients load it, through a private registry.
#include <malloc.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench/support/demo_db.h"
#include "bench/support/ratio.h"
#include "component/interfaces.h"
#include "component/reads.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "schema/demo_data.h"
#include "schema/schema.h"

using namespace com;

namespace {

const std::filesystem::path& work_dir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("tarvo-bench-component-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        ::setenv("TARVO_REGISTRY", (d / "registry").c_str(), 1);
        if (FAILED(register_server(TARVO_ADO_MODULE)) ||
            FAILED(register_server(TARVO_COMPONENT_MODULE)))
            std::abort();
        return d;
    }();
    return dir;
}

// A SQLite file with the tables, filled once by `fill`.
template <class Fill>
std::string database(const std::string& name, Fill fill) {
    std::string path = (work_dir() / (name + ".db")).string();
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

// Persons: 1,000 generated rows, doubled by INSERT ... SELECT up to `count`.
std::string persons_db(int count) {
    return database("persons" + std::to_string(count), [count](db::Connection& c) {
        schema::fill_persons(c, std::min(count, 1000), 50);
        const char* cols =
            "DeptID, PersonName, PersonSex, PersonBirthday, PersonDuty, PersonAddr, PersonPhone,"
            " PersonEmail, PersonWeb, PersonPhoto, PersonMomo, PersonType, PersonAccount,"
            " PersonPwd";
        for (int have = std::min(count, 1000); have < count; have *= 2)
            c.execute(std::string("INSERT INTO HR_Person (") + cols + ") SELECT " + cols +
                      " FROM HR_Person LIMIT " + std::to_string(count - have));
    });
}

Ptr<IDispatch> connection(const std::string& path) {
    Ptr<IDispatch> conn;
    if (FAILED(CreateObject("ADODB.Connection", conn.out()))) std::abort();
    Ptr<ado::_Connection> typed;
    conn->QueryInterface(ado::IID__Connection, typed.out_void());
    Bstr cs("Provider=SQLite;Data Source=" + path);
    if (FAILED(typed->Open(cs.get(), nullptr, nullptr, -1))) std::abort();
    return conn;
}

template <class I>
Ptr<I> component(const char* progid, const IID& iid, IDispatch* conn) {
    Ptr<IDispatch> object;
    if (FAILED(CreateObject(progid, object.out()))) std::abort();
    Ptr<I> typed;
    object->QueryInterface(iid, typed.out_void());
    Ptr<ado::_Connection> c;
    conn->QueryInterface(ado::IID__Connection, c.out_void());
    ado::_Connection* raw = c.get();
    typed->SetConn(&raw);
    return typed;
}

long rows_of(SAFEARRAY* a) {
    if (!a) return 0;
    LONG hi;
    SafeArrayGetUBound(a, 1, &hi);
    SafeArrayDestroy(a);
    return hi + 1;
}

void BM_DepartmentTree(benchmark::State& state) {
    auto conn = connection(departments_db());
    auto dept =
        component<tarvo::_Department>("Tarvo.Department", tarvo::IID__Department, conn.get());
    for (auto _ : state) {
        SAFEARRAY* a = nullptr;
        if (FAILED(dept->GetAllData(0, &a))) state.SkipWithError("GetAllData failed");
        if (rows_of(a) != 10001) state.SkipWithError("wrong row count");
    }
}

// The same table through the full-listing shape the classes share.
void BM_DepartmentListing(benchmark::State& state) {
    auto conn = connection(departments_db());
    Ptr<ado::_Connection> typed;
    conn->QueryInterface(ado::IID__Connection, typed.out_void());
    tarvo::Gateway gateway;
    gateway.set_connection(typed.get());
    for (auto _ : state) {
        tarvo::ResultArray r = tarvo::full_listing(gateway, u"Select * from HR_Dept");
        if (rows_of(r.release()) != 10001) state.SkipWithError("wrong row count");
    }
}

long peak_rss_kb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void first_page(benchmark::State& state, int persons) {
    auto conn = connection(persons_db(persons));
    auto person = component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, conn.get());
    long rss_before = peak_rss_kb();
    std::size_t heap_before = mallinfo2().uordblks, heap_peak = heap_before;
    for (auto _ : state) {
        SAFEARRAY* a = nullptr;
        if (FAILED(person->GetPageData(var_i4(10), var_i4(1), &a)))
            state.SkipWithError("GetPageData failed");
        heap_peak = std::max(heap_peak, mallinfo2().uordblks);
        if (rows_of(a) != 10) state.SkipWithError("wrong row count");
    }
    state.counters["peak_rss_growth_kb"] = static_cast<double>(peak_rss_kb() - rss_before);
    state.counters["heap_in_use_growth_kb"] = static_cast<double>(heap_peak - heap_before) / 1024;
}

void BM_PageOfAMillionPersons(benchmark::State& state) {
    first_page(state, 1000000);
}
void BM_PageOfAThousandPersons(benchmark::State& state) {
    first_page(state, 1000);
}

void BM_PersonListing(benchmark::State& state) {
    auto conn = connection(persons_db(100000));
    auto person = component<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person, conn.get());
    for (auto _ : state) {
        SAFEARRAY* a = nullptr;
        if (FAILED(person->GetAllData(&a))) state.SkipWithError("GetAllData failed");
        if (rows_of(a) != 100001) state.SkipWithError("wrong row count");
    }
}

// Steps the listing's SELECT and reads every value as the database holds it.
void BM_PersonBareSqlite(benchmark::State& state) {
    sqlite3* h = bench_support::open_bare(persons_db(100000));
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "Select * from Hr_Person ", -1, &st, nullptr);
        int n = sqlite3_column_count(st);
        std::size_t rows = 0, bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_INTEGER)
                    bytes += static_cast<std::size_t>(sqlite3_column_int64(st, c)) & 1;
                else
                    sqlite3_column_text(st, c), bytes += sqlite3_column_bytes(st, c);
            }
            ++rows;
        }
        sqlite3_finalize(st);
        if (rows != 100000) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(h);
}

// The least any listing must do on top of stepping: every text value becomes a BSTR in a
// SAFEARRAY of the result's shape (the first index, the row, varies fastest), and the client
// frees the array. GetAllData is measured against this floor too.
void BM_PersonBstrFloor(benchmark::State& state) {
    sqlite3* h = bench_support::open_bare(persons_db(100000));
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "Select * from Hr_Person ", -1, &st, nullptr);
        const ULONG columns = static_cast<ULONG>(sqlite3_column_count(st)), rows = 100001;
        SAFEARRAYBOUND bounds[2] = {{rows, 0}, {columns, 0}};
        SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, 2, bounds);
        auto* cells = static_cast<VARIANT*>(a->pvData);
        std::size_t r = 1;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (ULONG c = 0; c < columns; ++c) {
                VARIANT& v = cells[r + c * rows];
                if (sqlite3_column_type(st, static_cast<int>(c)) == SQLITE_INTEGER) {
                    v = var_i4(sqlite3_column_int(st, static_cast<int>(c)));
                } else if (auto* t = sqlite3_column_text(st, static_cast<int>(c))) {
                    v.vt = VT_BSTR;
                    v.bstrVal =
                        make_bstr(std::string_view(reinterpret_cast<const char*>(t),
                                                   sqlite3_column_bytes(st, static_cast<int>(c))));
                }
            }
            ++r;
        }
        sqlite3_finalize(st);
        if (r != rows) state.SkipWithError("wrong row count");
        SafeArrayDestroy(a);
    }
    sqlite3_close(h);
}

BENCHMARK(BM_DepartmentListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DepartmentTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageOfAThousandPersons)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageOfAMillionPersons)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PersonBareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PersonBstrFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PersonListing)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    int rc = bench_support::run_with_ratios(
        argc, argv,
        {{"BM_DepartmentTree", "BM_DepartmentListing", 3},
         {"BM_PageOfAMillionPersons", "BM_PageOfAThousandPersons", 2},
         {"BM_PersonListing", "BM_PersonBareSqlite", 2},
         {"BM_PersonBstrFloor", "BM_PersonBareSqlite", 0},
         {"BM_PersonListing", "BM_PersonBstrFloor", 1.5}});
    std::filesystem::remove_all(work_dir());
    return rc;
}
