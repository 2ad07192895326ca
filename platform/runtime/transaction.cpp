#include "platform/runtime/transaction.h"

#include "platform/db/error_reason.h"

namespace runtime {
namespace {

constexpr const char* kMoreThanOneRow = "查询返回了多于一行的数据";

}  // namespace

int Transaction::ok(std::int64_t rows) {
    sqlcode_ = kSuccess;
    sqldbcode_ = 0;
    sqlerrtext_.clear();
    sqlstate_.clear();
    sqlnrows_ = rows;
    return sqlcode_;
}

int Transaction::failed(const db::Error& e) {
    sqlcode_ = kError;
    sqldbcode_ = e.code();
    sqlerrtext_ = e.what();
    sqlstate_ = e.sqlstate();
    sqlnrows_ = 0;
    return sqlcode_;
}

std::string Transaction::reason() const {
    return db::explain(sqldbcode_, sqlstate_, sqlerrtext_);
}

int Transaction::not_found() {
    sqlcode_ = kNotFound;
    sqlerrtext_.clear();
    sqlnrows_ = 0;
    return sqlcode_;
}

int Transaction::not_connected() {
    return failed(db::Error(-1, "08003", "数据库未连接"));
}

int Transaction::connect(std::string_view url) {
    try {
        attach(db::connect(url));
        return ok();
    } catch (const db::Error& e) {
        return failed(e);
    }
}

void Transaction::attach(std::unique_ptr<db::Connection> conn) {
    disconnect();
    conn_ = std::move(conn);
    ok();
}

int Transaction::disconnect() {
    if (!conn_) return ok();
    try {
        conn_->rollback();
    } catch (const db::Error&) {
        // The connection is going away; nothing open on it survives either way.
    }
    conn_.reset();
    return ok();
}

void Transaction::begin_write() {
    if (!autocommit_ && !conn_->in_transaction()) conn_->begin();
}

int Transaction::set_autocommit(bool on) {
    // A failed commit leaves the flag off and the transaction open for the caller to roll
    // back; with the flag on, later writes would join a transaction that nobody ends.
    if (on && conn_ && conn_->in_transaction() && commit() != kSuccess) return sqlcode_;
    autocommit_ = on;
    return ok();
}

int Transaction::select_into(std::string_view sql, const db::Params& params,
                             std::vector<db::Value>& into) {
    if (!conn_) return not_connected();
    try {
        auto cursor = conn_->query(sql, params);
        if (!cursor->next()) return not_found();
        std::vector<db::Value> row;
        for (std::size_t c = 0; c < cursor->column_count(); ++c) row.push_back(cursor->value(c));
        if (cursor->next()) throw db::Error(-1, "21000", kMoreThanOneRow);
        into = std::move(row);
        return ok(1);
    } catch (const db::Error& e) {
        return failed(e);
    }
}

int Transaction::execute(std::string_view sql, const db::Params& params) {
    if (!conn_) return not_connected();
    try {
        begin_write();
        return ok(conn_->execute(sql, params));
    } catch (const db::Error& e) {
        return failed(e);
    }
}

int Transaction::select_count(std::string_view sql, const db::Params& params, std::int64_t& count) {
    std::vector<db::Value> row;
    int rc = select_into(sql, params, row);
    if (rc != kSuccess) return rc;
    if (row.empty() || !row[0].is_integer())
        return failed(db::Error(-1, "", "计数查询没有返回整数"));
    count = row[0].as_integer();
    return rc;
}

int Transaction::selectblob(std::string_view sql, const db::Params& params,
                            std::optional<db::Bytes>& blob) {
    if (!conn_) return not_connected();
    try {
        switch (conn_->read_blob(sql, params, blob)) {
            case 0:
                return not_found();
            case 1:
                return ok(1);
            default:
                throw db::Error(-1, "21000", kMoreThanOneRow);
        }
    } catch (const db::Error& e) {
        return failed(e);
    }
}

int Transaction::updateblob(std::string_view sql, db::Bytes blob, const db::Params& params) {
    db::Params all;
    all.reserve(params.size() + 1);
    all.emplace_back(std::move(blob));
    all.insert(all.end(), params.begin(), params.end());
    return execute(sql, all);
}

int Transaction::commit() {
    if (!conn_) return not_connected();
    try {
        if (conn_->in_transaction()) conn_->commit();
        return ok();
    } catch (const db::Error& e) {
        return failed(e);
    }
}

int Transaction::rollback() {
    if (!conn_) return not_connected();
    try {
        conn_->rollback();
        return ok();
    } catch (const db::Error& e) {
        return failed(e);
    }
}

int Transaction::run_unit(const std::function<void(db::Connection&)>& work) {
    if (!conn_) return not_connected();
    std::optional<db::Unit> unit;
    try {
        unit.emplace(*conn_);
    } catch (const db::Error& e) {
        return failed(e);
    }
    // Whatever ends the unit early undoes all of it, so no half of it is committed later.
    try {
        work(*conn_);
        if (autocommit_ && unit->began_transaction()) conn_->commit();  // failed: undone below
        unit->keep();
        return ok();
    } catch (const db::Error& e) {
        unit->undo();
        return failed(e);
    }
}

}  // namespace runtime
