// Text with a zero character cannot travel whole: libpq ends text at the first one, and a
// statement would be cut there. Both backends refuse such text before anything is sent.
#pragma once

#include <string>
#include <string_view>

#include "platform/db/connection.h"

namespace db {

// Throws db::Error (SQLSTATE 22021, as PostgreSQL reports such bytes) when the statement
// text or a text value holds a zero character.
inline void refuse_zero_characters(std::string_view sql, const Params& params = {}) {
    if (sql.find('\0') != std::string_view::npos)
        throw Error(-1, "22021", "语句中含有零字符 (NUL), 不能执行");
    for (std::size_t i = 0; i < params.size(); ++i)
        if (params[i].is_text() && params[i].as_text().find('\0') != std::string::npos)
            throw Error(-1, "22021",
                        "第 " + std::to_string(i + 1) + " 个值含有零字符 (NUL), 不能保存");
}

}  // namespace db
