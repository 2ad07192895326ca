#include "platform/db/postgres/pg_stream.h"

#include <cstdlib>
#include <new>
#include <utility>

#include "platform/db/postgres/pg_connection.h"
#include "platform/db/postgres/pg_values.h"

namespace db::pg {
namespace {

constexpr Oid kBytea = 17;

// Parameters in libpq's form: text for everything but bytes, which go binary.
struct PgParams {
    std::vector<std::string> text;
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    std::vector<Oid> types;

    explicit PgParams(const Params& params) {
        text.reserve(params.size());
        for (const auto& v : params) {
            if (v.is_bytes()) {
                const auto& b = v.as_bytes();
                text.emplace_back(b.begin(), b.end());
                formats.push_back(1);
                types.push_back(kBytea);
            } else {
                text.push_back(v.to_string());
                formats.push_back(0);
                types.push_back(0);  // let the server infer from the context
            }
            lengths.push_back(static_cast<int>(text.back().size()));
        }
        for (std::size_t i = 0; i < params.size(); ++i)
            values.push_back(params[i].is_null() ? nullptr : text[i].c_str());
    }
};

// Appends every row of `batch` to `store` (created with the batch's columns when null).
void append_rows(PGresult*& store, const PGresult* batch) {
    if (!store) store = PQcopyResult(batch, PG_COPYRES_ATTRS);
    if (!store) throw std::bad_alloc();
    const int fields = PQnfields(batch);
    for (int r = 0; r < PQntuples(batch); ++r) {
        const int target = PQntuples(store);
        for (int c = 0; c < fields; ++c) {
            bool null = PQgetisnull(batch, r, c);
            if (!PQsetvalue(store, target, c, null ? nullptr : PQgetvalue(batch, r, c),
                            null ? -1 : PQgetlength(batch, r, c)))
                throw std::bad_alloc();
        }
    }
}

}  // namespace

Session::~Session() {
    if (arriving_) arriving_->cut_off();
    PQfinish(conn_);
}

bool Session::in_transaction() const {
    if (arriving_) return arriving_in_transaction_;
    return PQtransactionStatus(conn_) != PQTRANS_IDLE;
}

void Session::settle() {
    if (arriving_) arriving_->park();
}

void Session::simple(const std::string& sql) {
    settle();
    PGresult* res = PQexec(conn_, sql.c_str());
    if (!res) throw connection_error(conn_);
    auto st = PQresultStatus(res);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
        Error e = error_of(res);
        PQclear(res);
        throw e;
    }
    PQclear(res);
}

std::unique_ptr<Stream> Session::send(std::string_view sql, const Params& params) {
    settle();
    std::string numbered = number_placeholders(sql);
    PgParams p(params);
    bool guarded = in_transaction();
    if (guarded) simple("SAVEPOINT tarvo_stmt");
    if (!PQsendQueryParams(conn_, numbered.c_str(), static_cast<int>(params.size()), p.types.data(),
                           p.values.data(), p.lengths.data(), p.formats.data(), 0)) {
        Error e = connection_error(conn_);
        if (guarded) ended(nullptr, true, true);
        throw e;
    }
    // Refused only when it is too late, which cannot be here; the rows then come whole.
    PQsetSingleRowMode(conn_);
    arriving_in_transaction_ = guarded;
    return std::make_unique<Stream>(*this, guarded);
}

void Session::ended(Stream* stream, bool guarded, bool failed) {
    if (arriving_ == stream) arriving_ = nullptr;
    if (!guarded) return;
    simple(failed ? "ROLLBACK TO SAVEPOINT tarvo_stmt; RELEASE SAVEPOINT tarvo_stmt"
                  : "RELEASE SAVEPOINT tarvo_stmt");
}

Stream::Stream(Session& session, bool guarded) : session_(&session), guarded_(guarded) {
    session.arriving_ = this;
    try {
        receive();
    } catch (...) {  // out of memory: the connection is left to report its own state
        if (session.arriving_ == this) session.arriving_ = nullptr;
        throw;
    }
    if (!ahead_ && error_) {  // the statement failed before its first row
        Error e = *error_;
        error_.reset();
        throw e;
    }
}

Stream::~Stream() {
    // The rest of the result is read and dropped: the connection must be free for the next
    // statement, and the savepoint of a guarded statement must end.
    while (arriving_) {
        receive();
        PQclear(ahead_);
        ahead_ = nullptr;
    }
    PQclear(current_);
    PQclear(ahead_);
}

void Stream::describe(const PGresult* res) {
    if (!names_.empty() || PQnfields(res) == 0) return;
    const int n = PQnfields(res);
    for (int c = 0; c < n; ++c) {
        names_.emplace_back(PQfname(res, c));
        types_.push_back(PQftype(res, c));
    }
    scratch_.resize(n);
}

void Stream::receive() {
    while (arriving_ && !ahead_) {
        PGresult* res = PQgetResult(session_->conn());
        if (!res) {
            end();
            return;
        }
        switch (PQresultStatus(res)) {
            case PGRES_SINGLE_TUPLE:
                describe(res);
                ahead_ = res;
                break;
            case PGRES_TUPLES_OK:  // the end of the rows (all of them, without single rows)
            case PGRES_COMMAND_OK:
                describe(res);
                affected_ = std::strtoll(PQcmdTuples(res), nullptr, 10);
                if (PQntuples(res) > 0)
                    ahead_ = res;
                else
                    PQclear(res);
                break;
            default:
                if (!error_) error_ = error_of(res);
                PQclear(res);
                break;
        }
    }
}

void Stream::end() {
    arriving_ = false;
    try {
        session_->ended(this, guarded_, error_.has_value());
    } catch (const Error& e) {
        if (!error_) error_ = e;  // the savepoint could not end: the connection is gone
    }
}

void Stream::park() {
    PGresult* store = nullptr;
    try {
        if (ahead_) append_rows(store, ahead_);
        PQclear(ahead_);
        ahead_ = nullptr;
        while (arriving_) {
            receive();
            if (!ahead_) break;
            append_rows(store, ahead_);
            PQclear(ahead_);
            ahead_ = nullptr;
        }
    } catch (...) {
        PQclear(store);
        throw;
    }
    ahead_ = store;
}

void Stream::cut_off() {
    arriving_ = false;
    session_ = nullptr;
    if (!error_) error_ = Error(-1, "", "the connection was closed while rows were arriving");
}

bool Stream::next() {
    if (current_ && row_ + 1 < rows_) {
        ++row_;
        return true;
    }
    PQclear(current_);
    current_ = nullptr;
    row_ = rows_ = 0;
    if (!ahead_ && arriving_) receive();
    if (ahead_) {
        current_ = std::exchange(ahead_, nullptr);
        rows_ = PQntuples(current_);
        return true;
    }
    if (error_) {
        Error e = *error_;
        error_.reset();
        throw e;
    }
    return false;
}

ValueView Stream::view(std::size_t col) const {
    const int c = static_cast<int>(col);
    if (!current_ || PQgetisnull(current_, row_, c)) return {};
    return decode(types_[col], PQgetvalue(current_, row_, c), PQgetlength(current_, row_, c),
                  scratch_[col]);
}

std::string_view Stream::text(std::size_t col, bool* null) const {
    const int c = static_cast<int>(col);
    bool is_null = !current_ || PQgetisnull(current_, row_, c);
    if (null) *null = is_null;
    if (is_null) return {};
    return std::string_view(PQgetvalue(current_, row_, c), PQgetlength(current_, row_, c));
}

}  // namespace db::pg
