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
#include "platform/db/postgres/pg_values.h"

namespace db::pg {

class Stream;

// The libpq connection and the result, if any, still arriving on it.
//
// Before each statement of the caller the session makes sure the connection still stands
// and that quoted text in statements is read literally (standard_conforming_strings on),
// whatever the server, database, role, URL or an earlier statement set. A connection that
// was lost outside a transaction is opened again before the next statement; one lost inside
// a transaction leaves the transaction marked lost: every statement then fails until the
// caller rolls back, and nothing is replayed.
class Session {
  public:
    explicit Session(PGconn* conn);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    PGconn* conn() const { return conn_; }

    // Sends the statement (with '?' placeholders) and returns the cursor over its rows.
    // Inside a transaction a savepoint guards the statement, so that its failure leaves the
    // transaction usable; the savepoint ends when the result does.
    std::unique_ptr<Stream> send(std::string_view sql, const Params& params);
    // Runs a script of the caller's statements without parameters (several may be joined
    // with ';'); throws its error.
    void script(const std::string& sql);
    // Runs a transaction or savepoint command through the simple protocol.
    void simple(const std::string& sql);
    // Ends the transaction with ROLLBACK; a transaction lost with the connection is only
    // forgotten (the server has dropped it).
    void rollback();
    // Reads a result still arriving into its cursor, so the connection can take a statement.
    void settle();
    bool in_transaction() const;

  private:
    friend class Stream;
    // Called by the stream when the last of its result has arrived.
    void ended(Stream* stream, bool guarded, bool failed);
    // Throws when the transaction was lost; opens a connection lost outside one again.
    void revive();
    // Turns standard_conforming_strings back on when anything turned it off, and follows
    // the session's time zone.
    void keep_settings();
    // The error of a statement that found the connection gone; `in_transaction`: whether a
    // transaction was open when it was sent (it is then lost).
    Error lost(bool in_transaction, const std::string& detail);
    bool connected() const { return PQstatus(conn_) == CONNECTION_OK; }
    // Notices are dropped, but a fatal error arriving between statements (the server ending
    // the session) is one, and marks the connection as gone.
    static void on_notice(void* session, const PGresult* res);

    PGconn* conn_;
    Stream* arriving_ = nullptr;            // the stream whose result is still arriving
    bool arriving_in_transaction_ = false;  // whether a transaction was open when it was sent
    bool lost_transaction_ = false;         // a transaction went with the connection
    bool farewell_ = false;                 // the server ended the session while it was idle
    std::string zone_;                      // the time zone that utc_offset_ is for
    int utc_offset_ = 0;                    // seconds east of UTC there, now
};

// Turns standard_conforming_strings on for the connection and checks the server's report
// of it; throws db::Error when it stays off.
void use_standard_strings(PGconn* conn);

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
