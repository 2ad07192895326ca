// A backend-parameterised fixture for the component's operations through IDispatch: a
// private registry with both servers, a fresh database with the tables, an open
// ADODB.Connection, and the result arrays unpacked for checking.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/safearray.h"
#include "schema/schema.h"
#include "tests/platform/ado/ado_fixture.h"
#include "tests/platform/com/automation_client.h"

namespace testing_support {

// A ResultArray as the client sees it: no dimensions for the empty array.
struct Cells {
    bool empty_array = true;
    long rows = 0, cols = 0;
    std::vector<com::Variant> cells;

    const com::VARIANT& at(long r, long c) const { return *cells[r * cols + c]; }
    // Text of a cell: "<empty>", "<null>", or the value as text (names in lower case, since
    // PostgreSQL reports column names that way).
    std::string text(long r, long c) const;
    std::string lower(long r, long c) const;
    long long number(long r, long c) const;
    bool row_is_empty(long r) const;
};

Cells unpack(const CallResult& r);

class OperationsTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override;

    com::Ptr<com::IDispatch> create(const char* progid);
    // Calls and expects success; a failure is reported with its description.
    CallResult ok(com::IDispatch* d, std::u16string name, std::vector<com::VARIANT> args);
    Cells read(com::IDispatch* d, std::u16string name, std::vector<com::VARIANT> args = {});
    // A single value of the database, as text ("<null>" for NULL).
    std::string value(const std::string& sql);
    bool pg() const { return GetParam() == "postgresql"; }

    PrivateRegistry registry{{TARVO_ADO_MODULE, TARVO_COMPONENT_MODULE}};
    TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> db;
    com::Ptr<com::IDispatch> conn;
};

com::Variant txt(std::string_view s);

}  // namespace testing_support
