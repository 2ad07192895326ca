// The component's column names as its tables declare them. PostgreSQL reports unquoted
// names in lower case (deptid), SQLite as the statement or the table wrote them; the
// component's arrays name every column of its tables in the declared spelling (DeptID) on
// both, so a client that looks a column up by name finds it on either database. Other names
// stay as reported.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

std::u16string declared_spelling(std::u16string_view reported);

}  // namespace tarvo
