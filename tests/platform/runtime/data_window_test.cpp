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

// Records what the data window announces.
struct Recorder : runtime::DataWindowObserver {
    std::vector<std::string> events;
    void rows_reset() override { events.push_back("reset"); }
    void rows_inserted(int row, int n) override { add("inserted", row, n); }
    void rows_removed(int row, int n) override { add("removed", row, n); }
    void item_changed(int row, int col) override { add("item", row, col); }
    void selection_changed(int row) override { add("selection", row); }
    void current_changed(int row, int col) override { add("current", row, col); }
    void focus_changed(bool on) override { add("focus", on); }
    void property_changed(const std::string& o, const std::string& p) override {
        events.push_back("property " + o + "." + p);
    }
    void add(const std::string& what, int a, int b = -1) {
        events.push_back(what + " " + std::to_string(a) + (b >= 0 ? " " + std::to_string(b) : ""));
    }
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
    Recorder rec;
    dw.add_observer(&rec);
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
    Recorder rec;
    dw.add_observer(&rec);
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
    EXPECT_EQ(rec.events, (std::vector<std::string>{"removed 3 1", "current 2 1"}));
    dw.remove_observer(&rec);
    dw.reset();
    EXPECT_EQ(dw.getrow(), 0);
    EXPECT_EQ(rec.events.size(), 2u);
}

TEST_F(DataWindowBuffers, PendingEditBecomesTheValueOnlyWhenAccepted) {
    dw.insertrow(0);
    ASSERT_EQ(dw.setcolumn("name"), 1);
    EXPECT_EQ(dw.getcolumn(), 2);
    Recorder rec;
    dw.add_observer(&rec);
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
    dw.remove_observer(&rec);

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

TEST_F(DataWindowBuffers, AcceptRefusesTooManyBytesAndKeepsTheOldValue) {
    dw.insertrow(0);
    dw.setcolumn("name");     // 10 bytes
    dw.settext("五个汉字a");  // 9 bytes
    EXPECT_EQ(dw.accepttext(), 1);
    dw.settext("五个汉字ab");  // 10 bytes fit
    EXPECT_EQ(dw.accepttext(), 1);
    dw.settext("六个汉字汉字");  // 12 bytes
    EXPECT_EQ(dw.accepttext(), -1);
    EXPECT_EQ(dw.getitemstring(1, "name"), "五个汉字ab");
    EXPECT_TRUE(dw.edit_pending());  // the text stays for the user to correct
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].column, "name");
    EXPECT_EQ(errors[0].text, "六个汉字汉字");
    EXPECT_NE(errors[0].message.find("最多 10 个字节"), std::string::npos) << errors[0].message;
    // A refused edit holds the current cell.
    EXPECT_EQ(dw.setcolumn("id"), -1);
    EXPECT_EQ(dw.getcolumnname(), "name");
    dw.discardtext();
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
        dw.discardtext();
    }
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
    Recorder rec;
    dw.add_observer(&rec);
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

TEST(DataWindowRegistry, FindsDefinitionsWithoutRegardToCase) {
    runtime::DefinitionRegistry registry;
    registry.add(people());
    EXPECT_NE(registry.find("D_PEOPLE"), nullptr);
    EXPECT_EQ(registry.find("d_nobody"), nullptr);

    runtime::definitions().add(people());
    DataWindow dw;
    EXPECT_EQ(dw.set_dataobject("D_People"), 1);
    EXPECT_EQ(dw.dataobject(), "d_people");
    EXPECT_EQ(dw.set_dataobject("d_nobody"), -1);
    EXPECT_EQ(dw.dataobject(), "d_people");
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
