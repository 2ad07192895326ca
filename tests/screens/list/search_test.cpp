// The list's search through the boxes and the query button, on both databases.
#include "tests/screens/list/list_fixture.h"

namespace list_test {
namespace {

using Numbers = std::vector<std::string>;

class ListSearch : public ListTest {};

TEST_P(ListSearch, EmptyBoxesListEveryEmployeeInDescendingTextOrder) {
    const std::string saved = ls_sql();
    EXPECT_EQ(saved, grid().definition()->select);
    EXPECT_EQ(grid().rowcount(), 0);  // nothing until the first search

    search("", "   ");
    EXPECT_EQ(grid().getsqlselect(), saved + " where 1 = 1 order by eid desc");
    EXPECT_EQ(numbers(), (Numbers{"T\t9", "E12  ", "9", "12", "112", "10"}));  // 9 before 10
    EXPECT_EQ(grid().data().display_text(1, "compute_1"), "1");
    EXPECT_EQ(grid().data().display_text(6, "flag"), "离职");
    EXPECT_EQ(ls_sql(), saved);
    EXPECT_TRUE(prompts("db-error").empty());
}

TEST_P(ListSearch, NumberIsTrimmedOfBlanksButKeepsTabs) {
    search(" 12 ", "");
    EXPECT_EQ(grid().getsqlselect(),
              ls_sql() + " where 1 = 1 and employee.eid like'%12%' order by eid desc");
    EXPECT_EQ(numbers(), (Numbers{"E12  ", "12", "112"}));

    search(" \t9 ", "");
    EXPECT_EQ(grid().getsqlselect(),
              ls_sql() + " where 1 = 1 and employee.eid like'%\t9%' order by eid desc");
    EXPECT_EQ(numbers(), (Numbers{"T\t9"}));
}

TEST_P(ListSearch, SearchesDoNotAccumulateConditions) {
    search("1", "王");
    EXPECT_EQ(grid().getsqlselect(), ls_sql() +
                                         " where 1 = 1 and employee.eid like'%1%'"
                                         " and employee.ename like'%王%' order by eid desc");
    EXPECT_EQ(numbers(), (Numbers{"12"}));

    search("", "张");
    EXPECT_EQ(grid().getsqlselect(),
              ls_sql() + " where 1 = 1 and employee.ename like'%张%' order by eid desc");
    EXPECT_EQ(numbers(), (Numbers{"E12  ", "9"}));
}

TEST_P(ListSearch, ApostropheStaysInsideThePattern) {
    search("", "O'Brien");
    EXPECT_EQ(grid().getsqlselect(),
              ls_sql() + " where 1 = 1 and employee.ename like'%O''Brien%' order by eid desc");
    EXPECT_EQ(numbers(), (Numbers{"112"}));

    // Text shaped to widen the condition finds only what it literally names: nobody.
    search("' or '1'='1", "x' or 1=1 --");
    EXPECT_EQ(grid().rowcount(), 0);
    EXPECT_EQ(li_rowcount(), 0);
    EXPECT_TRUE(prompts("db-error").empty());
    EXPECT_EQ(other->query_all("SELECT count(*) FROM Employee").rows[0][0].to_string(), "6");
}

TEST_P(ListSearch, PercentAndUnderscoreKeepTheirLikeMeaning) {
    search("", "张%三");
    EXPECT_EQ(numbers(), (Numbers{"E12  ", "9"}));
    search("1_", "");
    EXPECT_EQ(numbers(), (Numbers{"E12  ", "12", "112", "10"}));
    search("%", "");
    EXPECT_EQ(grid().rowcount(), 6);
}

TEST_P(ListSearch, BackslashMatchesItselfOnEitherDatabase) {
    add({"77", "甲\\乙", "1"});
    search("", "\\");
    EXPECT_EQ(numbers(), (Numbers{"77"}));
    search("", "甲\\乙");
    EXPECT_EQ(numbers(), (Numbers{"77"}));
}

TEST_P(ListSearch, SearchHighlightsTheFirstRowAndSetsTheCounters) {
    search("1", "");
    EXPECT_EQ(li_currow(), 1);
    EXPECT_EQ(li_rowcount(), 4);
    EXPECT_EQ(selected_rows(), std::vector<int>{1});
    EXPECT_EQ(grid().getrow(), 1);
    EXPECT_TRUE(grid().has_focus());

    search("nobody", "");
    EXPECT_EQ(grid().rowcount(), 0);
    EXPECT_EQ(li_currow(), 1);
    EXPECT_EQ(li_rowcount(), 0);
    EXPECT_TRUE(ui.prompts().empty());  // finding nothing is no message
}

INSTANTIATE_TEST_SUITE_P(Backends, ListSearch,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace list_test
