// The host's printing (a sheet's print button, 文件 > 打印) and the main window's menu,
// headless: what a window hands the print service, and what the user is told.
#include <gtest/gtest.h>

#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "screens/host/host.h"
#include "screens/host/uo_xpbutton.h"
#include "screens/host/w_mysheet.h"
#include "tests/platform/runtime/demo_window.h"
#include "tests/support/test_db.h"

namespace {

using namespace runtime;

// A free form of two fields with captions and a picture.
std::shared_ptr<Definition> card_definition() {
    auto d = std::make_shared<Definition>();
    d->name = "d_card";
    d->style = PresentationStyle::freeform;
    d->bands = {{Band::detail, 400}};
    ColumnDef eid, ename;
    eid.name = "eid";
    eid.byte_limit = 50;
    ename.name = "ename";
    ename.byte_limit = 10;
    d->columns = {eid, ename};
    for (auto [name, caption] : {std::pair{"eid", "员工编号："}, {"ename", "员工姓名："}}) {
        ObjectDef t;
        t.name = std::string(name) + "_t";
        t.text = caption;
        ObjectDef c;
        c.kind = ObjectKind::column;
        c.name = name;
        c.tab_order = 10;
        d->objects.push_back(t);
        d->objects.push_back(c);
    }
    ObjectDef p;
    p.kind = ObjectKind::picture;
    p.name = "p_1";
    d->objects.push_back(p);
    return d;
}

// A sheet with a data window of the given definition and a print button of the host's.
struct PrintedSheet : host::w_mysheet {
    PrintedSheet(host::Host& h, std::string name, std::string dataobject)
        : w_mysheet(h, std::move(name)), dataobject_(std::move(dataobject)) {
        set_title(class_name() == "w_card" ? "员工信息" : "员工管理");
    }
    int create() override {
        w_mysheet::create();
        add_control<DataWindowControl>("dw_1").set_dataobject(dataobject_);
        add_control<host::uo_xpbutton>("cb_print").set_text("打印(&P)");
        return 0;
    }
    DataWindowControl& dw() { return control_as<DataWindowControl>("dw_1"); }
    std::string dataobject_;
};

class HostPrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.register_classes();
        app.add_definition(demo::grid_definition());
        app.add_definition(card_definition());
        for (const char* name : {"w_employee", "w_card"})
            app.register_class(name, [this, name] {
                return std::make_unique<PrintedSheet>(
                    h, name, std::string(name) == "w_card" ? "d_card" : "d_demo");
            });
        ui.set_printer([this](const PrintJob& job, const std::string& path) {
            printed.push_back(job);
            rows.clear();
            for (int r = 1; r <= job.rows; ++r) rows.push_back(job.row(r));
            return path == "full.pdf" ? PrintOutcome{-1, "磁盘已满"} : PrintOutcome{1, ""};
        });
    }
    PrintedSheet& open(const char* name) {
        return dynamic_cast<PrintedSheet&>(*h.open_sheet(name, std::nullopt));
    }
    std::vector<const Prompt*> prompts(const std::string& kind) {
        std::vector<const Prompt*> out;
        for (const Prompt& p : ui.prompts())
            if (p.kind == kind) out.push_back(&p);
        return out;
    }

    testing_support::TempDir dir;
    ScriptedInteraction ui;
    Files files{dir / "drive_c"};
    Application app{ui, files};
    host::Host h{app};
    std::vector<PrintJob> printed;
    std::vector<std::vector<std::string>> rows;
};

TEST_F(HostPrintTest, TheListsPrintButtonPrintsItsRowsAsATable) {
    PrintedSheet& list = open("w_employee");
    DataWindow& dw = list.dw().data();
    for (auto [eid, name, flag] : {std::tuple{"E1", "张三", "1"}, {"E2", "李四", "0"}}) {
        const int r = dw.insertrow(0);
        dw.setitem(r, "eid", std::string(eid));
        dw.setitem(r, "ename", std::string(name));
        dw.setitem(r, "flag", std::string(flag));
    }
    ui.queue(Answer::file("list.pdf"));
    EXPECT_EQ(user::press(list.control_as<CommandButton>("cb_print")), InputResult::done);
    ASSERT_EQ(printed.size(), 1u);
    const PrintJob& job = printed[0];
    EXPECT_EQ(job.layout, PrintJob::Layout::table);
    EXPECT_EQ(job.title, "员工管理");
    EXPECT_EQ(job.titles, (std::vector<std::string>{"编号", "姓名", "状态"}));
    EXPECT_EQ(job.widths, (std::vector<int>{300, 300, 300}));
    EXPECT_EQ(job.window, &list);
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"E1", "张三", "在职"},
                                                           {"E2", "李四", "离职"}}));
    ASSERT_EQ(prompts("print").size(), 1u);
    EXPECT_EQ(prompts("print")[0]->answer, 1);
    EXPECT_EQ(prompts("print")[0]->rows, 2);
    EXPECT_TRUE(prompts("error").empty());
}

