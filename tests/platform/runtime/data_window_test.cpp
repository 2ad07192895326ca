// The data window's buffers without a database: rows, statuses, current row, selection,
// pending edits and their validation, code tables, properties and change notification.
#include "platform/runtime/datawindow/data_window.h"

#include <gtest/gtest.h>

#include "platform/runtime/datawindow/row_buffer.h"

namespace {

using runtime::DataWindow;
using runtime::RowStatus;

runtime::ColumnDef column(const char* name, int limit) {
    runtime::ColumnDef c;
    c.name = name;
    c.byte_limit = limit;
    return c;
}

runtime::ObjectDef object(runtime::ObjectKind kind, const std::string& name) {
    runtime::ObjectDef o;
    o.kind = kind;
    o.name = name;
    return o;
}

std::shared_ptr<runtime::Definition> people() {
    auto def = std::make_shared<runtime::Definition>();
    def->name = "d_people";
    def->style = runtime::PresentationStyle::freeform;
    runtime::ColumnDef born = column("born", 0);
    born.type = runtime::ColumnType::datetime;
    born.edit_style = runtime::EditStyle::edit_mask;
    born.edit_mask = "yyyy-mm-dd";
    born.format = "[shortdate] [time]";
    runtime::ColumnDef flag = column("flag", 1);
    flag.edit_style = runtime::EditStyle::code_table_dropdown;
    flag.code_table = {{"在职", "1"}, {"离职", "0"}};
    def->columns = {column("id", 6), column("name", 10), born, flag};
    int tab = 10;
    for (const auto& c : def->columns) {
        def->objects.push_back(object(runtime::ObjectKind::column, c.name));
        def->objects.back().tab_order = tab;
        tab += 10;
    }
    def->objects.push_back(object(runtime::ObjectKind::picture, "p_1"));
    def->objects.push_back(object(runtime::ObjectKind::compute, "compute_1"));
    def->objects.back().expression = "getrow()";
    def->select = "SELECT id, name, born, flag FROM people";
    def->update = {"people", {"id"}, {"id", "name", "born", "flag"}};
    return def;
}

// Records what the data window announces, while it lives.
struct Recorder {
    explicit Recorder(DataWindow& dw) {
        links += dw.about_to_reset.connect([this] { events.push_back("about to reset"); });
        links += dw.reset_done.connect([this] { events.push_back("reset"); });
        links += dw.rows_about_to_be_inserted.connect(
            [this](int row, int n) { add("inserting", row, n); });
        links += dw.rows_inserted.connect([this](int row, int n) { add("inserted", row, n); });
        links += dw.rows_about_to_be_removed.connect(
            [this](int row, int n) { add("removing", row, n); });
        links += dw.rows_removed.connect([this](int row, int n) { add("removed", row, n); });
        links += dw.layout_about_to_change.connect([this] { events.push_back("sorting"); });
        links += dw.layout_changed.connect([this](const std::vector<int>& moved) {
            std::string line = "sorted";
            for (std::size_t i = 1; i < moved.size(); ++i) line += " " + std::to_string(moved[i]);
            events.push_back(line);
        });
        links += dw.item_changed.connect([this](int row, int col) { add("item", row, col); });
        links += dw.selection_changed.connect([this](int row) { add("selection", row); });
        links += dw.current_changed.connect([this](int row, int col) { add("current", row, col); });
        links += dw.focus_changed.connect([this](bool on) { add("focus", on); });
        links += dw.property_changed.connect([this](const std::string& o, const std::string& p) {
            events.push_back("property " + o + "." + p);
        });
    }
    void add(const std::string& what, int a, int b = -1) {
        events.push_back(what + " " + std::to_string(a) + (b >= 0 ? " " + std::to_string(b) : ""));
    }
    std::vector<std::string> events;
    runtime::SignalLinks links;
};

class DataWindowBuffers : public ::testing::Test {
  protected:
    void SetUp() override {
        dw.set_itemerror_handler([this](const runtime::ItemError& e) { errors.push_back(e); });
    }
    DataWindow dw{people()};
    std::vector<runtime::ItemError> errors;
};

TEST_F(DataWindowBuffers, InsertedRowsStartNullAndCountOnlyOnceSet) {
    EXPECT_EQ(dw.getrow(), 0);
    EXPECT_EQ(dw.insertrow(0), 1);
    EXPECT_EQ(dw.getrow(), 1);  // the first row becomes current
    EXPECT_EQ(dw.insertrow(0), 2);
    EXPECT_EQ(dw.insertrow(1), 1);  // before row 1; the current row moves down with its row
    EXPECT_EQ(dw.getrow(), 2);
    EXPECT_EQ(dw.rowcount(), 3);
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(dw.getitemstring(r, "name"), std::nullopt);
        EXPECT_EQ(dw.getitemstatus(r), RowStatus::new_row);
    }
    EXPECT_EQ(dw.modifiedcount(), 0);
    EXPECT_EQ(dw.setitem(2, "NAME", std::string("张三")), 1);  // names ignore case
    EXPECT_EQ(dw.getitemstatus(2), RowStatus::new_modified);
    EXPECT_EQ(dw.modifiedcount(), 1);
    EXPECT_EQ(dw.getitemstring(2, "name"), "张三");
    EXPECT_EQ(dw.getitemstring(2, 2), "张三");

