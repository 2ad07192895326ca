// The two employee definitions against real databases: the list's search, the form's
// retrieval by number, a full record written and read back, and the list's export.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/transaction.h"
#include "platform/text/gbk.h"
#include "schema/schema.h"
#include "tests/screens/support/screens.h"
#include "tests/support/test_db.h"

namespace {

using testing_support::TestDatabase;

class EmployeeDb : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        auto conn = database.connect();
        schema::create(*conn);
        for (const char* eid : {"9", "10", "E1"})
            conn->execute("INSERT INTO Employee (eid, ename, flag) VALUES (?, ?, ?)",
                          {eid, std::string("员工") + eid, "1"});
        ASSERT_EQ(sqlca.connect(database.url()), 0) << sqlca.sqlerrtext();
        sqlca.set_autocommit(true);
        for (auto* dw : {&list, &form}) {
            dw->settransobject(&sqlca);
            dw->set_dberror_handler([this](const runtime::DbError& e) { errors.push_back(e); });
        }
    }
    TestDatabase database{GetParam()};
    runtime::Transaction sqlca;
    testing_support::LoadedScreens screens;
    runtime::DataWindow list{screens.definition("d_employee")};
    runtime::DataWindow form{screens.definition("d_employeeadd")};
    std::vector<runtime::DbError> errors;
};

TEST_P(EmployeeDb, ListSearchOrdersNumbersAsText) {
    std::string saved = list.getsqlselect();
    list.setsqlselect(saved + " where 1 = 1 order by eid desc");
    ASSERT_EQ(list.retrieve(), 3) << (errors.empty() ? "" : errors[0].text);
    EXPECT_EQ(list.getitemstring(1, "eid"), "E1");
    EXPECT_EQ(list.getitemstring(2, "eid"), "9");  // text order: 9 before 10
    EXPECT_EQ(list.getitemstring(3, "eid"), "10");
    EXPECT_EQ(list.display_text(3, "compute_1"), "3");
    EXPECT_EQ(list.display_text(3, "flag"), "在职");

    list.setsqlselect(saved + " where 1 = 1 and employee.ename like'%1%' order by eid desc");
    ASSERT_EQ(list.retrieve(), 2);
    EXPECT_EQ(list.display_text(1, "compute_1"), "1");  // numbering starts again
}

TEST_P(EmployeeDb, FormRetrievesOneEmployeeAndWritesAFullRecord) {
    EXPECT_EQ(form.retrieve({"nobody"}), 0);
    EXPECT_EQ(form.rowcount(), 0);

    form.insertrow(0);
    std::string long_name;
    for (int i = 0; i < 25; ++i) long_name += "名";  // 50 bytes, the most ename takes
    int n = 0;
    for (const auto& c : form.definition()->columns) {
        const std::string& name = c.name;
        std::string value = "v" + std::to_string(++n);
        if (name == "born") value = "1988-08-08";
        if (name == "flag") value = "0";
        if (name == "sex") value = "女";
        if (name == "ename") value = long_name;
        ASSERT_EQ(form.setitem(1, name, value), 1) << name;
    }
    form.setitem(1, "eid", std::string("E2"));
    ASSERT_EQ(form.update(), 1) << (errors.empty() ? "" : errors[0].text);

    runtime::DataWindow again(screens.definition("d_employeeadd"));
    again.settransobject(&sqlca);
    ASSERT_EQ(again.retrieve({"E2"}), 1);
    for (int c = 1; c <= 24; ++c)
        EXPECT_EQ(again.getitemstring(1, c), form.getitemstring(1, c)) << c;
    EXPECT_EQ(again.getitemstring(1, "born"), "1988-08-08 00:00:00");
    EXPECT_EQ(again.display_text(1, "flag"), "离职");
    EXPECT_EQ(text::gbk_length(*again.getitemstring(1, "ename")), 50u);
}

TEST_P(EmployeeDb, ListExportHasTheGridTitles) {
    list.setsqlselect(list.getsqlselect() + " where 1 = 1 order by eid desc");
    ASSERT_EQ(list.retrieve(), 3);
    testing_support::TempDir dir;
    ASSERT_EQ(list.saveasascii((dir / "list.xls").string()), 1);
    std::ifstream in(dir / "list.xls", std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::string header =
        "No.\t编号\t姓名\t性别\t出生日期\t籍贯\t民族\t学历\t身高\t体重\t婚否\t户口所在地\t"
        "身份证号\t紧急联系人\t紧急联系电话\t部门\t职位\tEmail\t电话\t手机\tQQ\tMSN\t"
        "其它联系方式\t备注\t在职\r\n";
    std::string first = "1\tE1\t员工E1" + std::string(22, '\t') + "在职\r\n";
    EXPECT_EQ(bytes.substr(0, text::to_gbk(header + first).size()), text::to_gbk(header + first));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4);
}

INSTANTIATE_TEST_SUITE_P(Backends, EmployeeDb,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
