#include <gtest/gtest.h>

#include "component/gateway.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "schema/schema.h"
#include "tests/platform/ado/ado_fixture.h"
#include "tests/platform/com/automation_client.h"

using namespace com;
using namespace tarvo;

namespace {

std::string lower(std::u16string_view s) {
    std::string out = to_utf8(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

template <class F>
Failure failure_of(F&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure;
    }
    return {S_OK, u""};
}

class GatewayTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        auto db = database.connect();
        schema::create(*db);
        for (int i = 1; i <= 5; ++i)
            db->execute("INSERT INTO HR_Dept (DeptName, DeptOrder) VALUES (?, ?)",
                        {"部门" + std::to_string(i), i * 10});
        Ptr<IDispatch> conn;
        ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
        auto cs = testing_support::text(testing_support::ado_connection_string(database.url()));
        ASSERT_EQ(testing_support::call(conn.get(), u"Open", {*cs}).hr, S_OK);
        ASSERT_EQ(conn->QueryInterface(ado::IID__Connection, typed.out_void()), S_OK);
        gateway.set_connection(typed.get());
    }

    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    testing_support::TestDatabase database{GetParam()};
    Ptr<ado::_Connection> typed;
    Gateway gateway;
};

TEST_P(GatewayTest, AStaticCursorReadsNamesValuesAndCounts) {
    StaticCursor c = gateway.open(u"Select * from HR_Dept");
    EXPECT_EQ(c.record_count(), 5);
    EXPECT_EQ(c.field_count(), 5);
    EXPECT_EQ(lower(c.field_name(0)), "deptid");
    EXPECT_EQ(lower(c.field_name(4)), "deptmemo");
    long seen = 0;
    while (!c.eof()) {
        ++seen;
        EXPECT_EQ(to_utf8(bstr_view(c.field_value(1)->bstrVal)), "部门" + std::to_string(seen));
        EXPECT_EQ(c.field_value(3)->vt, VT_NULL);
        c.move_next();
    }
    EXPECT_EQ(seen, 5);
    c.close();
}

TEST_P(GatewayTest, PagesAreSetBeforeReading) {
    StaticCursor c = gateway.open(u"Select * from HR_Dept ");
    c.set_page_size(2);
    c.set_absolute_page(3);
    EXPECT_EQ(c.field_value(2)->lVal, 50);
    c.move_next();
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(failure_of([&] { c.set_page_size(0); }).code, ado::E_ADO_ARGUMENT);
}

TEST_P(GatewayTest, WritesRunOnceAndFailuresKeepTheLayersCode) {
    gateway.execute(u"Delete from HR_Dept where DeptID=1");
    EXPECT_EQ(gateway.open(u"Select * from HR_Dept").record_count(), 4);
    Failure f = failure_of([&] { gateway.open(u"Select * from HR_Nothing"); });
    EXPECT_EQ(f.code, ado::E_ADO_DATABASE);
    EXPECT_NE(lower(f.description).find("hr_nothing"), std::string::npos);
    gateway.set_connection(nullptr);
    EXPECT_EQ(failure_of([&] { gateway.execute(u"Delete from HR_Dept"); }).code,
              TARVO_E_NO_CONNECTION);
    EXPECT_EQ(failure_of([&] { gateway.open(u"Select * from HR_Dept"); }).code,
              TARVO_E_NO_CONNECTION);
}

INSTANTIATE_TEST_SUITE_P(Backends, GatewayTest,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
