// The data-window control inside a window: clicks, double clicks, keys, focus and pending
// edits, database errors through the message box. On SQLite and PostgreSQL.
#include <gtest/gtest.h>

#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "schema/schema.h"
#include "tests/platform/runtime/demo_window.h"
#include "tests/support/test_db.h"

namespace {

using namespace runtime;

struct Frame : runtime::Window {
    Frame() : runtime::Window("w_frame") { set_frame_style(true); }
};

class DataWindowControlTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        auto conn = database.connect();
        schema::create(*conn);
        conn->execute(
            "INSERT INTO employee (eid, ename, flag) VALUES ('E1', '张三', '1'), "
            "('E2', '李四', '0'), ('E3', '王五', '9')");
        ASSERT_EQ(sqlca.connect(database.url()), 0) << sqlca.sqlerrtext();
        app.add_definition(demo::grid_definition());
        app.register_class("w_frame", [] { return std::make_unique<Frame>(); });
        app.register_class("w_demo", [this] { return std::make_unique<demo::Window>(sqlca, log); });
        frame = app.open("w_frame");
        w = dynamic_cast<demo::Window*>(app.open_sheet("w_demo", *frame, std::nullopt, 3, 2));
        ASSERT_NE(w, nullptr);
        w->control_as<CommandButton>("cb_find").press();
        ASSERT_EQ(w->dw->rowcount(), 3);
    }

    testing_support::TestDatabase database{GetParam()};
    testing_support::TempDir dir;
    Transaction sqlca;
    ScriptedInteraction ui;
    Files files{dir / "drive_c"};
    Application app{ui, files};
    demo::Log log;
    runtime::Window* frame = nullptr;
    demo::Window* w = nullptr;
};

TEST_P(DataWindowControlTest, ClickMakesTheRowCurrentBeforeClickedRuns) {
    user::click(*w->dw, 2, "ename");
    EXPECT_TRUE(w->dw->has_focus());
    EXPECT_EQ(w->dw->getcolumnname(), "ename");
    user::click(*w->dw, 0, "eid_t");  // the header: no data row
    user::click(*w->dw, 9, "eid");    // below the rows
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"clicked 2 ename current 2", "clicked 0 eid_t current 2",
                                        "clicked 0 eid current 2"}));
    EXPECT_TRUE(w->dw->isselected(2));
    EXPECT_EQ(w->dw->object_position(2, "ename"), std::make_pair(330 + 150, 72 + 76 + 4 + 32));
}

TEST_P(DataWindowControlTest, DoubleClickRunsClickedThenDoubleclicked) {
    user::click(*w->dw, 1, "eid");
    user::double_click(*w->dw, 1, "eid");
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"clicked 1 eid current 1", "doubleclicked 1 eid"}));
    ASSERT_EQ(app.open_requests().size(), 3u);
    EXPECT_EQ(app.open_requests()[2].parameter, std::optional<std::string>("E3"));
    EXPECT_EQ(app.sheets(*frame).size(), 2u);
}

TEST_P(DataWindowControlTest, KeysReachUeKeyOnlyWhileTheGridHasTheFocus) {
    user::key(*w, key::kDown);
    EXPECT_TRUE(log.lines.empty());
    w->dw->setfocus();
    user::key(*w, key::kDown);
    user::key(*w, key::kEnter, key::kShift);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ue_key 40 0", "ue_key 13 1"}));
    w->control("sle_id").setfocus();
    user::key(*w, key::kUp);
    EXPECT_EQ(log.lines.size(), 2u);
}

