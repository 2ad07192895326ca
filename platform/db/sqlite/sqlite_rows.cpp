// The rows of a static cursor on SQLite: the statement's own forward cursor, stepped only as
// far as the rows asked for; counted by a COUNT(*) over the statement without its final
// ORDER BY (SQLite then counts from an index instead of sorting every row).
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/sql_scanner.h"
#include "platform/db/sqlite/sqlite_connection.h"

namespace db {
namespace {

std::string unordered(const std::string& sql) {
    const std::size_t cut = sql::final_order_by(sql);
    return cut == std::string::npos ? sql : sql.substr(0, cut);
}

class SqliteRows final : public RowSource {
  public:
    SqliteRows(Connection& conn, std::string sql) : conn_(conn), sql_(std::move(sql)) {
        reopen();
        for (std::size_t i = 0; i < cursor_->column_count(); ++i)
            columns_.push_back(cursor_->column_name(i));
    }

    std::int64_t count() override {
        if (count_ < 0) {
            auto n = conn_.query("SELECT COUNT(*) FROM (" + bare_statement(unordered(sql_)) +
                                 ") AS counted");
            count_ = n->next() && n->value(0).is_integer() ? n->value(0).as_integer() : 0;
        }
        return count_;
    }
    const std::vector<std::string>& columns() const override { return columns_; }

    bool seek(std::int64_t index) override {
        if (index < 0) return false;
        if (index < position_) reopen();
        while (has_row_ && position_ < index) {
            has_row_ = cursor_->next();
            ++position_;
        }
        return has_row_ && position_ == index;
    }
    const Cursor& row() const override { return *cursor_; }

  private:
    void reopen() {
        cursor_.reset();
        cursor_ = conn_.query(sql_);
        position_ = -1;
        has_row_ = true;
    }

    Connection& conn_;
    std::string sql_;
    std::unique_ptr<Cursor> cursor_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;     // not counted yet
    std::int64_t position_ = -1;  // the row the cursor stands on (-1: before the first)
    bool has_row_ = false;        // false once the cursor has passed the last row
};

}  // namespace

std::unique_ptr<RowSource> open_sqlite_rows(Connection& conn, const std::string& sql) {
    return std::make_unique<SqliteRows>(conn, sql);
}

}  // namespace db
