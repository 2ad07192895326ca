// A sheet built the way the screens build theirs, on the host objects and d_employee,
// driven by a script: the grid shows code-table texts and row numbers, a title click
// sorts, Esc closes through the host button. On SQLite and PostgreSQL.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/runtime/script_driver.h"
#include "schema/schema.h"
#include "screens/host/host.h"
#include "screens/host/uo_dwtitlesort.h"
#include "screens/host/uo_xpbutton.h"
#include "screens/host/w_mysheet.h"
#include "tests/screens/support/screens.h"
#include "tests/support/test_db.h"

namespace {

using namespace runtime;

struct Grid : host::uo_dwtitlesort {
    Grid(host::Host& h) : uo_dwtitlesort("dw_1"), host(h) {}
    int constructor() override {
        uo_dwtitlesort::constructor();
        settransobject(&host.sqlca);
        return 0;
    }
    host::Host& host;
};

struct Exit : host::uo_xpbutton {
    Exit() : uo_xpbutton("cb_5") {}
    int clicked() override {
        uo_xpbutton::clicked();
        parent_window().request_close();
        return 0;
    }
};

struct Sheet : host::w_mysheet {
    explicit Sheet(host::Host& h) : w_mysheet(h, "w_grid") {}
    int create() override {
        w_mysheet::create();
        set_title("员工管理");
        auto& dw = add_control<Grid>(host());
        dw.set_dataobject("D_EMPLOYEE");
        auto& exit = add_control<Exit>();
        exit.set_text("退出(&E)");
        exit.set_cancel(true);
        return 0;
    }
    int open() override {
        w_mysheet::open();
        control_as<Grid>("dw_1").retrieve();
        return 0;
    }
};

class ScriptedGridTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        observer = database.connect();
        schema::create(*observer);
        observer->execute(
            "INSERT INTO employee (eid, ename, flag) VALUES ('E1', '张三', '1'), "
            "('E2', '李四', '0'), ('E3', '王五', NULL)");
        ASSERT_EQ(h.sqlca.connect(database.url()), 0);
        library = testing_support::load_screens(h);  // d_employee comes with it
        h.register_classes();
        app.register_class("w_grid", [this] { return std::make_unique<Sheet>(h); });
        driver.set_database(observer.get());
        driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
            return h.open_sheet(name, std::move(parm));
        });
    }
    std::vector<std::string> run(const std::string& script) {
        std::istringstream in(script);
        EXPECT_EQ(driver.run(in), 0) << out.str();
        std::vector<std::string> lines;
        std::istringstream t(out.str());
        for (std::string l; std::getline(t, l);) lines.push_back(l);
        return lines;
    }
    // The `rows` array of a rows line, which is its last field.
    static std::string rows_of(const std::string& line) {
        return line.substr(line.find("\"rows\":"));
    }

    testing_support::TestDatabase database{GetParam()};
    testing_support::TempDir dir;
    std::unique_ptr<db::Connection> observer;
    ScriptedInteraction ui;
    Files files{dir / "drive_c"};
    Application app{ui, files};
    host::Host h{app};
    std::unique_ptr<host::ScreenLibrary> library;
    std::ostringstream out;
    ScriptDriver driver{app, ui, out};
};

TEST_P(ScriptedGridTest, TitleClicksSortTheGridAndEscClosesTheSheet) {
    auto t = run(R"(
open w_grid
rows dw_1
clickrow dw_1 0 ename_t
rows dw_1
clickrow dw_1 0 ename_t
rows dw_1
key dw_1 esc
windows
)");
    ASSERT_EQ(t.size(), 7u) << out.str();
    EXPECT_NE(t[0].find(R"("window":"w_main")"), std::string::npos);
    EXPECT_NE(t[1].find(R"("window":"w_grid")"), std::string::npos);
    // As retrieved: row numbers and the code-table text of flag; a null flag shows empty.
    for (const char* cell : {R"("1","E1","张三")", R"("2","E2","李四")", R"("3","E3","王五")",
                             R"("在职"])", R"("离职"])", R"("")"})
        EXPECT_NE(t[2].find(cell), std::string::npos) << cell << "\n" << t[2];
    // Ascending by name in code page 936 order, row numbers renumbered.
    const std::string up = rows_of(t[3]);
    EXPECT_LT(up.find("李四"), up.find("王五"));
    EXPECT_LT(up.find("王五"), up.find("张三"));
    EXPECT_NE(up.find(R"("1","E2","李四")"), std::string::npos) << up;
    const std::string down = rows_of(t[4]);
    EXPECT_LT(down.find("张三"), down.find("王五"));
    EXPECT_LT(down.find("王五"), down.find("李四"));
    EXPECT_EQ(t[5], R"({"event":"close","window":"w_grid"})");
    EXPECT_EQ(t[6], R"({"event":"windows","windows":["w_main"],"current":"w_main"})");
}

INSTANTIATE_TEST_SUITE_P(Backends, ScriptedGridTest,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
