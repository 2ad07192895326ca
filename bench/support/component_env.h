// The data component as its clients reach it: the data-access server and the component
// registered in a private registry, an ADODB.Connection opened on a connection string, and
// the classes created by ProgID with SetConn called.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/support/bare_arrays.h"
#include "component/interfaces.h"
#include "platform/ado/ado.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/db/connection.h"
#include "schema/demo_data.h"

namespace bench_support {

// A folder for this process's files, with the private registry in it (made on first use).
inline const std::filesystem::path& component_work_dir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("tarvo-bench-component-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        ::setenv("TARVO_REGISTRY", (d / "registry").c_str(), 1);
        if (com::FAILED(com::register_server(TARVO_ADO_MODULE)) ||
            com::FAILED(com::register_server(TARVO_COMPONENT_MODULE)))
            std::abort();
        return d;
    }();
    return dir;
}

inline com::Ptr<ado::_Connection> ado_connection(const std::string& connection_string) {
    component_work_dir();
    com::Ptr<com::IDispatch> conn;
    if (com::FAILED(com::CreateObject("ADODB.Connection", conn.out()))) std::abort();
    com::Ptr<ado::_Connection> typed;
    conn->QueryInterface(ado::IID__Connection, typed.out_void());
    com::Bstr cs(connection_string);
    if (com::FAILED(typed->Open(cs.get(), nullptr, nullptr, -1))) std::abort();
    return typed;
}

template <class I>
com::Ptr<I> component(const char* progid, const com::IID& iid, ado::_Connection* conn) {
    com::Ptr<com::IDispatch> object;
    if (com::FAILED(com::CreateObject(progid, object.out()))) std::abort();
    com::Ptr<I> typed;
    object->QueryInterface(iid, typed.out_void());
    ado::_Connection* raw = conn;
    typed->SetConn(&raw);
    return typed;
}

// Persons: 1,000 generated rows, doubled by INSERT ... SELECT up to `count`.
inline void fill_persons(db::Connection& c, int count) {
    schema::fill_persons(c, std::min(count, 1000), 50);
    const char* cols =
        "DeptID, PersonName, PersonSex, PersonBirthday, PersonDuty, PersonAddr, PersonPhone,"
        " PersonEmail, PersonWeb, PersonPhoto, PersonMomo, PersonType, PersonAccount, PersonPwd";
    for (int have = std::min(count, 1000); have < count; have *= 2)
        c.execute(std::string("INSERT INTO HR_Person (") + cols + ") SELECT " + cols +
                  " FROM HR_Person LIMIT " + std::to_string(count - have));
}

constexpr long kPageSize = 10;

// The statement a page read of persons sends: the whole table's SELECT in key order, LIMIT
// and OFFSET.
inline std::string page_statement(long page) {
    return "Select * from HR_Person ORDER BY PersonID LIMIT " + std::to_string(kPageSize) +
           " OFFSET " + std::to_string((page - 1) * kPageSize);
}

// The measured reads: each true when the call succeeded with the rows expected.
inline bool read_page(tarvo::_Person* person, long page) {
    com::SAFEARRAY* a = nullptr;
    return com::SUCCEEDED(person->GetPageData(com::var_i4(kPageSize), com::var_i4(page), &a)) &&
           rows_of(a) == kPageSize;
}
inline bool read_persons(tarvo::_Person* person, long rows) {
    com::SAFEARRAY* a = nullptr;
    return com::SUCCEEDED(person->GetAllData(&a)) && rows_of(a) == rows;
}
inline bool read_tree(tarvo::_Department* dept, long rows) {
    com::SAFEARRAY* a = nullptr;
    return com::SUCCEEDED(dept->GetAllData(0, &a)) && rows_of(a) == rows;
}

}  // namespace bench_support
