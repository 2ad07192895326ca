// The session side of the PostgreSQL backend: sending statements, the checks made before
// each one, and what happens when the connection is lost.
#include "platform/db/postgres/pg_session.h"

#include <poll.h>

#include <climits>
#include <cstdlib>

#include "platform/db/postgres/pg_connection.h"
#include "platform/db/postgres/pg_stream.h"
#include "platform/db/postgres/pg_values.h"
#include "platform/db/sql_scanner.h"
#include "platform/db/zero_text.h"

namespace db::pg {
namespace {

constexpr Oid kBytea = 17;
constexpr char kLost[] = "08006";  // connection_failure

// Parameters in libpq's form: bytes go binary straight from the caller's value, text as it
// is, other values in their text form.
struct PgParams {
    std::vector<std::string> text;
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    std::vector<Oid> types;

    explicit PgParams(const Params& params) : text(params.size()) {
        for (std::size_t i = 0; i < params.size(); ++i) add(params[i], text[i]);
    }

  private:
    void add(const Value& v, std::string& own) {
        const char* data = nullptr;
        std::size_t size = 0;
        if (v.is_bytes()) {
            const auto& b = v.as_bytes();
            data = b.empty() ? "" : reinterpret_cast<const char*>(b.data());
            size = b.size();
        } else if (v.is_text()) {
            data = v.as_text().c_str();
            size = v.as_text().size();
        } else if (!v.is_null()) {
            own = v.to_string();
            data = own.c_str();
            size = own.size();
        }
        if (size > INT_MAX) throw Error(-1, "54000", "值太大, 超过 2 GB, 不能发送给数据库");
        values.push_back(data);
        lengths.push_back(static_cast<int>(size));
        formats.push_back(v.is_bytes() ? 1 : 0);
        types.push_back(v.is_bytes() ? kBytea : 0);  // 0: the server infers from the context
    }
};

bool standard_strings_on(PGconn* conn) {
    const char* s = PQparameterStatus(conn, "standard_conforming_strings");
    return s && std::string_view(s) == "on";
}

// A server that ended the connection while it was idle has left its last message, or the
// end of the stream, to be read; reading it tells libpq the connection is gone.
// One read takes the message, the next the end of the stream.
void notice_idle_loss(PGconn* conn) {
    for (int reads = 0; reads < 4 && PQstatus(conn) == CONNECTION_OK; ++reads) {
        pollfd p{PQsocket(conn), POLLIN, 0};
        if (p.fd < 0 || poll(&p, 1, 0) <= 0) return;
        PQconsumeInput(conn);
        PQisBusy(conn);  // parses what was read: a fatal error comes as a notice
    }
}

}  // namespace

void use_standard_strings(PGconn* conn) {
    if (standard_strings_on(conn)) return;
    PGresult* res = PQexec(conn, "SET standard_conforming_strings = on");
    std::string detail;
    if (!res || PQresultStatus(res) != PGRES_COMMAND_OK)
        detail = ": " + (res ? trimmed(PQresultErrorMessage(res)) : trimmed(PQerrorMessage(conn)));
    PQclear(res);
    if (!standard_strings_on(conn))
        throw Error(-1, "55000",
                    "数据库连接不能打开 standard_conforming_strings, 为防止文本被当作语句执行,"
                    " 拒绝使用该连接" +
                        detail);
}

Session::Session(PGconn* conn) : conn_(conn) {
    PQsetNoticeReceiver(conn_, on_notice, this);
}

void Session::on_notice(void* session, const PGresult* res) {
    const char* severity = PQresultErrorField(res, PG_DIAG_SEVERITY_NONLOCALIZED);
    const std::string_view s = severity ? severity : "";
    if (s == "FATAL" || s == "PANIC") static_cast<Session*>(session)->farewell_ = true;
}

Session::~Session() {
    if (arriving_) arriving_->cut_off();
    PQfinish(conn_);
}

bool Session::in_transaction() const {
    if (lost_transaction_) return true;
    if (arriving_) return arriving_in_transaction_;
    return connected() && !farewell_ && PQtransactionStatus(conn_) != PQTRANS_IDLE;
}

void Session::settle() {
    if (arriving_) arriving_->park();
}

Error Session::lost(bool in_transaction, const std::string& detail) {
    lost_transaction_ = lost_transaction_ || in_transaction;
    std::string msg = in_transaction ? "与数据库服务器的连接已断开, 未提交的事务已丢失"
                                     : "与数据库服务器的连接已断开";
    return Error(-1, kLost, detail.empty() ? msg : msg + ": " + detail);
}

void Session::revive() {
    if (lost_transaction_)
        throw Error(-1, kLost, "与数据库服务器的连接已断开, 事务已丢失; 请先回滚, 再重新开始");
    if (connected() && !farewell_) {  // (a farewell already heard was already reported)
        const bool open = PQtransactionStatus(conn_) != PQTRANS_IDLE;
        notice_idle_loss(conn_);
        if (connected() && !farewell_) return;
        if (open) throw lost(true, trimmed(PQerrorMessage(conn_)));
    }
    farewell_ = false;
    PQreset(conn_);  // with the first connection's parameters: the same wait for an answer
    if (!connected())
        throw Error(-1, kLost,
                    "与数据库服务器的连接已断开, 重新连接失败: " + trimmed(PQerrorMessage(conn_)));
    use_standard_strings(conn_);
}

void Session::keep_settings() {
    if (!standard_strings_on(conn_)) use_standard_strings(conn_);
    const char* zone = PQparameterStatus(conn_, "TimeZone");
    if (!zone || zone_ == zone) return;
    // Binary timestamps with a time zone arrive in UTC; they are read in the session's zone.
    ++round_trips_;
    PGresult* res = PQexec(conn_, "SELECT CAST(EXTRACT(TIMEZONE FROM now()) AS integer)");
    if (PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) == 1) {
        utc_offset_ = std::atoi(PQgetvalue(res, 0, 0));
        zone_ = zone;
    }
    PQclear(res);
}

