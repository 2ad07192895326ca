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
struct HighlightLog : runtime::DataWindowObserver {
    std::vector<std::string> events;
    void selection_changed(int row) override { events.push_back("select " + std::to_string(row)); }
    void current_changed(int row, int) override {
        events.push_back("current " + std::to_string(row));
    }
};

class ListNavigation : public ListTest {
  protected:
    void press_key(int key) { w->key_down(key); }
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
    EXPECT_EQ(w->li_currow(), 0);
    EXPECT_EQ(w->li_rowcount(), 0);
    grid().setfocus();
    press_key(kDown);
    press_key(kEnter);
    EXPECT_EQ(w->li_currow(), 0);
    press_key(kUp);
    EXPECT_EQ(w->li_currow(), 1);
    button("cb_4").press();  // modify with no current row
    EXPECT_TRUE(form_requests().empty());
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_P(ListNavigation, KeysAfterASearchThatFoundNothing) {
    search("nobody", "");
    press_key(kDown);
    press_key(kEnter);
    press_key(kUp);
    EXPECT_EQ(w->li_currow(), 1);
    EXPECT_EQ(w->li_rowcount(), 0);
    EXPECT_TRUE(form_requests().empty());
}

TEST_P(ListNavigation, ArrowKeysStopAtBothEnds) {
    search("1", "");  // E12, 12, 112, 10
    HighlightLog log;
    grid().add_observer(&log);
    press_key(kUp);  // already on row 1: no scrolling, no highlighting
    EXPECT_EQ(w->li_currow(), 1);
    EXPECT_TRUE(log.events.empty());

    press_key(kDown);
    EXPECT_EQ(log.events, (std::vector<std::string>{"current 2", "select 0", "select 2"}));
    press_key(kDown);
    press_key(kDown);
    EXPECT_EQ(w->li_currow(), 4);
    EXPECT_EQ(selected_rows(), std::vector<int>{4});
    log.events.clear();
    press_key(kDown);  // on the last row
    EXPECT_EQ(w->li_currow(), 4);
    EXPECT_TRUE(log.events.empty());

    press_key(kUp);
    EXPECT_EQ(w->li_currow(), 3);
    EXPECT_EQ(selected_rows(), std::vector<int>{3});
    EXPECT_EQ(grid().getrow(), 3);
    EXPECT_EQ(w->li_rowcount(), 4);
    grid().remove_observer(&log);
}

TEST_P(ListNavigation, ClickHighlightsThenScrolls) {
    search("", "");
    HighlightLog log;
    grid().add_observer(&log);
    grid().trigger_clicked(0, 0, 3, "eid");
    EXPECT_EQ(log.events, (std::vector<std::string>{"select 0", "select 3", "current 3"}));
    EXPECT_EQ(w->li_currow(), 3);

    log.events.clear();
    grid().user_click(0, "eid_t");  // a header click sorts; the list's handler stops
    EXPECT_EQ(w->li_currow(), 3);
    EXPECT_EQ(w->li_rowcount(), 6);
    grid().remove_observer(&log);

    grid().user_click(5, "ename");
    EXPECT_EQ(w->li_currow(), 5);
    EXPECT_EQ(selected_rows(), std::vector<int>{5});
    press_key(kDown);
    EXPECT_EQ(w->li_currow(), 6);
}

TEST_P(ListNavigation, EnterOpensTheClickedEmployeeWithItsUntrimmedNumber) {
    search("", "");
    grid().user_click(2, "eid");  // "E12  ", stored with trailing blanks
    grid().setfocus();
    press_key(kEnter);
    expect_form_request("E12  ");
    EXPECT_EQ(open_form_number(), "E12  ");
    EXPECT_TRUE(prompts("info").empty());
}

TEST_P(ListNavigation, DoubleClickOpensTheEmployee) {
    search("12", "");
    grid().user_doubleclick(1, "ename");
    expect_form_request("E12  ");
    EXPECT_EQ(open_form_number(), "E12  ");
    EXPECT_EQ(w->li_currow(), 1);
    grid().user_doubleclick(0, "eid_t");  // on the header: nothing opens
    EXPECT_EQ(form_requests().size(), 1u);
}

TEST_P(ListNavigation, ModifyOpensTheCurrentRowAndAddOpensANewOne) {
    button("cb_3").press();  // even with the list empty
    EXPECT_EQ(open_form_number(), "(null)");
    search("", "");
    grid().user_click(4, "eid");
    button("cb_4").press();
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
    grid().user_click(4, "eid");
    other->execute("DELETE FROM Employee WHERE eid IN ('12', '10')");

    grid().user_doubleclick(2, "eid");  // "12"
    auto info = prompts("info");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].text, "该员工不存在，请重新刷新数据");
    EXPECT_TRUE(form_requests().empty());
    EXPECT_EQ(open_form_number(), "(no form)");
    EXPECT_EQ(numbers(), (std::vector<std::string>{"E12  ", "112"}));  // the last search again
    EXPECT_EQ(w->li_rowcount(), 4);                                    // the counters stay
    EXPECT_EQ(w->li_currow(), 2);

    // li_currow now points past the last row: Enter finds no number and does nothing.
    grid().user_click(2, "eid");
    w->key_down(kDown);
    w->key_down(kDown);
    EXPECT_EQ(w->li_currow(), 4);
    w->key_down(kEnter);
    EXPECT_EQ(prompts("info").size(), 1u);
    EXPECT_TRUE(form_requests().empty());
}

TEST_P(ListNavigation, ExitButtonAndEscCloseTheList) {
    button("cb_5").press();
    EXPECT_EQ(app.find_open("w_employee"), nullptr);
    ASSERT_EQ(w->controls().size(), 1u);  // the ten are destroyed; the ancestor's remains
    EXPECT_EQ(w->controls()[0]->name(), "cb_login");

    auto* again = app.open_sheet("w_employee", h.w_main(), std::nullopt, 0, 0);
    ASSERT_NE(again, nullptr);
    again->key_down(runtime::key::kEscape);
    EXPECT_EQ(app.find_open("w_employee"), nullptr);
    EXPECT_NE(app.find_open("w_main"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, ListNavigation,
                         ::testing::ValuesIn(testing_support::backend_names()));

}  // namespace
}  // namespace list_test