TEST_P(DataWindowControlTest, PendingEditIsAcceptedWhenTheFocusMovesOn) {
    user::click(*w->dw, 1, "ename");
    ASSERT_EQ(w->dw->data().settext("赵六"), 1);
    EXPECT_EQ(w->dw->modifiedcount(), 0);
    EXPECT_EQ(w->dw->getitemstring(1, "ename"), std::optional<std::string>("王五"));
    w->control("cb_save").setfocus();  // the user moves to the save button
    EXPECT_EQ(w->dw->modifiedcount(), 1);
    EXPECT_EQ(w->dw->getitemstring(1, "ename"), std::optional<std::string>("赵六"));

    // Refused on leaving: the old value stays, the user is told and the focus stays, so a
    // button clicked meanwhile does not run.
    user::click(*w->dw, 2, "flag");
    ASSERT_EQ(w->dw->data().settext("退休"), 1);  // not an entry of the code table
    EXPECT_EQ(w->control("cb_save").setfocus(), -1);
    EXPECT_TRUE(w->dw->has_focus());
    EXPECT_EQ(w->dw->getitemstring(2, "flag"), std::optional<std::string>("0"));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts().back().kind, "item-error");
    EXPECT_EQ(ui.prompts().back().window, w);     // the dialog belongs to the window
    ASSERT_EQ(w->dw->data().settext("在职"), 1);  // corrected
    EXPECT_EQ(w->control("sle_id").setfocus(), 1);
    EXPECT_EQ(w->dw->getitemstring(2, "flag"), std::optional<std::string>("1"));
}

TEST_P(DataWindowControlTest, TabWalksTheFieldsInTabOrderAcceptingTheEdit) {
    user::click(*w->dw, 1, "eid");
    user::key(*w, key::kTab);
    EXPECT_EQ(w->dw->getcolumnname(), "ename");
    ASSERT_EQ(w->dw->data().settext("赵六"), 1);
    user::key(*w, key::kTab);
    EXPECT_EQ(w->dw->getcolumnname(), "flag");
    EXPECT_EQ(w->dw->getitemstring(1, "ename"), std::optional<std::string>("赵六"));
    user::key(*w, key::kTab);  // wraps round
    EXPECT_EQ(w->dw->getcolumnname(), "eid");
    user::key(*w, key::kTab, key::kShift);
    EXPECT_EQ(w->dw->getcolumnname(), "flag");
    EXPECT_EQ(w->dw->getrow(), 1);

    // A refused edit keeps the field.
    ASSERT_EQ(w->dw->data().settext("退休"), 1);
    user::key(*w, key::kTab);
    EXPECT_EQ(w->dw->getcolumnname(), "flag");
    EXPECT_EQ(log.lines.back(), "ue_key 9 0");  // the grid's own handler still saw the key
}

TEST_P(DataWindowControlTest, DatabaseErrorsAreShownThroughTheMessageBox) {
    w->dw->setsqlselect("SELECT eid, ename, flag FROM nowhere");
    EXPECT_EQ(w->dw->retrieve(), -1);
    EXPECT_EQ(w->dw->rowcount(), 3);  // the rows stay
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].kind, "db-error");
    EXPECT_EQ(ui.prompts()[0].icon, Icon::stop_sign);
    EXPECT_NE(ui.prompts()[0].text.find("nowhere"), std::string::npos) << ui.prompts()[0].text;
    EXPECT_EQ(log.lines, std::vector<std::string>{"dberror"});

    // A control whose dberror tells the user itself keeps the runtime's box away.
    w->dw->dberror_result = 1;
    EXPECT_EQ(w->dw->retrieve(), -1);
    EXPECT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(log.lines.size(), 2u);
}

TEST_P(DataWindowControlTest, DataobjectKeepsTheStoredNameAndAnUnknownOneChangesNothing) {
    std::vector<std::string> changed;
    auto link =
        w->dw->property_changed.connect([&](std::string_view p) { changed.emplace_back(p); });
    EXPECT_EQ(w->dw->set_dataobject("D_DEMO"), 1);
    EXPECT_EQ(w->dw->dataobject_property(), "D_DEMO");
    EXPECT_EQ(w->dw->data().dataobject(), "d_demo");
    EXPECT_EQ(w->dw->set_dataobject("d_nowhere"), -1);
    EXPECT_EQ(w->dw->dataobject_property(), "D_DEMO");
    w->dw->set_vscrollbar(true);
    EXPECT_EQ(changed, (std::vector<std::string>{"dataobject", "vscrollbar"}));
}

