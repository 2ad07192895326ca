// The employee record: the 24 columns of table Employee as both screens use them, and the
// two data-window definitions over it, d_employee (the list's grid) and d_employeeadd (the
// form).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/datawindow/definition.h"

namespace screens {

struct EmployeeColumn {
    const char* name;
    runtime::ColumnType type;
    int byte_limit;  // GBK bytes; 0 for born, which has none
    const char* list_label;
    const char* form_label;
};

// The 24 columns in SELECT order (eid first, flag last).
const std::vector<EmployeeColumn>& employee_columns();

// The code table of a column ("在职" -> "1", ...), empty when it has none.
std::vector<runtime::CodeEntry> employee_code_table(const std::string& column);

// "SELECT Employee.eid, ..., Employee.flag FROM Employee": ends right after the FROM clause,
// so the list can append its search condition and ordering.
std::string employee_select();

// A column definition of the record. `with_code_table`: the column offers its code table
// (the form does for sex, school, maerry and flag; the list only for flag).
runtime::ColumnDef employee_column_def(const EmployeeColumn& column, bool with_code_table);

// The update settings both definitions share: table Employee, key eid, all 24 columns; a
// changed row is written back by its key and the retrieved values of the columns it changes.
runtime::UpdateDef employee_update();

std::shared_ptr<const runtime::Definition> d_employee();
std::shared_ptr<const runtime::Definition> d_employeeadd();

}  // namespace screens
