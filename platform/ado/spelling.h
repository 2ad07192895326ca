// Column names as the module's schema spells them. PostgreSQL reports unquoted names in lower
// case (deptid), SQLite as the query or the schema wrote them; a recordset reports every
// name the schema declares in the schema's spelling (DeptID) on both, so a client that looks
// a column up by name finds it on either database. Other names stay as reported.
#pragma once

#include <string>
#include <string_view>

namespace ado {

std::string declared_spelling(std::string_view reported);

}  // namespace ado
