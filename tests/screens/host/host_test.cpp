// Host objects: message functions, f_filewrite, the frame, the sheet ancestor and the
// host button.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "screens/host/host.h"
#include "screens/host/n_cst_resize.h"
#include "screens/host/uo_dwtitlesort.h"
#include "screens/host/uo_xpbutton.h"
#include "screens/host/w_mysheet.h"
#include "tests/platform/runtime/demo_window.h"
#include "tests/screens/screen_checks.h"
#include "tests/support/test_db.h"

namespace {

using namespace runtime;

std::vector<std::string> g_log;

struct Button : host::uo_xpbutton {
    using uo_xpbutton::uo_xpbutton;
    int clicked() override {
        uo_xpbutton::clicked();
        g_log.push_back(name() + ".clicked");
        return 0;
    }
};

// A sheet as the screens build them: refuses its close once when asked to.
struct Sheet : host::w_mysheet {
    explicit Sheet(host::Host& h) : w_mysheet(h, "w_sheet") {}
    int create() override {
        w_mysheet::create();
        add_control<Button>("cb_save").set_text("保存(&S)");
        return 0;
    }
    int closequery() override {
        w_mysheet::closequery();
        if (refuse_next) {
            editflag = "1";
            refuse_next = false;
        }
        return editflag == "1" ? 1 : 0;
    }
    bool refuse_next = false;
};

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.register_classes();
        app.register_class("w_sheet", [this] { return std::make_unique<Sheet>(h); });
        g_log.clear();
    }
    testing_support::TempDir dir;
    ScriptedInteraction ui;
    Files files{dir / "drive_c"};
    Application app{ui, files};
    host::Host h{app};
};

TEST_F(HostTest, MessageFunctionsShowTheirTextAndKind) {
    EXPECT_EQ(h.f_showinfo("保存成功"), 1);
    EXPECT_EQ(h.f_showerror("编号不能为空"), 1);
    ASSERT_EQ(ui.prompts().size(), 2u);
    EXPECT_EQ(ui.prompts()[0].kind, "info");
    EXPECT_EQ(ui.prompts()[0].text, "保存成功");
    EXPECT_EQ(ui.prompts()[0].icon, Icon::information);
    EXPECT_EQ(ui.prompts()[1].kind, "error");
    EXPECT_EQ(ui.prompts()[1].icon, Icon::stop_sign);
}

TEST_F(HostTest, ShowAskAnswersYesOrNoAndDeclinesByDefault) {
    ui.queue(Answer::button(1));
    EXPECT_EQ(h.f_showask("确定删除该员工吗？", 2), 1);
    ui.queue(Answer::button(2));
    EXPECT_EQ(h.f_showask("确定删除该员工吗？", 2), 2);
    EXPECT_EQ(h.f_showask("确定删除该员工吗？", 2), 2);  // Enter takes the default: no
    EXPECT_EQ(h.f_showask("继续吗？", 1), 1);
    ui.queue(Answer::cancelled());  // a yes/no question has no cancel
    EXPECT_THROW(h.f_showask("确定删除该员工吗？", 2), ScriptError);
    ASSERT_GE(ui.prompts().size(), 3u);
    EXPECT_EQ(ui.prompts()[0].kind, "ask");
    EXPECT_EQ(ui.prompts()[0].buttons, Buttons::yes_no);
    EXPECT_EQ(ui.prompts()[2].default_button, 2);
}

TEST_F(HostTest, FileWriteReplacesTheFileWithExactlyTheBytes) {
    db::Bytes photo;
    for (int i = 0; i < 40000; ++i) photo.push_back(static_cast<std::uint8_t>(i % 253));
    ASSERT_EQ(h.f_filewrite(photo, "c:\\tempemployee.JPG"), 1);
    EXPECT_EQ(h.f_filewrite({0xff, 0xd8}, "c:\\tempemployee.JPG"), 1);
    std::ifstream in(dir / "drive_c" / "tempemployee.JPG", std::ios::binary);
    db::Bytes got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, (db::Bytes{0xff, 0xd8}));
    EXPECT_EQ(h.f_filewrite(photo, (dir / "missing" / "x.jpg").string()), -1);
}

TEST_F(HostTest, SheetsOpenInsideTheMainFrame) {
    Window& frame = h.w_main();
    EXPECT_TRUE(frame.is_frame());
    EXPECT_EQ(&h.w_main(), &frame);  // opened once
    Window* s = app.open_sheet("w_sheet", frame, "new", 3, 2);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->frame(), &frame);
    EXPECT_EQ(app.sheets(frame), std::vector<Window*>{s});
    // The ancestor's hidden log-in button comes first.
    ASSERT_EQ(s->controls().size(), 2u);
    EXPECT_EQ(s->controls()[0]->name(), "cb_login");
    EXPECT_FALSE(s->controls()[0]->visible());
}