    // New rows leave nothing to delete.
    EXPECT_EQ(dw.deleterow(2), 1);
    EXPECT_EQ(dw.deletedcount(), 0);
    EXPECT_EQ(dw.modifiedcount(), 0);
    EXPECT_EQ(dw.rowcount(), 2);
}

TEST_F(DataWindowBuffers, RowNumbersThatDenoteNoRowChangeNothing) {
    dw.insertrow(0);
    dw.setitem(1, "name", std::string("甲"));
    Recorder rec(dw);
    for (int bad : {-1, 0, 2, 100}) {
        EXPECT_EQ(dw.getitemstring(bad, "name"), std::nullopt) << bad;
        EXPECT_EQ(dw.display_text(bad, "compute_1"), std::nullopt) << bad;
        EXPECT_EQ(dw.setitem(bad, "name", std::string("乙")), -1) << bad;
        EXPECT_EQ(dw.deleterow(bad), -1) << bad;
        EXPECT_EQ(dw.scrolltorow(bad), -1) << bad;
        EXPECT_FALSE(dw.isselected(bad)) << bad;
        EXPECT_EQ(dw.getitemstatus(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(dw.insertrow(5), -1);
    EXPECT_EQ(dw.selectrow(3, true), -1);
    EXPECT_EQ(dw.setitem(1, "nope", std::string("x")), -1);
    EXPECT_EQ(dw.getitemstring(1, "nope"), std::nullopt);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(dw.rowcount(), 1);
    EXPECT_EQ(dw.getrow(), 1);
    EXPECT_EQ(dw.getitemstring(1, "name"), "甲");
}

TEST_F(DataWindowBuffers, SelectionCurrentRowAndFocusAreObservable) {
    for (int i = 0; i < 3; ++i) dw.insertrow(0);
    Recorder rec(dw);
    dw.selectrow(0, true);
    EXPECT_TRUE(dw.isselected(1) && dw.isselected(2) && dw.isselected(3));
    dw.selectrow(0, false);
    dw.selectrow(2, true);
    EXPECT_FALSE(dw.isselected(1));
    EXPECT_TRUE(dw.isselected(2));
    EXPECT_EQ(dw.scrolltorow(3), 1);
    EXPECT_EQ(dw.getrow(), 3);
    dw.setfocus();
    EXPECT_TRUE(dw.has_focus());
    EXPECT_EQ(rec.events, (std::vector<std::string>{"selection 0", "selection 0", "selection 2",
                                                    "current 3 1", "focus 1"}));
    // Deleting the current last row makes the row above current.
    rec.events.clear();
    dw.deleterow(3);
    EXPECT_EQ(dw.getrow(), 2);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"removing 3 1", "removed 3 1", "current 2 1"}));
    rec.links.clear();
    dw.reset();
    EXPECT_EQ(dw.getrow(), 0);
    EXPECT_EQ(rec.events.size(), 3u);  // a recorder disconnected hears nothing more
}

