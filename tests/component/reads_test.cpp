// The read shapes on a table without a unique key, which the component's own tables cannot
// show: a single record of a key two rows share has an all-Empty last row.
#include <gtest/gtest.h>

#include "component/reads.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "tests/platform/ado/ado_fixture.h"
#include "tests/platform/com/automation_client.h"

using namespace com;
using namespace tarvo;

namespace {

class ReadsTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        auto db = database.connect();
        db->execute("CREATE TABLE pairs (k INTEGER, name VARCHAR(20), note VARCHAR(20))");
        db->execute("INSERT INTO pairs VALUES (1, 'a', NULL), (1, 'b', 'x'), (2, 'c', 'y')");
        ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
        auto cs = testing_support::text(testing_support::ado_connection_string(database.url()));
        ASSERT_EQ(testing_support::call(conn.get(), u"Open", {*cs}).hr, S_OK);
        ASSERT_EQ(conn->QueryInterface(ado::IID__Connection, typed.out_void()), S_OK);
        gateway.set_connection(typed.get());
    }

    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    testing_support::TestDatabase database{GetParam()};
    Ptr<IDispatch> conn;
    Ptr<ado::_Connection> typed;
    Gateway gateway;
};

TEST_P(ReadsTest, ASharedKeyGivesThreeRowsTheLastOneEmpty) {
    ResultArray r = single_record(gateway, u"Select * from pairs where k=1");
    ASSERT_EQ(r.rows(), 3u);
    ASSERT_EQ(r.columns(), 3u);
    EXPECT_EQ(bstr_utf8(r.at(0, 1).bstrVal), "name");
    EXPECT_EQ(bstr_utf8(r.at(1, 1).bstrVal), "a");
    EXPECT_EQ(r.at(1, 2).vt, VT_NULL);                                       // an SQL NULL
    for (std::size_t c = 0; c < 3; ++c) EXPECT_EQ(r.at(2, c).vt, VT_EMPTY);  // never written
    EXPECT_EQ(single_record(gateway, u"Select * from pairs where k=3").rows(), 1u);
}

TEST_P(ReadsTest, ListingsAndPagesKeepTheCursorsOrder) {
    ResultArray all = full_listing(gateway, u"Select * from pairs");
    ASSERT_EQ(all.rows(), 4u);
    EXPECT_EQ(bstr_utf8(all.at(3, 1).bstrVal), "c");
    ResultArray p = page(gateway, u"Select * from pairs", page_request(var_i4(2), var_i4(2)));
    ASSERT_EQ(p.rows(), 1u);
    EXPECT_EQ(bstr_utf8(p.at(0, 1).bstrVal), "c");
    EXPECT_TRUE(page(gateway, u"Select * from pairs", {2, 3}).is_empty_array());
}

INSTANTIATE_TEST_SUITE_P(Backends, ReadsTest, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
