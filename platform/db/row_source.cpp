#include "platform/db/row_source.h"

#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "platform/db/sql_scanner.h"

namespace db {
namespace {

// A statement's rows through its own cursor, stepped only as far as the rows asked for; a
// row before the cursor's position runs the statement again and skips forward.
class StatementRows final : public RowSource {
  public:
    StatementRows(Connection& conn, std::string sql, Reading reading)
        : conn_(conn), sql_(std::move(sql)), whole_(reading == Reading::counted) {
        reopen();
        for (std::size_t i = 0; i < cursor_->column_count(); ++i)
            columns_.push_back(cursor_->column_name(i));
    }

    // A result read whole knows its size; otherwise a COUNT(*) of its own says.
    std::int64_t count() override {
        if (count_ >= 0) return count_;
        auto n = conn_.query(count_statement(sql_));
        count_ = n->next() && n->value(0).is_integer() ? n->value(0).as_integer() : 0;
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
        cursor_ = whole_ ? conn_.query_whole(sql_) : conn_.query(sql_);
        if (auto n = cursor_->row_count()) count_ = *n;
        position_ = -1;
        has_row_ = true;
    }

    Connection& conn_;
    std::string sql_;
    bool whole_;  // every row is taken: read as one result where the database can
    std::unique_ptr<Cursor> cursor_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;     // not known yet
    std::int64_t position_ = -1;  // the row the cursor stands on (-1: before the first)
    bool has_row_ = false;        // false once the cursor has passed the last row
};

}  // namespace

std::string bare_statement(const std::string& sql) {
    std::size_t end = sql.find_last_not_of(" \t\r\n;");
    return end == std::string::npos ? std::string() : sql.substr(0, end + 1);
}

std::string count_statement(const std::string& sql) {
    const std::size_t cut = sql::final_order_by(sql);
    const std::string unordered = cut == std::string::npos ? sql : sql.substr(0, cut);
    return "SELECT COUNT(*) FROM (" + bare_statement(unordered) + ") AS counted";
}

std::unique_ptr<RowSource> open_statement_rows(Connection& conn, std::string sql, Reading reading) {
    return std::make_unique<StatementRows>(conn, std::move(sql), reading);
}

std::unique_ptr<RowSource> Dialect::open_rows(Connection& conn, const std::string& sql,
                                              Reading reading) const {
    return open_statement_rows(conn, sql, reading);
}

}  // namespace db
