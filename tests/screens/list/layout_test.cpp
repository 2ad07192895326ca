// The window as the host opens it: properties, the ten controls, the grid bound to sqlca
// and the saved SELECT. No database is needed to open it.
#include <gtest/gtest.h>

#include "platform/runtime/user_input.h"
#include "screens/host/uo_dwtitlesort.h"
#include "tests/screens/screen_checks.h"
#include "tests/screens/screen_fixture.h"

namespace {

class ListLayout : public screens_test::WindowWithoutDatabase {
  protected:
    void SetUp() override { open_window("w_employee", std::nullopt, 0, 0); }
};

TEST_F(ListLayout, WindowAndControlsInCreationOrder) {
    EXPECT_TRUE(app.has_class("w_employee"));
    EXPECT_EQ(w->title(), "员工管理");
    EXPECT_EQ(w->width(), 3429);
    EXPECT_EQ(w->frame(), &h.w_main());
    std::vector<std::string> names;
    for (auto* c : w->controls()) names.push_back(c->name());
    EXPECT_EQ(names,
              (std::vector<std::string>{"cb_login", "dw_1", "st_1", "sle_id", "st_2", "sle_name",
                                        "cb_1", "cb_3", "cb_4", "cb_5", "cb_2"}));
    screens_test::expect_places(*w, {
                                        {"dw_1", 32, 168, 3323, 1576, 20, ""},
                                        {"st_1", 23, 60, 338, 60, 0, "员工编号："},
                                        {"sle_id", 288, 36, 498, 92, 10, ""},
                                        {"st_2", 818, 56, 315, 60, 0, "姓名："},
                                        {"sle_name", 983, 40, 562, 92, 20, ""},
                                        {"cb_1", 1591, 36, 325, 96, 60, "查询(&S)"},
                                        {"cb_3", 1966, 32, 325, 96, 70, "添加(&S)"},
                                        {"cb_4", 2322, 32, 325, 96, 80, "修改(&M)"},
                                        {"cb_5", 3026, 28, 325, 96, 110, "退出(&E)"},
                                        {"cb_2", 2674, 32, 325, 96, 80, "导出(&O)"},
                                    });
}

TEST_F(ListLayout, ResizingTheSheetStretchesTheGridOnly) {
    EXPECT_EQ(w->layout_size(), std::make_pair(3429, 1776));  // 750 x 444 pixels
    EXPECT_EQ(runtime::user::resize(*w, 3429 + 1000, 1776 + 600, true), runtime::InputResult::done);
    EXPECT_EQ(w->layout_size(), std::make_pair(4429, 2376));
    screens_test::expect_places(*w, {
                                        {"dw_1", 32, 168, 3323 + 1000, 1576 + 600, 20, ""},
                                        {"sle_id", 288, 36, 498, 92, 10, ""},
                                        {"sle_name", 983, 40, 562, 92, 20, ""},
                                        {"cb_1", 1591, 36, 325, 96, 60, "查询(&S)"},
                                        {"cb_5", 3026, 28, 325, 96, 110, "退出(&E)"},
                                    });
    auto& dw = w->control_as<runtime::DataWindowControl>("dw_1");
    EXPECT_EQ(dw.page_rows(), 23);  // PageDown goes as far as the taller grid shows

    // Smaller than designed: the grid keeps its designed size.
    runtime::user::resize(*w, 2000, 900);
    screens_test::expect_places(*w, {{"dw_1", 32, 168, 3323, 1576, 20, ""}});
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(ListLayout, TextsAndEditsLook) {
    runtime::ControlFont arial;
    arial.face = "Arial";
    arial.height = -9;
    for (const char* name : {"st_1", "st_2"}) {
        const auto& st = w->control(name);
        EXPECT_EQ(st.font(), arial);
        EXPECT_EQ(st.text_color(), 33554432);
        EXPECT_EQ(st.background_color(), 33089231);
        EXPECT_FALSE(st.focus_rectangle());
    }
    for (const char* name : {"sle_id", "sle_name"}) {
        EXPECT_EQ(w->control(name).font(), arial);
        EXPECT_EQ(w->control(name).border_style(), 5);
    }
}

TEST_F(ListLayout, ButtonsCarryTheHostButtonProperties) {
    screens_test::expect_buttons(*w,
                                 {{"cb_1", "输入条件查询", "ico/find.ico"},
                                  {"cb_3", "添加一个新商品", "ico/new.ico"},
                                  {"cb_4", "修改选中的商品", "ico/edit.ico"},
                                  {"cb_2", "导出为EXCEL表格", "ico/excel.ico"},
                                  {"cb_5", "", "ico/exit.ico"}},
                                 "cb_5");
}

TEST_F(ListLayout, GridIsBoundAndItsSelectSaved) {
    auto& dw = w->control_as<host::uo_dwtitlesort>("dw_1");
    EXPECT_EQ(dw.dataobject_property(), "D_EMPLOYEE");
    EXPECT_EQ(dw.data().dataobject(), "d_employee");
    EXPECT_TRUE(dw.hscrollbar());
    EXPECT_TRUE(dw.vscrollbar());
    EXPECT_EQ(dw.data().transaction(), &h.sqlca);
    EXPECT_EQ(w->instance_variable("ls_sql"), dw.definition()->select);
    EXPECT_EQ(w->instance_variable("ls_sql")->find("where"), std::string::npos);
    EXPECT_EQ(w->instance_variable("li_currow"), "0");
    EXPECT_EQ(w->instance_variable("li_rowcount"), "0");
    EXPECT_TRUE(ui.prompts().empty());
}

}  // namespace
