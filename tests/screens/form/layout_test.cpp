// The form as the list opens it for a new employee: properties, the seven controls, the
// buttons' look and states, and a close that asks nothing and removes the temporary photo.
// Opening with "new" needs no database.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/user_input.h"
#include "tests/screens/screen_checks.h"
#include "tests/screens/screen_fixture.h"

namespace {

class FormLayout : public screens_test::WindowWithoutDatabase {
  protected:
    void SetUp() override { open_window("w_employeeadd", "new", 3, 2); }
    std::filesystem::path temp_photo() const { return files.map("c:\\tempemployee.JPG"); }
    runtime::DataWindowControl& dw() { return w->control_as<runtime::DataWindowControl>("dw_1"); }
    host::uo_xpbutton& button(const char* name) { return w->control_as<host::uo_xpbutton>(name); }
};

TEST_F(FormLayout, WindowAndControlsInCreationOrder) {
    EXPECT_EQ(w->title(), "员工信息");
    EXPECT_EQ(w->width(), 2720);
    EXPECT_EQ(w->height(), 1836);
    EXPECT_FALSE(w->min_box());
    EXPECT_FALSE(w->max_box());
    EXPECT_FALSE(w->resizable());
    // The form keeps its layout: a resize is refused and nothing moves.
    EXPECT_EQ(runtime::user::resize(*w, 4000, 3000), runtime::InputResult::disabled);
    EXPECT_EQ(w->width(), 2720);
    EXPECT_EQ(w->frame(), &h.w_main());
    std::vector<std::string> names;
    for (auto* c : w->controls()) names.push_back(c->name());
    EXPECT_EQ(names, (std::vector<std::string>{"cb_login", "dw_1", "cb_add", "cb_save", "cb_modi",
                                               "cb_del", "cb_print", "cb_7"}));
    screens_test::expect_places(*w, {
                                        {"dw_1", 27, 36, 2651, 1528, 10, ""},
                                        {"cb_add", 315, 1600, 325, 96, 60, "新增(&A)"},
                                        {"cb_save", 658, 1600, 325, 96, 70, "保存(&S)"},
                                        {"cb_modi", 1001, 1600, 325, 96, 80, "修改(&M)"},
                                        {"cb_del", 1344, 1600, 325, 96, 90, "删除(&D)"},
                                        {"cb_print", 1691, 1600, 325, 96, 100, "打印(&P)"},
                                        {"cb_7", 2034, 1600, 325, 96, 120, "退出(&E)"},
                                    });
}

TEST_F(FormLayout, DataWindowPresentsTheFormBoundToSqlca) {
    EXPECT_EQ(dw().dataobject_property(), "d_employeeadd");
    EXPECT_EQ(dw().data().dataobject(), "d_employeeadd");
    EXPECT_TRUE(dw().livescroll());
    EXPECT_EQ(dw().title(), "none");
    EXPECT_EQ(dw().data().transaction(), &h.sqlca);
    EXPECT_EQ(dw().describe("datawindow.readonly"), "no");
}

TEST_F(FormLayout, ButtonsCarryTheHostLook) {
    screens_test::expect_buttons(*w,
                                 {{"cb_add", "新增加一张进货单", "ico/new.ico"},
                                  {"cb_save", "", "ico/save.ico"},
                                  {"cb_modi", "", "ico/edit.ico"},
                                  {"cb_del", "删除后不能恢复", "ico/delete.ico"},
                                  {"cb_print", "", "ico/print.ico"},
                                  {"cb_7", "", "ico/exit.ico"}},
                                 "cb_7");
}

TEST_F(FormLayout, NewRecordIsOneEmptyRowWithOnlyDeleteDisabled) {
    ASSERT_EQ(dw().rowcount(), 1);
    for (int c = 1; c <= 24; ++c) EXPECT_EQ(dw().getitemstring(1, c), std::nullopt) << c;
    EXPECT_EQ(dw().modifiedcount(), 0);
    for (const char* b : {"cb_add", "cb_save", "cb_modi", "cb_print", "cb_7"})
        EXPECT_TRUE(button(b).enabled()) << b;
    EXPECT_FALSE(button("cb_del").enabled());
    EXPECT_EQ(w->instance_variable("flag"), "");  // opening with "new" is not Add
    EXPECT_EQ(dw().describe("p_1.filename"), "");
    EXPECT_FALSE(std::filesystem::exists(temp_photo()));
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(FormLayout, CloseWithoutChangesAsksNothingAndRemovesTheTemporaryPhoto) {
    std::filesystem::create_directories(temp_photo().parent_path());
    std::ofstream(temp_photo()) << "another form's photo";
    EXPECT_EQ(runtime::user::close(*w), runtime::InputResult::done);
    EXPECT_TRUE(ui.prompts().empty());
    EXPECT_FALSE(std::filesystem::exists(temp_photo()));
    // Without a file to remove the close is as quiet.
    auto* again = app.open_sheet("w_employeeadd", h.w_main(), "new", 3, 2);
    EXPECT_EQ(runtime::user::close(*again), runtime::InputResult::done);
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(FormLayout, EscAndAltEPressExitAndPrintIsTheHostButtonsOwn) {
    // The window adds nothing to Print: the host button shows the record card to print.
    runtime::user::press(button("cb_print"));
    EXPECT_TRUE(w->is_open());
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].kind, "print");
    EXPECT_EQ(ui.prompts()[0].title, "员工信息");
    EXPECT_EQ(ui.prompts()[0].text, "card");
    EXPECT_EQ(ui.prompts()[0].answer, 0);  // nothing queued: cancelled
    ui.clear_prompts();
    runtime::user::key(*w, runtime::key::kEscape);
    EXPECT_EQ(app.find_open("w_employeeadd"), nullptr);

    auto* again = app.open_sheet("w_employeeadd", h.w_main(), "new", 3, 2);
    runtime::user::key(*again, 'E', runtime::key::kAlt);
    EXPECT_EQ(app.find_open("w_employeeadd"), nullptr);
    EXPECT_TRUE(ui.prompts().empty());
}

}  // namespace
