#include "platform/db/postgres/pg_stream.h"

#include <cstdlib>
#include <new>
#include <utility>

#include "platform/db/postgres/pg_values.h"

namespace db::pg {
namespace {

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

Stream::Stream(Session& session, bool guarded)
    : session_(&session), guarded_(guarded), utc_offset_(session.utc_offset_) {
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

std::optional<std::int64_t> Stream::row_count() const {
    if (begun_) return std::nullopt;
    // Before the first row: a result that arrived whole holds all the rows, and one that
    // ended without any has none.
    if (ahead_ && PQresultStatus(ahead_) == PGRES_TUPLES_OK) return PQntuples(ahead_);
    if (!arriving_ && !ahead_ && !error_) return 0;
    return std::nullopt;
}

void Stream::describe(const PGresult* res) {
    if (!names_.empty() || PQnfields(res) == 0) return;
    const int n = PQnfields(res);
    for (int c = 0; c < n; ++c) {
        names_.emplace_back(PQfname(res, c));
        types_.push_back(PQftype(res, c));
        if (!readable(types_.back()) && !error_) {
            unreadable_ = true;
            error_ =
                Error(-1, "0A000",
                      "第 " + std::to_string(c + 1) + " 列 (" + names_.back() + ") 的类型 (OID " +
                          std::to_string(types_.back()) + ") 不能读取; 请在语句中把它转换为 text");
        }
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
                if (unreadable_)
                    PQclear(res);
                else
                    ahead_ = res;
                break;
            case PGRES_TUPLES_OK:  // the end of the rows (all of them, without single rows)
            case PGRES_COMMAND_OK:
                describe(res);
                affected_ = std::strtoll(PQcmdTuples(res), nullptr, 10);
                if (PQntuples(res) > 0 && !unreadable_)
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
    if (!session_->connected()) {
        std::string detail = error_ ? error_->what() : trimmed(PQerrorMessage(session_->conn()));
        error_ = session_->lost(guarded_, detail);
    }
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
    begun_ = true;
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

Cell Stream::cell(std::size_t col) const {
    const int c = static_cast<int>(col);
    return {types_[col],
            std::string_view(PQgetvalue(current_, row_, c), PQgetlength(current_, row_, c)),
            utc_offset_};
}

ValueView Stream::view(std::size_t col) const {
    if (!current_ || PQgetisnull(current_, row_, static_cast<int>(col))) return {};
    return decode(cell(col), scratch_[col]);
}

std::string_view Stream::text(std::size_t col, bool* null) const {
    bool is_null = !current_ || PQgetisnull(current_, row_, static_cast<int>(col));
    if (null) *null = is_null;
    if (is_null) return {};
    return text_of(cell(col), scratch_[col]);
}

}  // namespace db::pg
