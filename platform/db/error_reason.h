// A database failure said so that its user understands it: the common causes a user or an
// administrator can act on (a full disk, a read-only or locked database, a lost connection,
// a value the database refuses), in Chinese, with the database's own text kept after it.
#pragma once

#include <string>
#include <string_view>

#include "platform/db/connection.h"

namespace db {

// The cause in Chinese ("磁盘已满"), or "" when the failure is none of the common ones or
// its message is in Chinese already (our own messages, a server that speaks Chinese).
// `code` and `sqlstate` are those of db::Error; `message` helps tell SQLite's constraints
// apart.
std::string common_reason(int code, std::string_view sqlstate, std::string_view message);

// "磁盘已满（database or disk is full）": the cause, then the database's text. The text
// alone when common_reason has nothing to add.
std::string explain(int code, std::string_view sqlstate, std::string_view message);
inline std::string explain(const Error& e) {
    return explain(e.code(), e.sqlstate(), e.what());
}

}  // namespace db