TEST_P(DataWindowControlTest, DisabledGridTakesNoClicks) {
    w->dw->set_enabled(false);
    EXPECT_EQ(user::click(*w->dw, 1, "eid"), InputResult::disabled);
    EXPECT_EQ(user::double_click(*w->dw, 1, "eid"), InputResult::disabled);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(app.sheets(*frame).size(), 1u);
}

TEST_P(DataWindowControlTest, ARefusedEditKeepsTheFocusAndThePressDoesNothing) {
    user::click(*w->dw, 1, "flag");
    ASSERT_EQ(user::edit_text(*w->dw, "退休"), InputResult::done);  // accepted only on leaving
    auto& save = w->control_as<CommandButton>("cb_save");
    EXPECT_EQ(user::press(save), InputResult::focus_kept);
    EXPECT_EQ(user::click(*w->dw, 2, "eid"), InputResult::done);  // the grid keeps its row
    EXPECT_EQ(w->dw->getrow(), 1);
    EXPECT_TRUE(w->dw->has_focus());
    EXPECT_EQ(w->dw->modifiedcount(), 0);
    ASSERT_EQ(user::edit_text(*w->dw, "在职"), InputResult::done);
    EXPECT_EQ(user::press(save), InputResult::done);  // accepted, then saved
    EXPECT_EQ(ui.prompts().back().text, "保存成功");
}

TEST_P(DataWindowControlTest, TypingStopsAtTheFieldsByteLimit) {
    user::click(*w->dw, 1, "ename");  // ten bytes
    std::string kept;
    EXPECT_EQ(user::type_text(*w->dw, "欧阳小二abc", &kept), InputResult::refused);
    EXPECT_EQ(kept, "欧阳小二ab");  // the eleventh byte was refused as it was typed
    EXPECT_EQ(user::edit_text(*w->dw, "欧阳小二abc"), InputResult::refused);
    EXPECT_EQ(w->dw->data().gettext(), "欧阳小二ab");
    EXPECT_EQ(user::type_text(*w->dw, "赵六", &kept), InputResult::done);  // over what it held
    EXPECT_EQ(kept, "赵六");
    EXPECT_EQ(w->dw->accepttext(), 1);
    EXPECT_EQ(w->dw->getitemstring(1, "ename"), std::optional<std::string>("赵六"));
    EXPECT_TRUE(ui.prompts().empty());  // nothing to report: nothing too long got in
    w->dw->modify("datawindow.readonly=yes");
    EXPECT_EQ(user::type_text(*w->dw, "x"), InputResult::disabled);
}

TEST_P(DataWindowControlTest, ACloseGuardThatSavesFreesTheWindowAfterTheWholeAction) {
    user::click(*w->dw, 1, "ename");
    user::type_text(*w->dw, "赵六");
    user::focus(w->control("sle_id"));  // leaving the field accepts the edit
    bool freed = false;
    auto link = w->destroyed.connect([&] { freed = true; });
    ui.queue(Answer::button(1));  // save the changes
    // Esc runs cb_quit, which closes the window; its close guard asks and triggers cb_save,
    // whose message box is a second, nested one. Nothing is freed before Esc has ended.
    EXPECT_EQ(user::key(*w, key::kEscape), InputResult::done);
    EXPECT_TRUE(freed);
    ASSERT_EQ(ui.prompts().size(), 2u);
    EXPECT_EQ(ui.prompts()[0].text, "部分数据被改动！是否存盘？");
    EXPECT_EQ(ui.prompts()[1].text, "保存成功");
    EXPECT_EQ(app.sheets(*frame).size(), 0u);
    EXPECT_EQ(app.closed_pending(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Backends, DataWindowControlTest,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
