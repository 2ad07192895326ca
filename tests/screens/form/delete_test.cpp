// Delete: declined, confirmed (the row and its photo go, the form stays empty) and refused
// by the database (rolled back, and the pending deletion raises the close guard's question).
// On both databases.
#include "tests/screens/form/form_fixture.h"

namespace form_test {
namespace {

using Buttons = std::vector<bool>;  // add, save, modi, del, print, exit

class FormDelete : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        open_form("E1");
        click("cb_modi");  // Delete is enabled only after Modify
    }
    void delete_answering(int answer) {
        ui.queue(runtime::Answer::button(answer));
        click("cb_del");
    }
};

TEST_P(FormDelete, DeclinedDeletesNothing) {
    delete_answering(2);
    auto asked = prompts("ask");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "确定删除该员工吗？");
    EXPECT_EQ(asked[0].default_button, 2);
    EXPECT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(dw().rowcount(), 1);
    EXPECT_EQ(dw().deletedcount(), 0);
    EXPECT_EQ(cell("E1", "ename"), "张三");
}

TEST_P(FormDelete, ConfirmedRemovesTheRowWithItsPhotoAndLeavesTheFormEmpty) {
    delete_answering(1);
    EXPECT_EQ(ui.prompts().size(), 1u);  // the question only
    EXPECT_EQ(cell("E1", "eid"), "(no row)");
    EXPECT_EQ(cell("E2", "eid"), "E2");
    EXPECT_EQ(dw().rowcount(), 0);
    EXPECT_EQ(dw().deletedcount(), 0);
    EXPECT_EQ(enabled_buttons(), (Buttons{false, true, false, true, true, true}));
    EXPECT_EQ(picture(), "c:\\tempemployee.JPG");  // still showing what it showed
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());

    // A second Delete asks again and finds nothing to remove.
    delete_answering(1);
    EXPECT_EQ(prompts("ask").size(), 2u);
    EXPECT_EQ(ui.prompts().size(), 2u);
    EXPECT_TRUE(close_form());
    EXPECT_EQ(prompts("messagebox").size(), 0u);
    EXPECT_FALSE(std::filesystem::exists(temp_photo()));
}

TEST_P(FormDelete, RefusedDeleteIsRolledBackAndStaysPending) {
    refuse("DELETE");
    delete_answering(1);
    ASSERT_EQ(prompts("db-error").size(), 1u);
    EXPECT_EQ(prompts("error").back().text, "删除失败");
    EXPECT_EQ(cell("E1", "ename"), "张三");
    EXPECT_EQ(dw().rowcount(), 0);
    EXPECT_EQ(dw().deletedcount(), 1);
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());

    // The pending deletion makes the close ask; Yes tries it again and fails again, so the
    // window stays; No drops it.
    ui.queue(runtime::Answer::button(1));
    EXPECT_FALSE(close_form());
    EXPECT_EQ(prompts("messagebox").back().text, "部分数据被改动！是否存盘？");
    EXPECT_EQ(prompts("info").back().text, "保存失败");
    ui.queue(runtime::Answer::button(2));
    EXPECT_TRUE(close_form());
    EXPECT_EQ(cell("E1", "ename"), "张三");
}

TEST_P(FormDelete, DeleteOfARecordGoneMeanwhileTellsTheUser) {
    other->execute("DELETE FROM employee WHERE eid = ?", {"E1"});
    delete_answering(1);
    EXPECT_EQ(prompts("error").front().text,
              "该员工已被他人修改或删除，没有写入任何数据。请关闭后重新打开该员工再修改。");
    EXPECT_EQ(prompts("error").back().text, "删除失败");
    EXPECT_TRUE(prompts("db-error").empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, FormDelete,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace form_test
