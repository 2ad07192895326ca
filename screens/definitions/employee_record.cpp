#include "screens/definitions/employee_record.h"

namespace screens {

using runtime::ColumnType;

const std::vector<EmployeeColumn>& employee_columns() {
    static const std::vector<EmployeeColumn> columns = {
        {"eid", ColumnType::text, 50, "编号", "员工编号："},
        {"ename", ColumnType::text, 50, "姓名", "员工姓名："},
        {"sex", ColumnType::text, 4, "性别", "性别："},
        {"born", ColumnType::datetime, 0, "出生日期", "出生日期："},
        {"naviteplace", ColumnType::text, 50, "籍贯", "籍贯："},
        {"nationality", ColumnType::text, 50, "民族", "民族："},
        {"school", ColumnType::text, 20, "学历", "学历："},
        {"bodyhigh", ColumnType::text, 20, "身高", "身高："},
        {"bodyweight", ColumnType::text, 20, "体重", "体重："},
        {"maerry", ColumnType::text, 4, "婚否", "婚否："},
        {"bornfrom", ColumnType::text, 100, "户口所在地", "户口所在地："},
        {"idcard", ColumnType::text, 50, "身份证号", "身份证号："},
        {"urgent", ColumnType::text, 10, "紧急联系人", "紧急联系人："},
        {"urgentphone", ColumnType::text, 50, "紧急联系电话", "紧急电话："},
        {"department", ColumnType::text, 50, "部门", "部门："},
        {"position", ColumnType::text, 50, "职位", "职位："},
        {"email", ColumnType::text, 50, "Email", "Email："},
        {"phone", ColumnType::text, 50, "电话", "电话："},
        {"mobile", ColumnType::text, 50, "手机", "手机："},
        {"qq", ColumnType::text, 50, "QQ", "QQ："},
        {"msn", ColumnType::text, 50, "MSN", "MSN："},
        {"othercontact", ColumnType::text, 100, "其它联系方式", "其它联系方式："},
        {"content", ColumnType::text, 255, "备注", "备注："},
        {"flag", ColumnType::text, 1, "在职", "在职："},
    };
    return columns;
}

std::vector<runtime::CodeEntry> employee_code_table(const std::string& column) {
    if (column == "sex") return {{"男", "男"}, {"女", "女"}};
    if (column == "school")
        return {{"本科", "本科"}, {"大专", "大专"}, {"高中", "高中"},
                {"中专", "中专"}, {"初中", "初中"}, {"小学", "小学"}};
    if (column == "maerry") return {{"已", "已"}, {"未", "未"}};
    if (column == "flag") return {{"在职", "1"}, {"离职", "0"}};
    return {};
}

std::string employee_select() {
    std::string sql = "SELECT ";
    bool first = true;
    for (const auto& c : employee_columns()) {
        if (!first) sql += ", ";
        sql += std::string("Employee.") + c.name;
        first = false;
    }
    return sql + " FROM Employee";
}

runtime::ColumnDef employee_column_def(const EmployeeColumn& column, bool with_code_table) {
    runtime::ColumnDef def;
    def.name = column.name;
    def.type = column.type;
    def.byte_limit = column.byte_limit;
    if (column.type == ColumnType::datetime) {
        def.edit_style = runtime::EditStyle::edit_mask;
        def.edit_mask = "yyyy-mm-dd";
        def.format = "[shortdate] [time]";
    } else if (with_code_table) {
        def.code_table = employee_code_table(column.name);
        if (!def.code_table.empty()) {
            def.edit_style = runtime::EditStyle::code_table_dropdown;
            def.byte_limit = 0;  // the choice is the limit
        }
    }
    return def;
}

runtime::UpdateDef employee_update() {
    runtime::UpdateDef u;
    u.table = "Employee";
    u.key_columns = {"eid"};
    for (const auto& c : employee_columns()) u.updatable_columns.push_back(c.name);
    // A changed row is written back only while it still holds what was read in the columns
    // it changes: two users editing one employee do not overwrite each other unseen.
    u.where = runtime::UpdateWhere::key_and_modified;
    return u;
}

}  // namespace screens
