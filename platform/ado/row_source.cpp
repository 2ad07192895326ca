#include "platform/ado/row_source.h"

#include <atomic>

namespace ado {

namespace {

// The statement without trailing blanks and semicolons, so it can be nested in another.
std::string bare_statement(const std::string& sql) {
    std::size_t end = sql.find_last_not_of(" \t\r\n;");
    return end == std::string::npos ? std::string() : sql.substr(0, end + 1);
}

Row read_row(const db::Cursor& c) {
    Row row;
    row.reserve(c.column_count());
    for (std::size_t i = 0; i < c.column_count(); ++i) row.push_back(c.value(i));
    return row;
}

class SqliteRows final : public RowSource {
  public:
    SqliteRows(db::Connection& conn, std::string sql) : conn_(conn), sql_(std::move(sql)) {
        reopen();
        for (std::size_t i = 0; i < cursor_->column_count(); ++i)
            columns_.push_back(cursor_->column_name(i));
    }

    std::int64_t count() override {
        if (count_ < 0) {
            auto n = conn_.query("SELECT COUNT(*) FROM (" + bare_statement(sql_) + ") AS counted");
            count_ = n->next() && n->value(0).is_integer() ? n->value(0).as_integer() : 0;
        }
        return count_;
    }
    const std::vector<std::string>& columns() const override { return columns_; }

    void fetch(std::int64_t start, std::size_t n, std::vector<Row>& out) override {
        out.clear();
        if (start < position_) reopen();
        while (has_row_ && position_ < start) advance();
        while (has_row_ && out.size() < n) {
            out.push_back(read_row(*cursor_));
            advance();
        }
    }

  private:
    void reopen() {
        cursor_.reset();
        cursor_ = conn_.query(sql_);
        position_ = -1;
        has_row_ = true;
    }
    void advance() {
        has_row_ = cursor_->next();
        ++position_;
    }

    db::Connection& conn_;
    std::string sql_;
    std::unique_ptr<db::Cursor> cursor_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;     // not counted yet
    std::int64_t position_ = -1;  // the row the cursor stands on (-1: before the first)
    bool has_row_ = false;
};

class PostgresRows final : public RowSource {
  public:
    PostgresRows(db::Connection& conn, const std::string& sql) : conn_(conn) {
        static std::atomic<unsigned long> counter{0};
        name_ = "tarvo_static_" + std::to_string(++counter);
        conn_.execute("DECLARE " + name_ + " SCROLL CURSOR WITH HOLD FOR " + bare_statement(sql));
        try {
            auto header = conn_.query("FETCH RELATIVE 0 FROM " + name_);
            for (std::size_t i = 0; i < header->column_count(); ++i)
                columns_.push_back(header->column_name(i));
        } catch (const db::Error&) {
            close_cursor();
            throw;
        }
    }
    ~PostgresRows() override { close_cursor(); }

    void close_cursor() {
        try {
            conn_.execute("CLOSE " + name_);
        } catch (const db::Error&) {
            // A failed transaction or a lost connection has taken the cursor with it.
        }
    }

    std::int64_t count() override {
        if (count_ < 0) {
            conn_.execute("MOVE ABSOLUTE 0 IN " + name_);
            count_ = conn_.execute("MOVE FORWARD ALL IN " + name_);
        }
        return count_;
    }
    const std::vector<std::string>& columns() const override { return columns_; }

    void fetch(std::int64_t start, std::size_t n, std::vector<Row>& out) override {
        out.clear();
        if ((count_ >= 0 && start >= count_) || n == 0) return;
        conn_.execute("MOVE ABSOLUTE " + std::to_string(start) + " IN " + name_);
        auto rows = conn_.query("FETCH FORWARD " + std::to_string(n) + " FROM " + name_);
        while (rows->next()) out.push_back(read_row(*rows));
    }

  private:
    db::Connection& conn_;
    std::string name_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;  // not counted yet
};

}  // namespace

std::unique_ptr<RowSource> open_row_source(db::Connection& conn, const std::string& sql) {
    if (conn.backend() == db::Backend::postgresql) return std::make_unique<PostgresRows>(conn, sql);
    return std::make_unique<SqliteRows>(conn, sql);
}

}  // namespace ado
