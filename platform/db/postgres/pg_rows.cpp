// The rows of a static cursor on PostgreSQL: a scrollable cursor WITH HOLD, fetched in
// windows that grow while the rows are read in order.
#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/postgres/pg_connection.h"

namespace db {
namespace {

class PostgresRows final : public RowSource {
  public:
    PostgresRows(Connection& conn, const std::string& sql) : conn_(conn) {
        static std::atomic<unsigned long> counter{0};
        name_ = "tarvo_static_" + std::to_string(++counter);
        conn_.execute("DECLARE " + name_ + " SCROLL CURSOR WITH HOLD FOR " + bare_statement(sql));
        try {
            auto header = conn_.query("FETCH RELATIVE 0 FROM " + name_);
            for (std::size_t i = 0; i < header->column_count(); ++i)
                columns_.push_back(header->column_name(i));
        } catch (const Error&) {
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
    const Cursor& row() const override { return *window_; }

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
        } catch (const Error&) {
            // A failed transaction or a lost connection has taken the cursor with it.
        }
    }

    Connection& conn_;
    std::string name_;
    std::vector<std::string> columns_;
    std::int64_t count_ = -1;         // not known yet
    std::unique_ptr<Cursor> window_;  // rows window_start_ on, standing on position_
    std::int64_t window_start_ = 0, window_rows_ = 0, position_ = -1;
    std::int64_t server_next_ = 0;  // the row the server's cursor hands out next
};

}  // namespace

std::unique_ptr<RowSource> open_postgres_rows(Connection& conn, const std::string& sql) {
    return std::make_unique<PostgresRows>(conn, sql);
}

}  // namespace db