TEST_F(DataWindowBuffers, PendingEditBecomesTheValueOnlyWhenAccepted) {
    dw.insertrow(0);
    ASSERT_EQ(dw.setcolumn("name"), 1);
    EXPECT_EQ(dw.getcolumn(), 2);
    Recorder rec(dw);
    EXPECT_EQ(dw.settext("李四"), 1);
    EXPECT_TRUE(dw.edit_pending());
    EXPECT_EQ(dw.gettext(), "李四");
    EXPECT_EQ(dw.getitemstring(1, "name"), std::nullopt);
    EXPECT_EQ(dw.modifiedcount(), 0);  // counts ignore what is still being typed

    dw.setfocus();
    dw.killfocus();  // focus leaves the field: the edit is accepted
    EXPECT_FALSE(dw.edit_pending());
    EXPECT_EQ(dw.getitemstring(1, "name"), "李四");
    EXPECT_EQ(dw.modifiedcount(), 1);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"focus 1", "item 1 2", "focus 0"}));
    rec.links.clear();

    // Leaving a field as it was changes nothing.
    dw.settext("李四");
    EXPECT_EQ(dw.accepttext(), 1);
    dw.discardtext();
    // Moving to another column accepts the edit first.
    dw.settext("王五");
    EXPECT_EQ(dw.setcolumn("id"), 1);
    EXPECT_EQ(dw.getitemstring(1, "name"), "王五");
    // A discarded edit leaves the value.
    dw.settext("E1");
    dw.discardtext();
    EXPECT_EQ(dw.getitemstring(1, "id"), std::nullopt);
    EXPECT_TRUE(errors.empty());
}

TEST_F(DataWindowBuffers, TypingPastTheByteLimitIsRefusedAsItIsTyped) {
    dw.insertrow(0);
    dw.setcolumn("name");                   // 10 bytes
    EXPECT_EQ(dw.settext("五个汉字a"), 1);  // 9 bytes
    EXPECT_EQ(dw.check_typing("五个汉字ab"), std::nullopt);
    EXPECT_EQ(dw.settext("五个汉字ab"), 1);  // 10 bytes fit
    const auto refusal = dw.check_typing("五个汉字ab汉");
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("最多 10 个字节"), std::string::npos) << *refusal;
    EXPECT_EQ(dw.settext("五个汉字ab汉"), -1);  // bytes 11 and 12 are refused
    EXPECT_EQ(dw.gettext(), "五个汉字ab");      // what was typed before stays
    EXPECT_EQ(dw.settext("五个汉字abc"), -1);
    EXPECT_EQ(dw.accepttext(), 1);
    EXPECT_EQ(dw.getitemstring(1, "name"), "五个汉字ab");
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(dw.setitem(1, "id", std::string("1234567")), -1);  // scripts are held to it too
    EXPECT_EQ(dw.setitem(1, "id", std::string("123456")), 1);
}

