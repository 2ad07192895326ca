// Saving while another user holds the lock of the SQLite file: the stored record stays as
// it was, the form keeps the edits and says why, and the save goes through once the lock
// is gone.
#include "tests/screens/form/form_fixture.h"
#include "tests/support/faults.h"

namespace form_test {
namespace {

class FormFaults : public FormTest {};

TEST_P(FormFaults, SaveWhileTheFileIsLockedKeepsTheEditsAndTellsTheUser) {
    if (database.backend() != db::Backend::sqlite) GTEST_SKIP() << "a lock of the SQLite file";
    ASSERT_EQ(h.sqlca.connect(testing_support::impatient(database.url())), 0);
    open_form("E1");
    click("cb_modi");
    edit("ename", "张三丰");
    for (int attempt = 1; attempt <= 2; ++attempt) {  // the failure changes nothing
        SCOPED_TRACE(attempt);
        ui.clear_prompts();
        testing_support::SqliteLock lock(database.url());
        lock.connection().execute("UPDATE employee SET ename = '锁住的人' WHERE eid = 'E1'");
        click("cb_save");
        const auto texts = prompt_texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].rfind("db-error:数据库正被其他用户锁定，请稍后再试。", 0), 0u)
            << texts[0];
        EXPECT_EQ(texts[1], "info:保存失败");
        EXPECT_EQ(variable("editflag"), "1");
        EXPECT_EQ(dw().modifiedcount(), 1);
        EXPECT_FALSE(h.sqlca.connection()->in_transaction());
        lock.release();
        EXPECT_EQ(cell("E1", "ename"), "张三");  // neither half-written nor the locker's
        EXPECT_EQ(stored_photo("E1"), e1_photo);
    }
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存成功");
    EXPECT_EQ(cell("E1", "ename"), "张三丰");
    EXPECT_EQ(stored_photo("E1"), e1_photo);
}

INSTANTIATE_TEST_SUITE_P(Backends, FormFaults,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace form_test
