// The list's search statement: the saved SELECT, a filter on number and name, and the
// ordering by number.
#pragma once

#include <string>
#include <string_view>

namespace screens {

// Whether the database's LIKE takes a backslash as its escape character (PostgreSQL does,
// SQLite does not).
enum class LikeBackslash { literal, escape };

// Typed text as it goes between the quotes of a LIKE pattern: every apostrophe doubled, so
// it cannot end the quoted text; where backslash escapes, every backslash doubled, so it
// matches itself as it does elsewhere. '%' and '_' keep their LIKE meaning.
std::string like_text(std::string_view text, LikeBackslash backslash);

// " where 1 = 1", then for each box whose text is not blank after trimming blanks
// (character 32) " and employee.eid like'%...%'" and " and employee.ename like'%...%'".
std::string search_filter(std::string_view id_text, std::string_view name_text,
                          LikeBackslash backslash = LikeBackslash::literal);

// `ls_sql` + the filter + " order by eid desc".
std::string search_select(std::string_view ls_sql, std::string_view id_text,
                          std::string_view name_text,
                          LikeBackslash backslash = LikeBackslash::literal);

}  // namespace screens