TEST_F(DataWindowBuffers, DatesGoThroughTheMaskAndMustExist) {
    dw.insertrow(0);
    dw.setcolumn("born");
    dw.settext("1990-02-28");
    EXPECT_EQ(dw.accepttext(), 1);
    EXPECT_EQ(dw.getitemstring(1, "born"), "1990-02-28 00:00:00");
    EXPECT_EQ(dw.display_text(1, "born"), "1990-02-28 00:00:00");
    EXPECT_EQ(dw.gettext(), "1990-02-28");
    auto dt = dw.getitemdatetime(1, "born");
    ASSERT_TRUE(dt);
    EXPECT_EQ(dt->month, 2);

    for (const char* bad : {"2026-02-30", "1990-13-01", "1990-2-28", "19900228", "abc"}) {
        errors.clear();
        dw.settext(bad);
        EXPECT_EQ(dw.accepttext(), -1) << bad;
        ASSERT_EQ(errors.size(), 1u) << bad;
        EXPECT_EQ(errors[0].message, std::string("日期无效：") + bad);
        // A refused edit holds the current cell until it is corrected.
        EXPECT_EQ(dw.setcolumn("name"), -1);
        EXPECT_EQ(dw.getcolumnname(), "born");
        dw.discardtext();
    }
    EXPECT_EQ(dw.settext("1990-02-280"), -1);  // longer than the mask
    EXPECT_EQ(dw.getitemstring(1, "born"), "1990-02-28 00:00:00");
    dw.settext("2024-02-29");
    EXPECT_EQ(dw.accepttext(), 1);
    dw.settext("");  // an emptied date is null
    EXPECT_EQ(dw.accepttext(), 1);
    EXPECT_EQ(dw.getitemstring(1, "born"), std::nullopt);
    dw.settext("2000-01-01");
    dw.accepttext();
    dw.settext("____-__-__");  // a mask left blank
    EXPECT_EQ(dw.accepttext(), 1);
    EXPECT_EQ(dw.getitemstring(1, "born"), std::nullopt);
    EXPECT_EQ(dw.display_text(1, "born"), "");
    EXPECT_EQ(dw.setitem(1, "born", std::string("2026-02-30")), -1);
    EXPECT_EQ(dw.setitem(1, "born", db::DateTime{2026, 2, 30}), -1);
}

TEST_F(DataWindowBuffers, CodeTablesWorkBothWays) {
    dw.insertrow(0);
    dw.setitem(1, "flag", std::string("0"));
    EXPECT_EQ(dw.display_text(1, "flag"), "离职");
    dw.setcolumn("flag");
    EXPECT_EQ(dw.gettext(), "离职");
    dw.settext("在职");
    EXPECT_EQ(dw.accepttext(), 1);
    EXPECT_EQ(dw.getitemstring(1, "flag"), "1");
    EXPECT_EQ(dw.display_text(1, "flag"), "在职");

    dw.settext("退休");  // not an entry
    EXPECT_EQ(dw.accepttext(), -1);
    EXPECT_EQ(errors.at(0).message, "无效的选项：退休");
    dw.discardtext();
    EXPECT_EQ(dw.getitemstring(1, "flag"), "1");

    dw.setitem(1, "flag", std::string("9"));  // stored, matching no entry: shown as stored
    EXPECT_EQ(dw.display_text(1, "flag"), "9");
    dw.setitem(1, "flag", std::nullopt);
    EXPECT_EQ(dw.display_text(1, "flag"), "");
    EXPECT_EQ(dw.display_text(1, "compute_1"), "1");
}

TEST_F(DataWindowBuffers, ReadOnlyRefusesEditsAndIsDescribed) {
    dw.insertrow(0);
    dw.setcolumn("name");
    Recorder rec(dw);
    EXPECT_EQ(dw.describe("datawindow.readonly"), "no");
    EXPECT_EQ(dw.modify("datawindow.readonly=yes"), "");
    EXPECT_EQ(dw.describe("DataWindow.ReadOnly"), "yes");
    EXPECT_EQ(dw.settext("x"), -1);
    EXPECT_EQ(dw.getitemstring(1, "name"), std::nullopt);
    EXPECT_EQ(dw.modify("datawindow.readonly=no"), "");
    EXPECT_EQ(dw.settext("x"), 1);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"property datawindow.readonly",
                                                    "property datawindow.readonly"}));
}

TEST_F(DataWindowBuffers, ModifyAndDescribeThePicture) {
    EXPECT_EQ(dw.describe("p_1.filename"), "");
    EXPECT_EQ(dw.modify("p_1.filename='c:\\tempemployee.JPG'"), "");
    EXPECT_EQ(dw.describe("p_1.filename"), "c:\\tempemployee.JPG");
    EXPECT_EQ(dw.picture_filename("P_1"), "c:\\tempemployee.JPG");
    EXPECT_EQ(dw.modify("p_1.filename=\"照片 1.jpg\" datawindow.readonly=yes"), "");
    EXPECT_EQ(dw.describe("p_1.filename datawindow.readonly"), "照片 1.jpg\nyes");
    // A bad assignment anywhere changes nothing.
    EXPECT_NE(dw.modify("p_1.filename='x.jpg' p_9.filename='y'"), "");
    EXPECT_NE(dw.modify("p_1.filename='unterminated"), "");
    EXPECT_NE(dw.modify("name.filename='x'"), "");
    EXPECT_EQ(dw.describe("p_1.filename"), "照片 1.jpg");
    EXPECT_EQ(dw.describe("p_9.filename"), "!");
    EXPECT_EQ(dw.describe("datawindow.table.select"), "SELECT id, name, born, flag FROM people");
    EXPECT_EQ(dw.setsqlselect("SELECT id, name, born, flag FROM people WHERE 1 = 1"), 1);
    EXPECT_EQ(dw.getsqlselect(), "SELECT id, name, born, flag FROM people WHERE 1 = 1");
}

