// PostgreSQL backend over libpq. Results are read whole (PQexecParams), so several cursors
// may be open on one connection at a time; callers that page keep their queries small.
#include "platform/db/postgres/pg_connection.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace db {
namespace {

// Type OIDs from PostgreSQL's catalogue (pg_type.h); stable across versions.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;

std::string trimmed(const char* msg) {
    std::string s = msg ? msg : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

[[noreturn]] void fail(PGresult* res) {
    const char* state = PQresultErrorField(res, PG_DIAG_SQLSTATE);
    std::string msg = trimmed(PQresultErrorMessage(res));
    std::string sqlstate = state ? state : "";
    PQclear(res);
    throw Error(0, sqlstate, msg);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// bytea arrives in the hex text form "\x0a1b...".
Bytes decode_bytea(const char* s, int len) {
    Bytes out;
    if (len >= 2 && s[0] == '\\' && s[1] == 'x') {
        out.reserve((len - 2) / 2);
        for (int i = 2; i + 1 < len; i += 2)
            out.push_back(static_cast<std::uint8_t>(hex_digit(s[i]) * 16 + hex_digit(s[i + 1])));
        return out;
    }
    std::size_t n = 0;
    unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(s), &n);
    if (raw) {
        out.assign(raw, raw + n);
        PQfreemem(raw);
    }
    return out;
}

class PgCursor : public Cursor {
  public:
    explicit PgCursor(PGresult* res) : res_(res), rows_(PQntuples(res)) {
        int n = PQnfields(res);
        for (int c = 0; c < n; ++c) {
            names_.emplace_back(PQfname(res, c));
            types_.push_back(PQftype(res, c));
        }
    }
    ~PgCursor() override { PQclear(res_); }

    bool next() override {
        if (row_ + 1 >= rows_) {
            row_ = rows_;
            return false;
        }
        ++row_;
        return true;
    }
    std::size_t column_count() const override { return names_.size(); }
    const std::string& column_name(std::size_t c) const override { return names_.at(c); }

    Value value(std::size_t col) const override {
        int c = static_cast<int>(col);
        if (PQgetisnull(res_, row_, c)) return Value();
        const char* s = PQgetvalue(res_, row_, c);
        int len = PQgetlength(res_, row_, c);
        switch (types_[col]) {
            case kBool:
                return Value(std::int64_t{s[0] == 't'});
            case kInt2:
            case kInt4:
            case kInt8:
            case kOid:
                return Value(static_cast<std::int64_t>(std::strtoll(s, nullptr, 10)));
            case kFloat4:
            case kFloat8:
            case kNumeric:
                return Value(std::strtod(s, nullptr));
            case kBytea:
                return Value(decode_bytea(s, len));
            case kDate:
            case kTimestamp:
            case kTimestampTz: {
                // Drop a time-zone suffix ("+00", "-05:30"); the system keeps local times.
                std::string_view t(s, len);
                if (types_[col] == kTimestampTz && t.size() > 19) {
                    auto z = t.find_first_of("+-", 19);
                    if (z != std::string_view::npos) t = t.substr(0, z);
                }
                if (auto dt = DateTime::parse(t)) return Value(*dt);
                return Value(std::string_view(s, len));
            }
            default:
                return Value(std::string_view(s, len));
        }
    }

    std::string_view text(std::size_t col, bool* null) const override {
        int c = static_cast<int>(col);
        bool is_null = PQgetisnull(res_, row_, c);
        if (null) *null = is_null;
        if (is_null) return {};
        return std::string_view(PQgetvalue(res_, row_, c), PQgetlength(res_, row_, c));
    }

  private:
    PGresult* res_;
    int rows_;
    int row_ = -1;
    std::vector<std::string> names_;
    std::vector<Oid> types_;
};

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

class PgConnection : public Connection {
  public:
    explicit PgConnection(PGconn* c) : c_(c) {}
    ~PgConnection() override { PQfinish(c_); }

    Backend backend() const override { return Backend::postgresql; }

    std::int64_t execute(std::string_view sql, const Params& params) override {
        PGresult* res = run(sql, params);
        std::int64_t n = std::strtoll(PQcmdTuples(res), nullptr, 10);
        PQclear(res);
        return n;
    }

    std::unique_ptr<Cursor> query(std::string_view sql, const Params& params) override {
        return std::make_unique<PgCursor>(run(sql, params));
    }

    void begin() override { simple("BEGIN"); }
    void commit() override { simple("COMMIT"); }
    void rollback() override {
        if (in_transaction()) simple("ROLLBACK");
    }
    bool in_transaction() const override { return PQtransactionStatus(c_) != PQTRANS_IDLE; }
    void execute_script(std::string_view sql) override { simple(std::string(sql)); }
    // Savepoint commands go straight through: the per-statement guard of run() would
    // otherwise wrap (and be destroyed by) them.
    void savepoint(std::string_view name) override { simple("SAVEPOINT " + std::string(name)); }
    void release(std::string_view name) override {
        simple("RELEASE SAVEPOINT " + std::string(name));
    }
    void rollback_to(std::string_view name) override {
        simple("ROLLBACK TO SAVEPOINT " + std::string(name));
    }

  private:
    void simple(const std::string& sql) {
        PGresult* res = PQexec(c_, sql.c_str());
        check(res);
        PQclear(res);
    }

    void check(PGresult* res) {
        if (!res) throw Error(-1, "", trimmed(PQerrorMessage(c_)));
        auto st = PQresultStatus(res);
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) fail(res);
    }

    // Inside an open transaction a failed statement would abort the whole transaction on
    // PostgreSQL; a savepoint around it keeps the transaction usable, as on SQLite.
    PGresult* run(std::string_view sql, const Params& params) {
        std::string numbered = number_placeholders(sql);
        PgParams p(params);
        bool guard = in_transaction();
        if (guard) simple("SAVEPOINT tarvo_stmt");
        PGresult* res =
            PQexecParams(c_, numbered.c_str(), static_cast<int>(params.size()), p.types.data(),
                         p.values.data(), p.lengths.data(), p.formats.data(), 0);
        try {
            check(res);
        } catch (...) {
            if (guard) simple("ROLLBACK TO SAVEPOINT tarvo_stmt; RELEASE SAVEPOINT tarvo_stmt");
            throw;
        }
        if (guard) simple("RELEASE SAVEPOINT tarvo_stmt");
        return res;
    }

    PGconn* c_;
};

void ignore_notice(void*, const char*) {}

}  // namespace

