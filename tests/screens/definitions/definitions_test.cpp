// The employee record and the two definitions over it, as data and in use.
#include <gtest/gtest.h>

#include "platform/runtime/datawindow/data_window.h"
#include "tests/screens/support/screens.h"

namespace {

using runtime::Band;
using runtime::ObjectKind;

const char* const kColumns[] = {
    "eid",    "ename",       "sex",        "born",         "naviteplace", "nationality",
    "school", "bodyhigh",    "bodyweight", "maerry",       "bornfrom",    "idcard",
    "urgent", "urgentphone", "department", "position",     "email",       "phone",
    "mobile", "qq",          "msn",        "othercontact", "content",     "flag"};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The definitions as the screen library hands them over.
testing_support::LoadedScreens& screens() {
    static testing_support::LoadedScreens loaded;
    return loaded;
}
std::shared_ptr<const runtime::Definition> d_employee() {
    return screens().definition("d_employee");
}
std::shared_ptr<const runtime::Definition> d_employeeadd() {
    return screens().definition("d_employeeadd");
}

TEST(EmployeeDefinitions, AreFoundByNameWithoutRegardToCase) {
    auto grid = screens().definition("D_EMPLOYEE");
    auto form = screens().definition("D_EmployeeAdd");
    ASSERT_TRUE(grid && form);
    EXPECT_EQ(grid->style, runtime::PresentationStyle::grid);
    EXPECT_EQ(form->style, runtime::PresentationStyle::freeform);
}

TEST(EmployeeDefinitions, SelectTheRecordsColumnsInOrderAndShareUpdateSettings) {
    for (const auto& def : {d_employee(), d_employeeadd()}) {
        ASSERT_EQ(def->columns.size(), 24u);
        for (int i = 0; i < 24; ++i) {
            EXPECT_EQ(def->columns[i].name, kColumns[i]);
            EXPECT_TRUE(def->is_updatable(i));
            EXPECT_EQ(def->is_key(i), i == 0);
        }
        EXPECT_EQ(def->update.table, "Employee");
        EXPECT_EQ(def->columns[3].type, runtime::ColumnType::datetime);
        EXPECT_EQ(def->columns[3].format, "[shortdate] [time]");
        EXPECT_EQ(def->columns[3].edit_mask, "yyyy-mm-dd");
        EXPECT_EQ(def->columns[0].format, "[general]");
    }
    std::string select = d_employee()->select;
    EXPECT_EQ(select.rfind("SELECT Employee.eid, Employee.ename, Employee.sex, Employee.born,", 0),
              0u);
    EXPECT_EQ(select.substr(select.size() - 27), "Employee.flag FROM Employee");
    EXPECT_EQ(d_employee()->select, select);  // no WHERE, no ORDER BY
    EXPECT_TRUE(d_employee()->arguments.empty());
    EXPECT_EQ(d_employeeadd()->select, select + " WHERE Employee.eid = :ls_id");
    ASSERT_EQ(d_employeeadd()->arguments.size(), 1u);
    EXPECT_EQ(d_employeeadd()->arguments[0].name, "ls_id");
}

TEST(EmployeeDefinitions, GridHasTitlesOverColumnsAndNoTabOrder) {
    auto def = d_employee();
    ASSERT_EQ(def->grid_columns.size(), 25u);
    EXPECT_EQ(def->grid_columns[0].title_object, "t_1");
    EXPECT_EQ(def->grid_columns[0].detail_object, "compute_1");
    EXPECT_EQ(def->object("t_1")->text, "No.");
    const auto* row_number = def->object("compute_1");
    EXPECT_EQ(row_number->expression, "getrow()");
    EXPECT_EQ(row_number->format, "[GENERAL]");
    EXPECT_EQ(row_number->rect, (runtime::Rect{9, 4, 105, 76}));
    const char* titles[] = {
        "编号",  "姓名", "性别",       "出生日期", "籍贯",       "民族",         "学历", "身高",
        "体重",  "婚否", "户口所在地", "身份证号", "紧急联系人", "紧急联系电话", "部门", "职位",
        "Email", "电话", "手机",       "QQ",       "MSN",        "其它联系方式", "备注", "在职"};
    for (int i = 0; i < 24; ++i) {
        const auto& g = def->grid_columns[i + 1];
        EXPECT_EQ(g.detail_object, kColumns[i]);
        const auto* title = def->object(g.title_object);
        const auto* cell = def->object(g.detail_object);
        ASSERT_TRUE(title && cell) << kColumns[i];
        EXPECT_EQ(title->name, std::string(kColumns[i]) + "_t");
        EXPECT_EQ(title->text, titles[i]);
        EXPECT_EQ(title->band, Band::header);
        EXPECT_EQ(title->rect.x, cell->rect.x);
        EXPECT_EQ(title->rect.width, cell->rect.width);
        EXPECT_EQ(title->rect.y, 8);
        EXPECT_EQ(title->rect.height, 60);
        EXPECT_EQ(cell->rect.y, 8);
        EXPECT_EQ(cell->rect.height, 72);
        EXPECT_EQ(cell->tab_order, 0);
        EXPECT_EQ(cell->font, (runtime::Font{"Arial", 9, 400}));
    }
    EXPECT_EQ(def->object("eid")->rect, (runtime::Rect{123, 8, 462, 72}));
    EXPECT_EQ(def->object("flag")->rect, (runtime::Rect{9842, 8, 110, 72}));
    EXPECT_EQ(def->object("othercontact")->rect.x, 8087);
    EXPECT_EQ(def->band_height(Band::header), 76);
    EXPECT_EQ(def->band_height(Band::detail), 88);
    EXPECT_EQ(def->band_height(Band::summary), 0);
    EXPECT_EQ(def->band_height(Band::footer), 0);
    EXPECT_EQ(def->next_in_tab_order(-1), -1);
    // Only flag shows through a code table in the list.
    EXPECT_EQ(def->columns[23].code_table.size(), 2u);
    EXPECT_TRUE(def->columns[2].code_table.empty());
    EXPECT_TRUE(def->columns[6].code_table.empty());
}

TEST(EmployeeDefinitions, FormPlacesCaptionsLeftOfFieldsAndTabsInColumnOrder) {
    auto def = d_employeeadd();
    EXPECT_EQ(def->bands.size(), 1u);
    EXPECT_EQ(def->band_height(Band::detail), 1488);
    EXPECT_TRUE(def->grid_columns.empty());
    for (int i = 0; i < 24; ++i) {
        const auto* field = def->column_object(i);
        const auto* caption = def->object(std::string(kColumns[i]) + "_t");
        ASSERT_TRUE(field && caption) << kColumns[i];
        EXPECT_EQ(field->tab_order, (i + 1) * 10);
        EXPECT_EQ(field->rect.height, 84);
        EXPECT_EQ(caption->rect.height, 60);
        EXPECT_EQ(field->background_color, 16777215);
        EXPECT_FALSE(caption->background_color);
        int gap = field->rect.x - (caption->rect.x + caption->rect.width);
        EXPECT_TRUE(gap >= 18 && gap <= 41) << kColumns[i] << " gap " << gap;
        EXPECT_LE(std::abs(caption->rect.y - field->rect.y), 32) << kColumns[i];
        EXPECT_EQ(caption->text.substr(caption->text.size() - 3), "：");
        EXPECT_EQ(caption->font, (runtime::Font{"Arial", 9, 400}));
    }
    EXPECT_EQ(def->object("urgentphone_t")->text, "紧急电话：");
    EXPECT_EQ(def->object("eid")->rect, (runtime::Rect{425, 56, 530, 84}));
    EXPECT_EQ(def->object("urgentphone")->rect, (runtime::Rect{1989, 888, 581, 84}));
    EXPECT_EQ(def->object("content")->rect, (runtime::Rect{425, 1372, 2158, 84}));
    const auto* photo = def->object("p_1");
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->kind, ObjectKind::picture);
    EXPECT_EQ(photo->rect, (runtime::Rect{1975, 40, 585, 572}));
    EXPECT_EQ(photo->filename, "");

