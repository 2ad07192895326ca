// A libpq connection as a session of statements: kept alive, kept to the settings the
// module relies on, reopened after a lost server when no transaction was open.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/db/connection.h"

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
    // With `guard`, inside a transaction a savepoint guards the statement, so that its
    // failure leaves the transaction usable; the savepoint ends when the result does.
    // With `row_by_row` false the rows arrive as one result (a caller taking them all).
    std::unique_ptr<Stream> send(std::string_view sql, const Params& params, bool guard = true,
                                 bool row_by_row = true);
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
    // How many times something was sent and its answer awaited.
    std::int64_t round_trips() const { return round_trips_; }

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
    std::int64_t round_trips_ = 0;
};

// Turns standard_conforming_strings on for the connection and checks the server's report
// of it; throws db::Error when it stays off.
void use_standard_strings(PGconn* conn);

}  // namespace db::pg
