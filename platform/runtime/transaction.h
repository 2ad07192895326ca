// The transaction object (`sqlca`): embedded SQL over one database connection.
//
// Every statement sets the result code: 0 success, 100 not found (a single-row select or a
// blob select that found no row), -1 failure, with the database's error text. Values are
// always bound ('?' in the SQL text), never pasted in.
//
// With autocommit off (the default) the first write opens a transaction that stays open
// until commit() or rollback(); reads outside it see committed data. Switching autocommit
// on commits what is open; when that commit fails autocommit stays off.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/connection.h"

namespace runtime {

class Transaction {
  public:
    enum Code { kSuccess = 0, kNotFound = 100, kError = -1 };

    Transaction() = default;
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Opens the database at `url` (see db::connect). Returns the result code.
    int connect(std::string_view url);
    // Takes an already open connection.
    void attach(std::unique_ptr<db::Connection> conn);
    // Rolls back what is open and closes the connection.
    int disconnect();
    bool connected() const { return conn_ != nullptr; }
    db::Connection* connection() { return conn_.get(); }

    int sqlcode() const { return sqlcode_; }
    const std::string& sqlerrtext() const { return sqlerrtext_; }
    // The database's own error code of the last failure (see db::Error::code).
    int sqldbcode() const { return sqldbcode_; }
    const std::string& sqlstate() const { return sqlstate_; }
    // The last failure as the user is told it: its common cause in Chinese when it has one
    // ("磁盘已满"), then sqlerrtext (db::explain).
    std::string reason() const;
    // Rows changed by the last write, or rows read by the last select.
    std::int64_t sqlnrows() const { return sqlnrows_; }

    bool autocommit() const { return autocommit_; }
    int set_autocommit(bool on);

    // Single-row select into `into` (one value per selected column). 100 when no row;
    // more than one row is an error, as it is for embedded SQL.
    int select_into(std::string_view sql, const db::Params& params, std::vector<db::Value>& into);
    // INSERT, UPDATE, DELETE (and other statements without rows).
    int execute(std::string_view sql, const db::Params& params = {});
    // Convenience: a select of one integer (count(*)). `count` is left alone on failure.
    int select_count(std::string_view sql, const db::Params& params, std::int64_t& count);
    // Reads one blob column of one row. `blob` is null (nullopt) when the row has none. A
    // large blob is held once besides the database's piece of it (db::Connection::read_blob).
    int selectblob(std::string_view sql, const db::Params& params, std::optional<db::Bytes>& blob);
    // Writes one blob: `sql` binds the blob at its first '?' and `params` after it. A
    // caller done with the bytes moves them in, so a large photo is not copied once more.
    int updateblob(std::string_view sql, db::Bytes blob, const db::Params& params);
    int commit();
    int rollback();

    // Runs `work` as one all-or-nothing unit of writes (db::Unit) in the current transaction
    // state (data-window updates): with autocommit on it is committed at once; with
    // autocommit off it joins the open transaction, and a failure undoes only this unit. Any
    // other exception from `work` undoes the unit too and is passed on.
    int run_unit(const std::function<void(db::Connection&)>& work);

  private:
    int ok(std::int64_t rows = 0);
    int failed(const db::Error& e);
    int not_found();
    int not_connected();
    void begin_write();

    std::unique_ptr<db::Connection> conn_;
    bool autocommit_ = false;
    int sqlcode_ = 0;
    int sqldbcode_ = 0;
    std::string sqlerrtext_;
    std::string sqlstate_;
    std::int64_t sqlnrows_ = 0;
};

}  // namespace runtime