    // A double click on the photo names p_1; between fields it names nothing.
    EXPECT_EQ(def->object_at(Band::detail, 2000, 300)->name, "p_1");
    EXPECT_EQ(def->object_at(Band::detail, 430, 60)->name, "eid");
    EXPECT_EQ(def->object_at(Band::detail, 1000, 1470), nullptr);
    EXPECT_EQ(d_employee()->object_at(Band::detail, 130, 20)->name, "eid");
    EXPECT_EQ(d_employee()->object_at(Band::header, 10, 20)->name, "t_1");

    // Tab goes by column order: idcard, urgent, urgentphone, department.
    int idcard = def->column_index("idcard");
    int next = def->next_in_tab_order(idcard);
    EXPECT_EQ(def->columns[next].name, "urgent");
    next = def->next_in_tab_order(next);
    EXPECT_EQ(def->columns[next].name, "urgentphone");
    EXPECT_EQ(def->columns[def->next_in_tab_order(23)].name, "eid");  // flag wraps round
    EXPECT_EQ(def->columns[def->next_in_tab_order(def->column_index("urgent"), true)].name,
              "idcard");
    EXPECT_EQ(def->columns[def->next_in_tab_order(0, true)].name, "flag");

    EXPECT_EQ(def->columns[def->column_index("school")].code_table.size(), 6u);
    EXPECT_EQ(def->columns[def->column_index("school")].code_table[5].display, "小学");
    EXPECT_EQ(def->columns[def->column_index("maerry")].code_table[1].stored, "未");
}