TEST_F(HostTest, EachCloseAttemptStartsWithAClearedEditflag) {
    auto& s = dynamic_cast<Sheet&>(*app.open_sheet("w_sheet", h.w_main(), "E1", 3, 2));
    s.refuse_next = true;
    EXPECT_EQ(app.close(s), -1);
    EXPECT_EQ(s.editflag, "1");
    EXPECT_EQ(app.close(s), 1);  // the refusal belonged to the first attempt only
}

TEST_F(HostTest, XpButtonCarriesItsLookAndAnnouncesChanges) {
    host::uo_xpbutton b("cb_1");
    std::vector<std::string> changed;
    auto link = b.property_changed.connect([&](std::string_view p) { changed.emplace_back(p); });
    b.set_text("查询(&S)");
    b.set_tag("输入条件查询");
    for (auto set : {&host::uo_xpbutton::set_normalpicname, &host::uo_xpbutton::set_movepicname,
                     &host::uo_xpbutton::set_bkpicname})
        (b.*set)("ico/find.ico");
    b.set_captionalign(1);
    b.set_tooltiptype(2);
    b.set_tooltiptitle(true);
    b.set_chimb(true);
    b.set_backcolor(16495676);
    b.set_backcolorover(8703999);
    b.set_backcolordown(13031390);
    b.set_fontcolor(15856113);
    b.set_fontcolorover(255);
    b.set_fontcolordown(13811126);
    b.set_cancel(true);
    EXPECT_EQ(changed.size(), 16u);
    EXPECT_EQ(b.caption(), "查询(S)");
    EXPECT_EQ(b.accelerator(), 'S');
    EXPECT_EQ(b.picture(false, false), "ico/find.ico");
    EXPECT_EQ(b.backcolorover(), 8703999);
    EXPECT_TRUE(b.cancel());
    host::uo_xpbutton amp("cb_2");
    amp.set_text("A&&B");
    EXPECT_EQ(amp.caption(), "A&B");
    EXPECT_EQ(amp.accelerator(), 0);
}

TEST_F(HostTest, SetUpGivesEveryScreenButtonTheHostLook) {
    host::uo_xpbutton b("cb_add");
    b.set_up({"新增(&A)", 315, 1600, 60, "新增加一张进货单", "ico/new.ico"});
    EXPECT_EQ(b.text(), "新增(&A)");
    EXPECT_EQ(std::make_pair(b.x(), b.y()), std::make_pair(315, 1600));
    EXPECT_EQ(std::make_pair(b.width(), b.height()), std::make_pair(325, 96));
    EXPECT_EQ(b.tab_order(), 60);
    EXPECT_TRUE(b.bringtotop());
    EXPECT_EQ(b.tag(), "新增加一张进货单");
    for (bool over : {false, true})
        for (bool pressed : {false, true}) EXPECT_EQ(b.picture(over, pressed), "ico/new.ico");
    screens_test::expect_host_look(b, "ico/new.ico");
    EXPECT_FALSE(b.cancel());

    host::uo_xpbutton untagged("cb_save");
    untagged.set_tag("旧的");
    untagged.set_up({"保存(&S)", 658, 1600, 70, nullptr, "ico/save.ico"});
    EXPECT_EQ(untagged.tag(), "旧的");  // no tag given: the tag is left alone
}

// A window whose handler a ScreenButton runs after the host button's.
struct HandlerSheet : host::w_mysheet {
    explicit HandlerSheet(host::Host& h) : w_mysheet(h, "w_handlers") {}
    int create() override {
        w_mysheet::create();
        add_control<host::ScreenButton<HandlerSheet>>("cb_go", *this, &HandlerSheet::go);
        add_control<host::ScreenButton<HandlerSheet>>("cb_print", *this, nullptr);
        return 0;
    }
    void go() {
        g_log.push_back("go");
        request_close();
    }
};

TEST_F(HostTest, ScreenButtonRunsTheWindowsHandlerOrOnlyTheHostOne) {
    app.register_class("w_handlers", [this] { return std::make_unique<HandlerSheet>(h); });
    Window* s = app.open_sheet("w_handlers", h.w_main(), std::nullopt, 0, 0);
    s->control_as<CommandButton>("cb_print").press();
    EXPECT_TRUE(g_log.empty());
    EXPECT_TRUE(s->is_open());
    s->control_as<CommandButton>("cb_go").press();
    EXPECT_EQ(g_log, std::vector<std::string>{"go"});
    EXPECT_EQ(app.find_open("w_handlers"), nullptr);  // closed, and freed after its handler
}

TEST_F(HostTest, ScreenButtonRunsAfterTheHostButtonAndNotWhenDisabled) {
    Window* s = app.open_sheet("w_sheet", h.w_main(), "E1", 3, 2);
    auto& save = s->control_as<Button>("cb_save");
    user::press(save);
    EXPECT_EQ(g_log, std::vector<std::string>{"cb_save.clicked"});
    save.set_enabled(false);
    user::key(*s, 'S', key::kAlt);
    EXPECT_EQ(g_log.size(), 1u);
}

}  // namespace

