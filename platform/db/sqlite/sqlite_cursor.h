// The rows of a SQLite query, one step at a time; columns declared as dates or times read
// as date-times.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/sqlite/sqlite_statement.h"

namespace db::sqlite {

class SqliteCursor : public Cursor {
  public:
    SqliteCursor(sqlite3* h, std::string_view sql, const Params& params);

    bool next() override;
    std::size_t column_count() const override { return names_.size(); }
    const std::string& column_name(std::size_t c) const override { return names_.at(c); }
    ValueView view(std::size_t col) const override;
    std::string_view text(std::size_t col, bool* null) const override;

  private:
    Statement stmt_;
    std::vector<std::string> names_;
    std::vector<bool> datetime_;
    bool done_ = false;
};

}  // namespace db::sqlite
