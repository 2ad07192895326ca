#include "screens/list/search_filter.h"

#include "platform/text/gbk.h"

namespace screens {

std::string like_text(std::string_view text, LikeBackslash backslash) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\'' || (c == '\\' && backslash == LikeBackslash::escape)) out += c;
        out += c;
    }
    return out;
}

namespace {

void append_like(std::string& filter, std::string_view column, std::string_view typed,
                 LikeBackslash backslash) {
    const std::string pattern = text::trim_blanks(typed);
    if (pattern.empty()) return;
    filter += " and employee.";
    filter += column;
    filter += " like'%";
    filter += like_text(pattern, backslash);
    filter += "%'";
}

}  // namespace

std::string search_filter(std::string_view id_text, std::string_view name_text,
                          LikeBackslash backslash) {
    std::string filter = " where 1 = 1";
    append_like(filter, "eid", id_text, backslash);
    append_like(filter, "ename", name_text, backslash);
    return filter;
}

std::string search_select(std::string_view ls_sql, std::string_view id_text,
                          std::string_view name_text, LikeBackslash backslash) {
    std::string select(ls_sql);
    select += search_filter(id_text, name_text, backslash);
    select += " order by eid desc";
    return select;
}

}  // namespace screens
