// Add, Modify and Save: the number checks of a record begun with Add, the fields' limits,
// a database that refuses the write or the commit, a second save of the same record, and
// two users changing one employee. On both databases.
#include "tests/screens/form/form_fixture.h"

namespace form_test {
namespace {

using Buttons = std::vector<bool>;  // add, save, modi, del, print, exit
using Texts = std::vector<std::string>;

class FormSave : public FormTest {
  protected:
    // Starts a new employee with Add in a form opened on E1.
    void add_new() {
        open_form("E1");
        click("cb_add");
    }
    // From now on every commit after a change of an employee fails: the change leaves a
    // row that breaks a deferred foreign key, which is checked at commit.
    void fail_commits_after_updates() {
        other->execute("CREATE TABLE nowhere_t (id INTEGER PRIMARY KEY)");
        other->execute(
            "CREATE TABLE guard_t (x INTEGER REFERENCES nowhere_t (id) "
            "DEFERRABLE INITIALLY DEFERRED)");
        if (database.backend() == db::Backend::sqlite) {
            h.sqlca.connection()->execute("PRAGMA foreign_keys = ON");
            other->execute(
                "CREATE TRIGGER guard AFTER UPDATE ON employee "
                "BEGIN INSERT INTO guard_t VALUES (1); END");
            return;
        }
        other->execute(
            "CREATE FUNCTION guard() RETURNS trigger LANGUAGE plpgsql AS "
            "$$ BEGIN INSERT INTO guard_t VALUES (1); RETURN NEW; END $$");
        other->execute(
            "CREATE TRIGGER guard AFTER UPDATE ON employee FOR EACH ROW EXECUTE FUNCTION guard()");
    }
};

TEST_P(FormSave, AddDropsUnsavedEditsWithoutAskingAndStartsAnEmptyRow) {
    open_form("E1");
    edit("ename", "改了没存");
    click("cb_add");
    EXPECT_TRUE(ui.prompts().empty());
    ASSERT_EQ(dw().rowcount(), 1);
    for (int c = 1; c <= 24; ++c) EXPECT_EQ(dw().getitemstring(1, c), std::nullopt) << c;
    EXPECT_EQ(dw().modifiedcount(), 0);
    EXPECT_EQ(variable("flag"), "new");
    EXPECT_EQ(enabled_buttons(), (Buttons{false, true, false, false, true, true}));
    EXPECT_EQ(dw().describe("datawindow.readonly"), "no");
    EXPECT_TRUE(dw().has_focus());
    EXPECT_EQ(picture(), "c:\\tempemployee.JPG");  // the photo shown before stays shown
    EXPECT_EQ(cell("E1", "ename"), "张三");
}

TEST_P(FormSave, EmptyOrBlankNumberIsRefused) {
    add_new();
    edit("ename", "王五");
    for (const char* number : {"", "   "}) {
        if (*number) edit("eid", number);
        click("cb_save");
        EXPECT_EQ(prompts("error").back().text, "编号不能为空");
        EXPECT_EQ(variable("editflag"), "1");
        EXPECT_TRUE(dw().has_focus());
        EXPECT_EQ(dw().getcolumnname(), "eid");
    }
    EXPECT_EQ(prompts("error").size(), 2u);
    EXPECT_TRUE(prompts("info").empty());
    EXPECT_EQ(enabled_buttons(), (Buttons{false, true, false, false, true, true}));
    EXPECT_EQ(cell("   ", "eid"), "(no row)");
    EXPECT_EQ(other->query_all("SELECT count(*) FROM employee").rows[0][0].to_string(), "2");
}

TEST_P(FormSave, NumberTakenIsRefusedAndTheCountSeesItUntrimmed) {
    add_new();
    edit("eid", "E2");
    edit("ename", "重名");
    click("cb_save");
    EXPECT_EQ(prompt_texts(), Texts{"info:编号重复"});
    EXPECT_EQ(variable("editflag"), "1");
    EXPECT_EQ(dw().getcolumnname(), "eid");
    EXPECT_EQ(cell("E2", "ename"), "李四");

    // With a trailing blank it is another number: the count finds none and it is saved.
    edit("eid", "E2 ");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存成功");
    EXPECT_EQ(cell("E2 ", "ename"), "重名");
}

TEST_P(FormSave, NewNumberIsInsertedCommittedAndEndsAddMode) {
    add_new();
    edit("eid", "E3");
    edit("ename", "一二三四五六七八九十一二三四五六七八九十一二三四五");  // 25: 50 bytes
    edit("sex", "女");
    edit("born", "1990-05-01");
    edit("school", "大专");
    edit("flag", "在职");
    click("cb_save");
    EXPECT_EQ(prompt_texts(), Texts{"info:保存成功"});
    EXPECT_EQ(cell("E3", "ename"), "一二三四五六七八九十一二三四五六七八九十一二三四五");
    EXPECT_EQ(cell("E3", "sex"), "女");
    EXPECT_EQ(cell("E3", "flag"), "1");
    EXPECT_EQ(cell("E3", "born").substr(0, 10), "1990-05-01");
    EXPECT_EQ(enabled_buttons(), (Buttons{true, false, true, false, true, true}));
    EXPECT_EQ(dw().modifiedcount(), 0);

    // Mended: the saved record is no longer new, so saving it again updates it.
    EXPECT_EQ(variable("flag"), "");
    click("cb_modi");
    edit("ename", "张三三");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存成功");
    EXPECT_EQ(cell("E3", "ename"), "张三三");
    EXPECT_TRUE(prompts("error").empty());
}

TEST_P(FormSave, FieldsRefuseWhatDoesNotFit) {
    add_new();
    // Typed past a field's byte limit, the characters that do not fit are refused at once.
    const std::string name25 = "一二三四五六七八九十一二三四五六七八九十一二三四五";
    EXPECT_EQ(edit("ename", name25 + "六"), runtime::InputResult::refused);
    EXPECT_EQ(dw().getitemstring(1, "ename"), name25);
    EXPECT_EQ(edit("eid", std::string(51, '9')), runtime::InputResult::refused);
    EXPECT_EQ(dw().getitemstring(1, "eid"), std::string(50, '9'));
    EXPECT_EQ(edit("born", "1990-05-011"), runtime::InputResult::refused);
    EXPECT_EQ(dw().getitemstring(1, "born"), "1990-05-01 00:00:00");

    // An impossible date, a date off the mask and an entry no code table has are refused
    // when the field is left; the text stays for the user to correct (dropped here).
    for (const auto& [column, text] : {std::pair<const char*, const char*>{"born", "2023-02-30"},
                                       {"born", "1990-5-1"},
                                       {"flag", "在岗"}}) {
        EXPECT_EQ(edit(column, text), runtime::InputResult::done) << text;
        EXPECT_TRUE(dw().data().edit_pending()) << text;
        dw().data().discardtext();
    }
    EXPECT_EQ(prompts("item-error").size(), 3u);
    EXPECT_EQ(dw().getitemstring(1, "born"), "1990-05-01 00:00:00");
    EXPECT_EQ(dw().getitemstring(1, "flag"), std::nullopt);

    edit("flag", "离职");
    EXPECT_EQ(dw().getitemstring(1, "flag"), "0");
    EXPECT_EQ(prompts("item-error").size(), 3u);
}

TEST_P(FormSave, ModifyThenSaveWritesTheChangesWithoutTheNumberCheck) {
    open_form("E1");
    click("cb_modi");
    EXPECT_EQ(enabled_buttons(), (Buttons{false, true, false, true, true, true}));
    edit("ename", "张三丰");
    edit("maerry", "已");
    click("cb_save");
    EXPECT_EQ(prompt_texts(), Texts{"info:保存成功"});
    EXPECT_EQ(cell("E1", "ename"), "张三丰");
    EXPECT_EQ(cell("E1", "maerry"), "已");
    EXPECT_EQ(cell("E1", "sex"), "男");
    EXPECT_EQ(stored_photo("E1"), e1_photo);  // Save never writes the photo
    EXPECT_EQ(enabled_buttons(), (Buttons{true, false, true, false, true, true}));
}

TEST_P(FormSave, RefusedUpdateKeepsEditsAndButtonsAndCanBeRetried) {
    refuse("UPDATE");
    open_form("E1");
    click("cb_modi");
    edit("ename", "张三丰");
    click("cb_save");
    ASSERT_EQ(prompts("db-error").size(), 1u);
    EXPECT_EQ(prompts("info").back().text, "保存失败");
    EXPECT_EQ(enabled_buttons(), (Buttons{false, true, false, true, true, true}));
    EXPECT_EQ(dw().getitemstring(1, "ename"), "张三丰");
    EXPECT_EQ(dw().modifiedcount(), 1);
    EXPECT_EQ(cell("E1", "ename"), "张三");

    allow("UPDATE");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存成功");
    EXPECT_EQ(cell("E1", "ename"), "张三丰");
}

// Mended: a form whose record did not load (the table unreachable at the open) said
// "保存成功" although nothing was written. It has nothing to save, and says so.
TEST_P(FormSave, AFormWithoutItsRecordHasNothingToSave) {
    other->execute("ALTER TABLE employee RENAME TO employee_away");
    open_form("E1");
    EXPECT_EQ(prompts("db-error").size(), 1u);
    other->execute("ALTER TABLE employee_away RENAME TO employee");
    click("cb_modi");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "没有可保存的员工记录");
    EXPECT_EQ(cell("E1", "ename"), "张三");
    ASSERT_TRUE(close_form());  // nothing to ask about either