void Session::simple(const std::string& sql) {
    settle();
    revive();
    const bool open = PQtransactionStatus(conn_) != PQTRANS_IDLE;
    ++round_trips_;
    PGresult* res = PQexec(conn_, sql.c_str());
    if (!connected()) {
        std::string detail = trimmed(PQerrorMessage(conn_));
        PQclear(res);
        throw lost(open, detail);
    }
    if (!res) throw connection_error(conn_);
    auto st = PQresultStatus(res);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
        Error e = error_of(res);
        PQclear(res);
        throw e;
    }
    PQclear(res);
}

void Session::script(const std::string& sql) {
    refuse_zero_characters(sql);
    settle();
    revive();
    keep_settings();
    simple(sql);
}

void Session::rollback() {
    settle();
    if (lost_transaction_) {
        lost_transaction_ = false;  // the server dropped the transaction with the connection
        return;
    }
    if (!in_transaction()) return;
    try {
        simple("ROLLBACK");
    } catch (const Error& e) {
        if (e.sqlstate() != kLost) throw;
        lost_transaction_ = false;  // gone now, which is what a rollback asks for
    }
}

std::unique_ptr<Stream> Session::send(std::string_view sql, const Params& params, bool guard,
                                      bool row_by_row) {
    refuse_zero_characters(sql, params);
    settle();
    revive();
    keep_settings();
    std::string numbered = sql::number_questions(sql);
    PgParams p(params);
    bool guarded = guard && in_transaction();
    if (guarded) simple("SAVEPOINT tarvo_stmt");
    ++round_trips_;
    if (!PQsendQueryParams(conn_, numbered.c_str(), static_cast<int>(params.size()), p.types.data(),
                           p.values.data(), p.lengths.data(), p.formats.data(), 1)) {
        if (!connected()) throw lost(guarded, trimmed(PQerrorMessage(conn_)));
        Error e = connection_error(conn_);
        if (guarded) ended(nullptr, true, true);
        throw e;
    }
    // Refused only when it is too late, which cannot be here; the rows then come whole.
    if (row_by_row) PQsetSingleRowMode(conn_);
    arriving_in_transaction_ = guarded;
    return std::make_unique<Stream>(*this, guarded);
}

void Session::ended(Stream* stream, bool guarded, bool failed) {
    if (arriving_ == stream) arriving_ = nullptr;
    if (!guarded || !connected()) return;
    simple(failed ? "ROLLBACK TO SAVEPOINT tarvo_stmt; RELEASE SAVEPOINT tarvo_stmt"
                  : "RELEASE SAVEPOINT tarvo_stmt");
}

}  // namespace db::pg