TEST_F(DataWindowBuffers, SortOrdersChineseByPinyinAndKeepsCurrentAndSelection) {
    const char* names[] = {"张三", "李四", "王五", nullptr, "abc"};
    for (int i = 0; i < 5; ++i) {
        dw.insertrow(0);
        dw.setitem(i + 1, "id", std::to_string(i + 1));
        if (names[i]) dw.setitem(i + 1, "name", std::string(names[i]));
    }
    dw.scrolltorow(3);      // 王五
    dw.selectrow(1, true);  // 张三
    EXPECT_EQ(dw.setsort("nope A"), -1);
    EXPECT_EQ(dw.setsort("name X"), -1);
    ASSERT_EQ(dw.setsort("name A"), 1);
    Recorder rec(dw);
    ASSERT_EQ(dw.sort(), 1);
    // A layout change telling where each row went (张三 1 -> 5, ..., null 4 -> 1), then the
    // current row that moved with its row; no reset.
    EXPECT_EQ(rec.events, (std::vector<std::string>{"sorting", "sorted 5 3 4 1 2", "current 4 1"}));
    auto column_of_names = [&] {
        std::string out;
        for (int r = 1; r <= dw.rowcount(); ++r)
            out += dw.getitemstring(r, "name").value_or("-") + " ";
        return out;
    };
    EXPECT_EQ(column_of_names(), "- abc 李四 王五 张三 ");
    EXPECT_EQ(dw.getrow(), 4);
    EXPECT_TRUE(dw.isselected(5));
    EXPECT_FALSE(dw.isselected(1));
    EXPECT_EQ(dw.display_text(5, "compute_1"), "5");  // numbers follow the rows as held

    dw.setitem(2, "name", std::string("李四"));  // two equal names, told apart by id
    ASSERT_EQ(dw.setsort("name D, id D"), 1);
    EXPECT_EQ(dw.getsort(), "name D, id D");
    dw.sort();
    EXPECT_EQ(column_of_names(), "张三 王五 李四 李四 - ");
    EXPECT_EQ(dw.getitemstring(3, "id"), "5");
    EXPECT_EQ(dw.getitemstring(4, "id"), "2");
}

TEST(PackedRowStorage, HoldsNullsEmptiesAndLongValues) {
    std::string big(70000, 'x');
    std::optional<std::string_view> values[] = {"a", std::nullopt, "", big, "末"};
    auto row = runtime::PackedRow::pack(values, 5);
    EXPECT_EQ(row.column_count(), 5u);
    EXPECT_EQ(row.get(0), "a");
    EXPECT_EQ(row.get(1), std::nullopt);
    EXPECT_EQ(row.get(2), "");
    EXPECT_EQ(row.get(3), big);
    EXPECT_EQ(row.get(4), "末");
    EXPECT_EQ(row.get(5), std::nullopt);
    auto changed = row.with(1, std::string_view("b"));
    EXPECT_EQ(changed.get(1), "b");
    EXPECT_EQ(changed.get(3), big);
    EXPECT_EQ(row.get(1), std::nullopt);

    std::optional<std::string_view> small[] = {"E000001", "张三"};
    auto compact = runtime::PackedRow::pack(small, 2);
    EXPECT_EQ(compact.allocated_bytes(), 3u + 2 * 2 + 7 + 6);  // two-byte offsets
}

}  // namespace
