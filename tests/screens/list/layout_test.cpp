// The window as the host opens it: properties, the ten controls, the grid bound to sqlca
// and the saved SELECT. No database is needed to open it.
#include <gtest/gtest.h>

#include "platform/runtime/application.h"
#include "platform/runtime/scripted_interaction.h"
#include "screens/host/host.h"
#include "screens/host/uo_dwtitlesort.h"
#include "screens/host/uo_xpbutton.h"
#include "screens/host/w_mysheet.h"
#include "tests/screens/support/screens.h"
#include "tests/support/test_db.h"

namespace {

class ListLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        h.register_classes();
        library = testing_support::load_screens(h);
        w = dynamic_cast<host::w_mysheet*>(
            app.open_sheet("w_employee", h.w_main(), std::nullopt, 0, 0));
        ASSERT_NE(w, nullptr);
    }
    testing_support::TempDir dir;
    runtime::ScriptedInteraction ui;
    runtime::Files files{dir / "drive_c"};
    runtime::Application app{ui, files};
    host::Host h{app};
    std::unique_ptr<host::ScreenLibrary> library;
    host::w_mysheet* w = nullptr;
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
    struct Place {
        const char* name;
        int x, y, width, height, tab_order;
        const char* text;
    };
    const Place places[] = {
        {"dw_1", 32, 168, 3323, 1576, 20, ""},        {"st_1", 23, 60, 338, 60, 0, "员工编号："},
        {"sle_id", 288, 36, 498, 92, 10, ""},         {"st_2", 818, 56, 315, 60, 0, "姓名："},
        {"sle_name", 983, 40, 562, 92, 20, ""},       {"cb_1", 1591, 36, 325, 96, 60, "查询(&S)"},
        {"cb_3", 1966, 32, 325, 96, 70, "添加(&S)"},  {"cb_4", 2322, 32, 325, 96, 80, "修改(&M)"},
        {"cb_5", 3026, 28, 325, 96, 110, "退出(&E)"}, {"cb_2", 2674, 32, 325, 96, 80, "导出(&O)"},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const runtime::Control& c = w->control(p.name);
        EXPECT_EQ(c.x(), p.x);
        EXPECT_EQ(c.y(), p.y);
        EXPECT_EQ(c.width(), p.width);
        EXPECT_EQ(c.height(), p.height);
        EXPECT_EQ(c.tab_order(), p.tab_order);
        EXPECT_EQ(c.text(), p.text);
        EXPECT_TRUE(c.bringtotop());
    }
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
    struct Look {
        const char* name;
        const char* tag;
        const char* icon;
    };
    const Look looks[] = {{"cb_1", "输入条件查询", "ico/find.ico"},
                          {"cb_3", "添加一个新商品", "ico/new.ico"},
                          {"cb_4", "修改选中的商品", "ico/edit.ico"},
                          {"cb_2", "导出为EXCEL表格", "ico/excel.ico"},
                          {"cb_5", "", "ico/exit.ico"}};
    for (const Look& l : looks) {
        SCOPED_TRACE(l.name);
        const auto& b = w->control_as<host::uo_xpbutton>(l.name);
        EXPECT_EQ(b.tag(), l.tag);
        EXPECT_EQ(b.normalpicname(), l.icon);
        EXPECT_EQ(b.movepicname(), l.icon);
        EXPECT_EQ(b.bkpicname(), l.icon);
        EXPECT_TRUE(b.chimb());
        EXPECT_EQ(b.captionalign(), 1);
        EXPECT_EQ(b.tooltiptype(), 2);
        EXPECT_TRUE(b.tooltiptitle());
        EXPECT_EQ(b.backcolor(), 16495676);
        EXPECT_EQ(b.backcolorover(), 8703999);
        EXPECT_EQ(b.backcolordown(), 13031390);
        EXPECT_EQ(b.fontcolor(), 15856113);
        EXPECT_EQ(b.fontcolorover(), 255);
        EXPECT_EQ(b.fontcolordown(), 13811126);
        EXPECT_EQ(b.cancel(), std::string(l.name) == "cb_5");
    }
    EXPECT_EQ(w->cancel_button(), &w->control("cb_5"));
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
