#include "platform/ado/row_source.h"

#include "platform/ado/spelling.h"
#include "platform/db/sql_scanner.h"

#include <algorithm>
#include <atomic>
#include <cctype>

namespace ado {

namespace {

// The statement without trailing blanks and semicolons, so it can be nested in another.
std::string bare_statement(const std::string& sql) {
    std::size_t end = sql.find_last_not_of(" \t\r\n;");
    return end == std::string::npos ? std::string() : sql.substr(0, end + 1);
}

// The statement without an ORDER BY that ends it (with no LIMIT after it): the order changes
// no count, and SQLite counts a plain statement from its index instead of producing every
// row of an ordered one.
std::string unordered(const std::string& sql) {
    const std::size_t cut = db::sql::final_order_by(sql);
    return cut == std::string::npos ? sql : sql.substr(0, cut);
}

class SqliteRows final : public RowSource {
  public:
    SqliteRows(db::Connection& conn, std::string sql) : conn_(conn), sql_(std::move(sql)) {
        reopen();
        for (std::size_t i = 0; i < cursor_->column_count(); ++i)
            columns_.push_back(declared_spelling(cursor_->column_name(i)));
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
    const db::Cursor& row() const override { return *cursor_; }

  private:
    void reopen() {
        cursor_.reset();
        cursor_ = conn_.query(sql_);
        position_ = -1;
        has_row_ = true;
    }

    db::Connection& conn_;
    std::string sql_;
    std::unique_ptr<db::Cursor> cursor_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;     // not counted yet
    std::int64_t position_ = -1;  // the row the cursor stands on (-1: before the first)
    bool has_row_ = false;        // false once the cursor has passed the last row
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
                columns_.push_back(declared_spelling(header->column_name(i)));
        } catch (const db::Error&) {
            close_cursor();
            throw;
        }
    }
    ~PostgresRows() override {
        window_.reset();
        close_cursor();
    }

    std::int64_t count() override {
        if (count_ < 0) {
            conn_.execute("MOVE ABSOLUTE 0 IN " + name_);
            count_ = conn_.execute("MOVE FORWARD ALL IN " + name_);
            server_next_ = count_;
        }
        return count_;
    }
    const std::vector<std::string>& columns() const override { return columns_; }

    bool seek(std::int64_t index) override {
        if (index < 0 || (count_ >= 0 && index >= count_)) return false;
        if (window_ && index >= position_ && index < window_start_ + window_rows_)
            return walk_to(index);
        // Windows grow while rows are read in order, and start small again after a jump:
        // a page read asks for few rows, a listing for all of them.
        bool in_order = window_ && index == window_start_ + window_rows_;
        window_rows_ = in_order ? std::min(window_rows_ * 2, kLargestWindow) : kFirstWindow;
        window_.reset();
        if (index != server_next_)
            conn_.execute("MOVE ABSOLUTE " + std::to_string(index) + " IN " + name_);
        window_ = conn_.query("FETCH FORWARD " + std::to_string(window_rows_) + " FROM " + name_);
        window_start_ = index;
        server_next_ = index + window_rows_;
        position_ = index - 1;
        return walk_to(index);
    }
    const db::Cursor& row() const override { return *window_; }

  private:
    static constexpr std::int64_t kFirstWindow = 256, kLargestWindow = 8192;

    // Moves through the current window to `index`; a window that ends early ends the rows.
    bool walk_to(std::int64_t index) {
        while (position_ < index) {
            ++position_;
            if (!window_->next()) {
                count_ = position_;
                window_.reset();
                return false;
            }
        }
        return true;
    }

    void close_cursor() {
        try {
            conn_.execute("CLOSE " + name_);
        } catch (const db::Error&) {
            // A failed transaction or a lost connection has taken the cursor with it.
        }
    }

    db::Connection& conn_;
    std::string name_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;             // not known yet
    std::unique_ptr<db::Cursor> window_;  // rows window_start_ on, standing on position_
    std::int64_t window_start_ = 0, window_rows_ = 0, position_ = -1;
    std::int64_t server_next_ = 0;  // the row the server's cursor hands out next
};

}  // namespace

void RowSource::fetch(std::int64_t start, std::size_t n, std::vector<Row>& out) {
    out.clear();
    for (std::int64_t i = start; out.size() < n && seek(i); ++i) {
        const db::Cursor& r = row();
        Row copy;
        copy.reserve(r.column_count());
        for (std::size_t c = 0; c < r.column_count(); ++c) copy.push_back(r.value(c));
        out.push_back(std::move(copy));
    }
}

std::unique_ptr<RowSource> open_row_source(db::Connection& conn, const std::string& sql) {
    if (conn.backend() == db::Backend::postgresql) return std::make_unique<PostgresRows>(conn, sql);
    return std::make_unique<SqliteRows>(conn, sql);
}

}  // namespace ado
