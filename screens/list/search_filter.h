// The list's search statement: the saved SELECT, a filter on number and name, and the
// ordering by number.
#pragma once

#include <string>
#include <string_view>

namespace screens {

// Doubles every apostrophe, so typed text stays inside the quoted pattern it is put in.
std::string double_apostrophes(std::string_view text);

// " where 1 = 1", then for each box whose text is not blank after trimming blanks
// (character 32) " and employee.eid like'%...%'" and " and employee.ename like'%...%'".
// '%' and '_' keep their LIKE meaning; an apostrophe is doubled.
std::string search_filter(std::string_view id_text, std::string_view name_text);

// `ls_sql` + the filter + " order by eid desc".
std::string search_select(std::string_view ls_sql, std::string_view id_text,
                          std::string_view name_text);

}  // namespace screens
