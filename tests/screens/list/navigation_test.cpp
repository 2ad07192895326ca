// Row selection, the arrow keys, Enter, double click, the modify, add and exit buttons, and
// the vanished employee, through user actions on both databases.
#include "platform/runtime/datawindow/data_window.h"
#include "tests/screens/list/list_fixture.h"

namespace list_test {
namespace {

using runtime::key::kDown;
using runtime::key::kEnter;
using runtime::key::kUp;

// Records the grid's highlight and current-row changes in order.
struct HighlightLog {
    explicit HighlightLog(runtime::DataWindow& dw) {
        links += dw.selection_changed.connect(
            [this](int row) { events.push_back("select " + std::to_string(row)); });
        links += dw.current_changed.connect(
            [this](int row, int) { events.push_back("current " + std::to_string(row)); });
    }
    std::vector<std::string> events;
    runtime::SignalLinks links;
};

class ListNavigation : public ListTest {
  protected:
    void press_key(int key) { runtime::user::key(*w, key); }
    void expect_form_request(const std::string& parameter) {
        auto requests = form_requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].parameter, parameter);
        EXPECT_EQ(requests[0].frame, "w_main");
        EXPECT_EQ(requests[0].menu_position, 3);
        EXPECT_EQ(requests[0].arrangement, 2);
    }
};

TEST_P(ListNavigation, KeysBeforeAnySearch) {
    EXPECT_EQ(li_currow(), 0);
    EXPECT_EQ(li_rowcount(), 0);
    grid().setfocus();
    press_key(kDown);
    press_key(kEnter);
    EXPECT_EQ(li_currow(), 0);
    press_key(kUp);
    EXPECT_EQ(li_currow(), 1);
    press("cb_4");  // modify with no current row
    EXPECT_TRUE(form_requests().empty());
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_P(ListNavigation, KeysAfterASearchThatFoundNothing) {
    search("nobody", "");
    press_key(kDown);
    press_key(kEnter);
    press_key(kUp);
    EXPECT_EQ(li_currow(), 1);
    EXPECT_EQ(li_rowcount(), 0);
    EXPECT_TRUE(form_requests().empty());
}

TEST_P(ListNavigation, ArrowKeysStopAtBothEnds) {
    search("1", "");  // E12, 12, 112, 10
    HighlightLog log(grid().data());
    press_key(kUp);  // already on row 1: no scrolling, no highlighting
    EXPECT_EQ(li_currow(), 1);
    EXPECT_TRUE(log.events.empty());

    press_key(kDown);
    EXPECT_EQ(log.events, (std::vector<std::string>{"current 2", "select 0", "select 2"}));
    press_key(kDown);
    press_key(kDown);
    EXPECT_EQ(li_currow(), 4);
    EXPECT_EQ(selected_rows(), std::vector<int>{4});
    log.events.clear();
    press_key(kDown);  // on the last row
    EXPECT_EQ(li_currow(), 4);
    EXPECT_TRUE(log.events.empty());

    press_key(kUp);
    EXPECT_EQ(li_currow(), 3);
    EXPECT_EQ(selected_rows(), std::vector<int>{3});
    EXPECT_EQ(grid().getrow(), 3);
    EXPECT_EQ(li_rowcount(), 4);
}

TEST_P(ListNavigation, PageHomeAndEndKeysMoveLikeThatManyArrowKeys) {
    for (int i = 0; i < 34; ++i)  // 40 employees: P00 to P33 after the six
        add({("P" + std::string(i < 10 ? "0" : "") + std::to_string(i)).c_str(), "翻页", "1"});
    search("", "");
    const int page = grid().page_rows();
    EXPECT_EQ(page, 16);  // as many whole rows as the grid's 394 pixels show
    HighlightLog log(grid().data());
    press_key(runtime::key::kPageDown);
    EXPECT_EQ(li_currow(), 1 + page);
    // Scrolled first, then highlighted, as the arrow keys do.
    EXPECT_EQ(log.events, (std::vector<std::string>{"current 17", "select 0", "select 17"}));
    press_key(runtime::key::kPageDown);
    press_key(runtime::key::kPageDown);  // stops on the last row, not past it
    EXPECT_EQ(li_currow(), 40);
    EXPECT_EQ(selected_rows(), std::vector<int>{40});
    log.events.clear();
    press_key(runtime::key::kPageDown);
    press_key(runtime::key::kEnd);
    EXPECT_TRUE(log.events.empty());  // already there: nothing scrolls or highlights

    press_key(runtime::key::kPageUp);
    EXPECT_EQ(li_currow(), 40 - page);
    runtime::user::key(*w, runtime::key::kHome, runtime::key::kControl);
    EXPECT_EQ(li_currow(), 1);
    EXPECT_EQ(selected_rows(), std::vector<int>{1});
    EXPECT_EQ(grid().getrow(), 1);
    log.events.clear();
    press_key(runtime::key::kPageUp);
    EXPECT_TRUE(log.events.empty());  // on row 1, as Up there

    runtime::user::key(*w, runtime::key::kEnd, runtime::key::kControl);
    EXPECT_EQ(li_currow(), 40);
    EXPECT_EQ(li_rowcount(), 40);
    press_key(kEnter);  // Enter opens the row the keys reached
    expect_form_request(grid().getitemstring(40, "eid").value());
}

TEST_P(ListNavigation, PageKeysBeforeAnySearchOrOnAnEmptyList) {
    grid().setfocus();
    press_key(runtime::key::kPageDown);
    press_key(runtime::key::kEnd);
    EXPECT_EQ(li_currow(), 0);
    press_key(runtime::key::kHome);  // as Up: row 1, nothing highlighted
    EXPECT_EQ(li_currow(), 1);
    search("nobody", "");
    press_key(runtime::key::kEnd);
    press_key(runtime::key::kPageUp);
    EXPECT_EQ(li_currow(), 1);
    EXPECT_EQ(li_rowcount(), 0);
}

TEST_P(ListNavigation, TabLeavesTheGridForTheNextControlInTabOrder) {
    search("", "");
    ASSERT_TRUE(grid().has_focus());
    runtime::user::key(*w, runtime::key::kTab);
    EXPECT_TRUE(edit("sle_name").has_focus());  // the grid has no field in the tab order
    runtime::user::key(*w, runtime::key::kTab, runtime::key::kShift);
    runtime::user::key(*w, runtime::key::kTab, runtime::key::kShift);
    EXPECT_TRUE(edit("sle_id").has_focus());
    EXPECT_EQ(li_currow(), 1);
}

TEST_P(ListNavigation, ClickHighlightsThenScrolls) {
    search("", "");
    HighlightLog log(grid().data());
    grid().trigger_clicked(0, 0, 3, "eid");
    EXPECT_EQ(log.events, (std::vector<std::string>{"select 0", "select 3", "current 3"}));
    EXPECT_EQ(li_currow(), 3);

    log.events.clear();
    click_row(0, "eid_t");  // a header click sorts; the list's handler stops
    EXPECT_EQ(li_currow(), 3);
    EXPECT_EQ(li_rowcount(), 6);

    click_row(5, "ename");
    EXPECT_EQ(li_currow(), 5);
    EXPECT_EQ(selected_rows(), std::vector<int>{5});
    press_key(kDown);
    EXPECT_EQ(li_currow(), 6);
}

TEST_P(ListNavigation, EnterOpensTheClickedEmployeeWithItsUntrimmedNumber) {
    search("", "");
    click_row(2, "eid");  // "E12  ", stored with trailing blanks
    grid().setfocus();
    press_key(kEnter);
    expect_form_request("E12  ");
    EXPECT_EQ(open_form_number(), "E12  ");
    EXPECT_TRUE(prompts("info").empty());
}

TEST_P(ListNavigation, DoubleClickOpensTheEmployee) {
    search("12", "");
    double_click_row(1, "ename");
    expect_form_request("E12  ");
    EXPECT_EQ(open_form_number(), "E12  ");
    EXPECT_EQ(li_currow(), 1);
    double_click_row(0, "eid_t");  // on the header: nothing opens
    EXPECT_EQ(form_requests().size(), 1u);
}

TEST_P(ListNavigation, ModifyOpensTheCurrentRowAndAddOpensANewOne) {
    press("cb_3");  // even with the list empty
    EXPECT_EQ(open_form_number(), "(null)");
    search("", "");
    click_row(4, "eid");
    press("cb_4");
    auto requests = form_requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].parameter, "new");
    EXPECT_EQ(requests[0].menu_position, 3);
    EXPECT_EQ(requests[0].arrangement, 2);
    EXPECT_EQ(requests[1].parameter, "12");
    EXPECT_EQ(open_form_number(), "12");
    EXPECT_EQ(app.sheets(h.w_main()).size(), 3u);  // the list and two forms
}