    open_form("E9");  // a number nobody has
    click("cb_modi");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "没有可保存的员工记录");
    EXPECT_EQ(cell("E9", "eid"), "(no row)");
    choose_photo(std::string((dir / "x.jpg").string()));
    EXPECT_EQ(prompts("error").back().text, "没有员工记录，照片未保存");
}

// Mended: a commit that fails is no success; nothing is taken for saved.
TEST_P(FormSave, FailedCommitKeepsTheEditsPending) {
    fail_commits_after_updates();
    open_form("E1");
    click("cb_modi");
    edit("ename", "张三丰");
    click("cb_save");
    ASSERT_EQ(prompts("error").size(), 1u);
    EXPECT_EQ(prompts("error")[0].text.rfind("提交失败：", 0), 0u) << prompts("error")[0].text;
    EXPECT_EQ(prompts("info").back().text, "保存失败");
    EXPECT_EQ(variable("editflag"), "1");
    EXPECT_EQ(dw().modifiedcount(), 1);
    EXPECT_EQ(cell("E1", "ename"), "张三");
    EXPECT_FALSE(h.sqlca.connection()->in_transaction());
}

// Mended (two users): a row another user changed in the columns being saved, or removed,
// is not overwritten; the user is told and keeps the edits.
TEST_P(FormSave, ChangeByAnotherUserIsNotOverwritten) {
    open_form("E1");
    click("cb_modi");
    other->execute("UPDATE employee SET ename = ? WHERE eid = ?", {"别人改的", "E1"});
    edit("ename", "我改的");
    click("cb_save");
    EXPECT_EQ(
        prompt_texts(),
        (Texts{"error:该员工已被他人修改或删除，没有写入任何数据。请关闭后重新打开该员工再修改。",
               "info:保存失败"}));
    EXPECT_EQ(cell("E1", "ename"), "别人改的");
    EXPECT_EQ(dw().getitemstring(1, "ename"), "我改的");
    EXPECT_EQ(dw().modifiedcount(), 1);
    EXPECT_EQ(enabled_buttons(), (Buttons{false, true, false, true, true, true}));

    // Removed by another user: the same.
    other->execute("DELETE FROM employee WHERE eid = ?", {"E1"});
    click("cb_save");
    EXPECT_EQ(prompts("error").size(), 2u);
    EXPECT_EQ(cell("E1", "ename"), "(no row)");
}

TEST_P(FormSave, ChangeOfOtherColumnsByAnotherUserIsKept) {
    open_form("E2");  // E2's sex is null: a null nobody touched must match
    click("cb_modi");
    other->execute("UPDATE employee SET phone = ? WHERE eid = ?", {"12345", "E2"});
    edit("sex", "女");
    edit("ename", "李四四");
    click("cb_save");
    EXPECT_EQ(prompt_texts(), Texts{"info:保存成功"});
    EXPECT_EQ(cell("E2", "sex"), "女");
    EXPECT_EQ(cell("E2", "ename"), "李四四");
    EXPECT_EQ(cell("E2", "phone"), "12345");
}

INSTANTIATE_TEST_SUITE_P(Backends, FormSave, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace form_test
