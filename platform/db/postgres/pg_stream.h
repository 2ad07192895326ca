// Statement results that arrive row by row (libpq's single-row mode), so a reader holds only
// the rows it keeps, however large the result.
//
// A connection carries one result at a time. A statement sent while another result is still
// arriving first parks that result: its remaining rows are read into its cursor, so several
// cursors may be open at once, and the one that was interrupted holds only what was left of
// it. A failure part-way through a result is thrown by the cursor's next() once the rows
// before it have been read; the statement's query() itself throws only when the statement
// fails before its first row.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/postgres/pg_session.h"
#include "platform/db/postgres/pg_values.h"

namespace db::pg {

// The rows of one statement. Owned by the caller; must not outlive its Session (a Session
// that closes first cuts the stream off with an error).
class Stream final : public Cursor {
  public:
    // Reads until the first row, the end, or a failure (thrown).
    Stream(Session& session, bool guarded);
    ~Stream() override;

    bool next() override;
    std::size_t column_count() const override { return names_.size(); }
    const std::string& column_name(std::size_t col) const override { return names_.at(col); }
    Oid column_type(std::size_t col) const { return types_.at(col); }
    ValueView view(std::size_t col) const override;
    std::string_view text(std::size_t col, bool* null) const override;
    std::optional<std::int64_t> row_count() const override;

    // The rows the statement changed (or selected), once the result has ended.
    std::int64_t affected() const { return affected_; }

  private:
    friend class Session;
    // Reads from the connection until a batch of rows is ahead or the result has ended.
    void receive();
    // Keeps the columns of the first result that describes them; a type that cannot be read
    // fails the statement.
    void describe(const PGresult* res);
    // Reads the rest of the result into one compact block of rows ahead.
    void park();
    void end();
    void cut_off();
    Cell cell(std::size_t col) const;

    Session* session_;
    bool guarded_;
    bool arriving_ = true;
    bool begun_ = false;           // next() was called
    PGresult* current_ = nullptr;  // the batch holding the current row
    int row_ = -1, rows_ = 0;      // the current row within it, and its row count
    PGresult* ahead_ = nullptr;    // a batch received but not yet reached
    std::optional<Error> error_;   // thrown once the rows before it have been read
    bool unreadable_ = false;      // a column's type cannot be read: rows are dropped
    std::int64_t affected_ = 0;
    std::vector<std::string> names_;
    std::vector<Oid> types_;
    int utc_offset_;                            // the session's, when the statement was sent
    mutable std::vector<std::string> scratch_;  // text made for the current row's cells
};

}  // namespace db::pg