namespace {

// A grid of names; a title click sorts by its column, a second click reverses.
class TitleSortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.data().set_definition(demo::grid_definition());
        for (auto [eid, name] : std::vector<std::pair<const char*, const char*>>{
                 {"E1", "张三"}, {"E2", "李四"}, {"E3", "王五"}, {"E4", nullptr}}) {
            int r = grid.insertrow(0);
            grid.setitem(r, "eid", std::string(eid));
            grid.setitem(r, "ename",
                         name ? std::optional<std::string>(name) : std::optional<std::string>());
        }
        grid.scrolltorow(1);  // E1
        grid.selectrow(1, true);
    }
    std::vector<std::string> column(const char* name) {
        std::vector<std::string> out;
        for (int r = 1; r <= grid.rowcount(); ++r)
            out.push_back(grid.getitemstring(r, name).value_or("(null)"));
        return out;
    }
    host::uo_dwtitlesort grid{"dw_1"};
};

TEST_F(TitleSortTest, TitleClickSortsAndASecondClickReverses) {
    grid.trigger_clicked(0, 0, 0, "ename_t");
    // Code page 936 order (李 < 王 < 张), not the order of the UTF-8 bytes; null first.
    EXPECT_EQ(column("ename"), (std::vector<std::string>{"(null)", "李四", "王五", "张三"}));
    EXPECT_EQ(grid.sort_column(), "ename");
    EXPECT_TRUE(grid.sort_ascending());
    // The current and the highlighted row moved with E1.
    EXPECT_EQ(grid.getrow(), 4);
    EXPECT_TRUE(grid.isselected(4));
    EXPECT_FALSE(grid.isselected(1));

    grid.trigger_clicked(0, 0, 0, "ename_t");
    EXPECT_EQ(column("ename"), (std::vector<std::string>{"张三", "王五", "李四", "(null)"}));
    EXPECT_FALSE(grid.sort_ascending());

    grid.trigger_clicked(0, 0, 0, "eid_t");  // another title starts ascending
    EXPECT_EQ(column("eid"), (std::vector<std::string>{"E1", "E2", "E3", "E4"}));
}

TEST_F(TitleSortTest, ClicksOnRowsOrOtherObjectsDoNotSort) {
    const auto before = column("eid");
    grid.trigger_clicked(0, 0, 2, "ename");    // a data row
    grid.trigger_clicked(0, 0, 0, "ename");    // not a title
    grid.trigger_clicked(0, 0, 0, "nothing");  // no such object
    EXPECT_EQ(column("eid"), before);
    EXPECT_EQ(grid.sort_column(), "");
    EXPECT_EQ(grid.data().getsort(), "");
}

TEST(ResizeService, ControlsFollowTheEdgesTheyAreRegisteredFor) {
    Window w("w_resized");
    auto& corner = w.add_control<StaticText>("st_corner");
    corner.move(900, 700);
    corner.resize(50, 60);
    auto& grid = w.add_control<DataWindowControl>("dw_grid");
    grid.move(30, 100);
    grid.resize(940, 500);
    auto& fixed = w.add_control<SingleLineEdit>("sle_fixed");
    fixed.move(30, 20);
    fixed.resize(200, 90);
    host::n_cst_resize resize(w);
    resize.set_original_size(1000, 800);
    resize.add(corner, host::n_cst_resize::move_right | host::n_cst_resize::move_down);
    resize.add(grid, host::n_cst_resize::stretch_right | host::n_cst_resize::stretch_down);

    resize.resize(1300, 1000);
    EXPECT_EQ(std::make_pair(corner.x(), corner.y()), std::make_pair(1200, 900));
    EXPECT_EQ(std::make_pair(corner.width(), corner.height()), std::make_pair(50, 60));
    EXPECT_EQ(std::make_pair(grid.width(), grid.height()), std::make_pair(1240, 700));
    EXPECT_EQ(std::make_pair(grid.x(), grid.y()), std::make_pair(30, 100));
    EXPECT_EQ(std::make_pair(fixed.x(), fixed.width()), std::make_pair(30, 200));  // not registered

    resize.resize(1000, 1100);  // narrower again, taller still
    EXPECT_EQ(std::make_pair(grid.width(), grid.height()), std::make_pair(940, 800));
    resize.resize(600, 400);  // below the original size: as laid out
    EXPECT_EQ(std::make_pair(grid.width(), grid.height()), std::make_pair(940, 500));
    EXPECT_EQ(corner.x(), 900);

    w.destroy_control(corner);  // gone from the window: no longer moved
    EXPECT_FALSE(resize.has(corner));
    resize.resize(1500, 1500);
    EXPECT_EQ(corner.x(), 900);
    EXPECT_EQ(grid.width(), 1440);
}

}  // namespace