class EmployeeForm : public ::testing::Test {
  protected:
    void SetUp() override {
        dw.set_itemerror_handler([this](const runtime::ItemError& e) { errors.push_back(e); });
        dw.insertrow(0);
    }
    int type_into(const char* column, const std::string& text) {
        dw.setcolumn(column);
        dw.settext(text);
        int rc = dw.accepttext();
        dw.discardtext();
        return rc;
    }
    runtime::DataWindow dw{d_employeeadd()};
    std::vector<runtime::ItemError> errors;
};

TEST_F(EmployeeForm, NewRowShowsEveryFieldEmpty) {
    for (const char* c : kColumns) EXPECT_EQ(dw.display_text(1, c), "") << c;
    EXPECT_EQ(dw.row_as_displayed(1), std::vector<std::string>(24, ""));
    EXPECT_EQ(dw.titles().front(), "员工编号：");
    EXPECT_EQ(dw.titles().back(), "在职：");
    EXPECT_TRUE(dw.row_as_displayed(2).empty());
    EXPECT_EQ(dw.getcolumnname(), "eid");  // the first field in tab order
}

TEST_F(EmployeeForm, ByteLimitsCountGbkBytesOfMixedText) {
    // What each field takes as it is typed: Chinese characters count two bytes.
    auto fits = [&](const char* column, const std::string& text) {
        dw.setcolumn(column);
        return !dw.check_typing(text).has_value();
    };
    EXPECT_TRUE(fits("ename", repeat("张", 25)));
    EXPECT_FALSE(fits("ename", repeat("张", 26)));
    EXPECT_TRUE(fits("ename", repeat("李", 24) + "ab"));
    EXPECT_FALSE(fits("ename", repeat("李", 24) + "abc"));
    EXPECT_TRUE(fits("eid", repeat("9", 50)));
    EXPECT_FALSE(fits("eid", repeat("9", 51)));
    EXPECT_TRUE(fits("urgent", "王小二ab"));                // 8 of 10 bytes
    EXPECT_TRUE(fits("urgent", "王小二abcd"));              // 10
    EXPECT_FALSE(fits("urgent", "欧阳小二abc"));            // 11
    EXPECT_TRUE(fits("content", repeat("备", 127) + "x"));  // 255
    EXPECT_FALSE(fits("content", repeat("备", 128)));
    EXPECT_TRUE(fits("sex", repeat("男", 9)));  // a code-table field has no limit of its own
    EXPECT_EQ(type_into("ename", repeat("张", 25)), 1);
    EXPECT_EQ(dw.getitemstring(1, "ename"), repeat("张", 25));
    EXPECT_TRUE(errors.empty());
}

TEST_F(EmployeeForm, CodeTableFieldsStoreTheirValues) {
    dw.setitem(1, "flag", std::string("0"));
    EXPECT_EQ(dw.display_text(1, "flag"), "离职");
    EXPECT_EQ(type_into("flag", "在职"), 1);
    EXPECT_EQ(dw.getitemstring(1, "flag"), "1");
    EXPECT_EQ(type_into("school", "大专"), 1);
    EXPECT_EQ(dw.getitemstring(1, "school"), "大专");
    EXPECT_EQ(type_into("sex", "男"), 1);
    EXPECT_EQ(type_into("sex", "未知"), -1);
    EXPECT_EQ(type_into("born", "2026-02-30"), -1);
    EXPECT_EQ(errors.back().message, "日期无效：2026-02-30");
    EXPECT_EQ(dw.getitemstring(1, "born"), std::nullopt);
}

}  // namespace