std::string number_placeholders(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 8);
    int n = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        char ch = sql[i];
        if (ch == '\'' || ch == '"') {
            std::size_t end = sql.find(ch, i + 1);
            if (end == std::string_view::npos) end = sql.size() - 1;
            out.append(sql.substr(i, end - i + 1));
            i = end;
        } else if (ch == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            std::size_t end = sql.find('\n', i);
            if (end == std::string_view::npos) end = sql.size() - 1;
            out.append(sql.substr(i, end - i + 1));
            i = end;
        } else if (ch == '?') {
            out += '$';
            out += std::to_string(++n);
        } else {
            out += ch;
        }
    }
    return out;
}

std::unique_ptr<Connection> open_postgres(std::string_view url) {
    PGconn* c = PQconnectdb(std::string(url).c_str());
    if (!c || PQstatus(c) != CONNECTION_OK) {
        std::string msg = c ? trimmed(PQerrorMessage(c)) : "out of memory";
        PQfinish(c);
        throw Error(-1, "08001", "cannot connect to PostgreSQL: " + msg);
    }
    PQsetNoticeProcessor(c, ignore_notice, nullptr);
    if (PQsetClientEncoding(c, "UTF8") != 0) {
        std::string msg = trimmed(PQerrorMessage(c));
        PQfinish(c);
        throw Error(-1, "", "cannot use UTF-8 with the server: " + msg);
    }
    return std::make_unique<PgConnection>(c);
}

}  // namespace db
