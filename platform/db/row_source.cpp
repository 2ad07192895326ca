#include "platform/db/row_source.h"

namespace db {

std::string bare_statement(const std::string& sql) {
    std::size_t end = sql.find_last_not_of(" \t\r\n;");
    return end == std::string::npos ? std::string() : sql.substr(0, end + 1);
}

}  // namespace db