TEST_P(ListNavigation, VanishedEmployeeIsReportedAndTheLastSearchRefilled) {
    search("1", "");  // E12, 12, 112, 10
    click_row(4, "eid");
    other->execute("DELETE FROM Employee WHERE eid IN ('12', '10')");

    double_click_row(2, "eid");  // "12"
    auto info = prompts("info");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].text, "该员工不存在，请重新刷新数据");
    EXPECT_TRUE(form_requests().empty());
    EXPECT_EQ(open_form_number(), "(no form)");
    EXPECT_EQ(numbers(), (std::vector<std::string>{"E12  ", "112"}));  // the last search again
    EXPECT_EQ(li_rowcount(), 4);                                       // the counters stay
    EXPECT_EQ(li_currow(), 2);

    // li_currow now points past the last row: Enter finds no number and does nothing.
    click_row(2, "eid");
    runtime::user::key(*w, kDown);
    runtime::user::key(*w, kDown);
    EXPECT_EQ(li_currow(), 4);
    runtime::user::key(*w, kEnter);
    EXPECT_EQ(prompts("info").size(), 1u);
    EXPECT_TRUE(form_requests().empty());
}

TEST_P(ListNavigation, ExitButtonAndEscCloseTheList) {
    // What the window holds when it has closed, before it is freed.
    std::vector<std::string> left;
    auto link = app.window_closed.connect([&](runtime::Window& closed) {
        for (auto* c : closed.controls()) left.push_back(c->name());
    });
    bool freed = false;
    auto freed_link = w->destroyed.connect([&] { freed = true; });
    press("cb_5");
    EXPECT_EQ(app.find_open("w_employee"), nullptr);
    // The ten are destroyed; the ancestor's remains. The window is freed after the press.
    EXPECT_EQ(left, std::vector<std::string>{"cb_login"});
    EXPECT_TRUE(freed);
    w = nullptr;

    auto* again = app.open_sheet("w_employee", h.w_main(), std::nullopt, 0, 0);
    ASSERT_NE(again, nullptr);
    runtime::user::key(*again, runtime::key::kEscape);
    EXPECT_EQ(app.find_open("w_employee"), nullptr);
    EXPECT_NE(app.find_open("w_main"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, ListNavigation,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace list_test