TEST_F(HostPrintTest, AFormPrintsItsRecordAsTypedAsACardWithItsPicture) {
    PrintedSheet& form = open("w_card");
    DataWindow& dw = form.dw().data();
    dw.insertrow(0);
    dw.setitem(1, "eid", std::string("E7"));
    dw.modify("p_1.filename='c:\\tempemployee.JPG'");
    ASSERT_EQ(user::place_cursor(form.dw(), 1, "ename"), InputResult::done);
    ASSERT_EQ(user::edit_text(form.dw(), "王五"), InputResult::done);  // not yet accepted
    ui.queue(Answer::file("card.pdf"));
    user::press(form.control_as<CommandButton>("cb_print"));
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].layout, PrintJob::Layout::card);
    EXPECT_EQ(printed[0].titles, (std::vector<std::string>{"员工编号：", "员工姓名："}));
    EXPECT_EQ(printed[0].picture, (dir / "drive_c" / "tempemployee.JPG").string());
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"E7", "王五"}}));
}

TEST_F(HostPrintTest, AFailureIsToldWithItsCauseACancelNotAtAll) {
    PrintedSheet& list = open("w_employee");
    ui.queue(Answer::file("full.pdf"));
    h.print_window(list);
    ASSERT_EQ(prompts("error").size(), 1u);
    EXPECT_EQ(prompts("error")[0]->text, "打印失败：磁盘已满");
    ui.queue(Answer::cancelled());
    EXPECT_EQ(h.print_window(list), 0);
    EXPECT_EQ(prompts("error").size(), 1u);
    EXPECT_EQ(prompts("print").back()->answer, 0);

    ScriptedInteraction no_printer;  // tarvo-script: nothing to print with
    no_printer.queue(Answer::file("x.pdf"));
    EXPECT_EQ(no_printer.print(PrintJob{}).result, -1);
}

TEST_F(HostPrintTest, TheMainWindowsMenuOpensPrintsArrangesAndCloses) {
    Window& main = h.w_main();
    EXPECT_EQ(user::menu(main, "文件/打印"), InputResult::done);  // no sheet yet
    ASSERT_EQ(prompts("info").size(), 1u);
    EXPECT_EQ(prompts("info")[0]->text, "没有打开的窗口可打印");

    EXPECT_EQ(user::menu(main, "文件/员工管理"), InputResult::done);
    Window* list = app.find_open("w_employee");
    ASSERT_NE(list, nullptr);
    open("w_card");
    EXPECT_EQ(main.active_sheet(), app.find_open("w_card"));
    EXPECT_EQ(user::menu(main, "文件(F)/员工管理(E)"), InputResult::done);  // brought forward
    EXPECT_EQ(app.sheets(main).size(), 2u);
    EXPECT_EQ(main.active_sheet(), list);
    EXPECT_EQ(user::menu(main, "窗口/员工信息"), InputResult::done);  // a listed sheet
    EXPECT_EQ(main.active_sheet(), app.find_open("w_card"));
    ui.queue(Answer::file("card.pdf"));
    user::menu(main, "文件/打印");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "员工信息");  // the sheet in front

    std::vector<Arrange> arranged;
    auto link = main.arrange_requested.connect([&](Arrange a) { arranged.push_back(a); });
    user::menu(main, "窗口/平铺");
    user::menu(main, "窗口/层叠");
    EXPECT_EQ(arranged, (std::vector<Arrange>{Arrange::tile, Arrange::cascade}));
    EXPECT_EQ(user::menu(main, "窗口/没有这个"), InputResult::disabled);
    EXPECT_EQ(user::menu(main, "文件"), InputResult::disabled);  // a menu, no item

    EXPECT_EQ(user::menu(main, "文件/退出"), InputResult::done);
    EXPECT_TRUE(app.windows().empty());
}

}  // namespace
