// SQLite backend: a file in WAL mode with a busy timeout, or a private in-memory database.
#include "platform/db/sqlite/sqlite_connection.h"

#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/database_files.h"
#include "platform/db/zero_text.h"

namespace db {
namespace {

[[noreturn]] void fail(sqlite3* h, const std::string& context = {}) {
    std::string msg = sqlite3_errmsg(h);
    if (!context.empty()) msg = context + ": " + msg;
    throw Error(sqlite3_extended_errcode(h), "", msg);
}

bool is_datetime_decl(const char* decl) {
    if (!decl) return false;
    std::string d(decl);
    for (auto& ch : d) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return d.find("DATE") != std::string::npos || d.find("TIME") != std::string::npos;
}

bool only_blanks(const char* p) {
    for (; *p; ++p)
        if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';') return false;
    return true;
}

class Statement {
  public:
    Statement(sqlite3* h, std::string_view sql) : h_(h) {
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(h, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail) !=
            SQLITE_OK)
            fail(h);
        if (!stmt_) throw Error(SQLITE_MISUSE, "", "empty statement");
        if (tail && tail < sql.data() + sql.size() &&
            !only_blanks(std::string(tail, sql.data() + sql.size()).c_str())) {
            sqlite3_finalize(stmt_);
            throw Error(SQLITE_MISUSE, "", "more than one statement in one call");
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // `keep`: the values outlive the statement's steps, so SQLite reads them in place
    // instead of copying (a large blob is then held once).
    void bind(const Params& params, bool keep = false) {
        keep_ = keep;
        int expected = sqlite3_bind_parameter_count(stmt_);
        if (expected != static_cast<int>(params.size()))
            throw Error(SQLITE_RANGE, "",
                        "statement takes " + std::to_string(expected) + " values, " +
                            std::to_string(params.size()) + " given");
        for (int i = 0; i < expected; ++i) bind_one(i + 1, params[i]);
    }

    // Steps once; true when a row is available.
    bool step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail(h_);
    }

    sqlite3_stmt* get() const { return stmt_; }

  private:
    void bind_one(int pos, const Value& v) {
        int rc = SQLITE_OK;
        if (v.is_null()) {
            rc = sqlite3_bind_null(stmt_, pos);
        } else if (v.is_integer()) {
            rc = sqlite3_bind_int64(stmt_, pos, v.as_integer());
        } else if (v.is_real()) {
            rc = sqlite3_bind_double(stmt_, pos, v.as_real());
        } else if (v.is_text()) {
            const auto& s = v.as_text();
            rc = sqlite3_bind_text64(stmt_, pos, s.data(), s.size(), lifetime(), SQLITE_UTF8);
        } else if (v.is_bytes()) {
            const auto& b = v.as_bytes();
            // A zero-length blob is still a blob, not null.
            rc =
                sqlite3_bind_blob64(stmt_, pos, b.empty() ? "" : static_cast<const void*>(b.data()),
                                    b.size(), lifetime());
        } else {
            std::string s = v.as_datetime().to_string();
            rc = sqlite3_bind_text64(stmt_, pos, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK) fail(h_, "binding value " + std::to_string(pos));
    }

    sqlite3_destructor_type lifetime() const { return keep_ ? SQLITE_STATIC : SQLITE_TRANSIENT; }

    sqlite3* h_;
    sqlite3_stmt* stmt_ = nullptr;
    bool keep_ = false;
};

class SqliteCursor : public Cursor {
  public:
    SqliteCursor(sqlite3* h, std::string_view sql, const Params& params) : stmt_(h, sql) {
        stmt_.bind(params);
        int n = sqlite3_column_count(stmt_.get());
        names_.reserve(n);
        datetime_.reserve(n);
        for (int c = 0; c < n; ++c) {
            names_.emplace_back(sqlite3_column_name(stmt_.get(), c));
            datetime_.push_back(is_datetime_decl(sqlite3_column_decltype(stmt_.get(), c)));
        }
    }

    bool next() override {
        if (done_) return false;
        // Marked done first: stepping a failed statement again would start it over.
        done_ = true;
        if (!stmt_.step()) return false;
        done_ = false;
        return true;
    }
    std::size_t column_count() const override { return names_.size(); }
    const std::string& column_name(std::size_t c) const override { return names_.at(c); }

    ValueView view(std::size_t col) const override {
        sqlite3_stmt* s = stmt_.get();
        int c = static_cast<int>(col);
        switch (sqlite3_column_type(s, c)) {
            case SQLITE_NULL:
                return {};
            case SQLITE_INTEGER:
                return ValueView::of_integer(sqlite3_column_int64(s, c));
            case SQLITE_FLOAT:
                return ValueView::of_real(sqlite3_column_double(s, c));
            case SQLITE_BLOB: {
                auto p = static_cast<const char*>(sqlite3_column_blob(s, c));
                int n = sqlite3_column_bytes(s, c);
                return ValueView::of_bytes(p ? std::string_view(p, n) : std::string_view());
            }
            default: {
                std::string_view t = text(col, nullptr);
                if (datetime_[col])
                    if (auto dt = DateTime::parse(t)) return ValueView::of_datetime(*dt);
                return ValueView::of_text(t);
            }
        }
    }

    std::string_view text(std::size_t col, bool* null) const override {
        sqlite3_stmt* s = stmt_.get();
        int c = static_cast<int>(col);
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
        if (null) *null = p == nullptr;
        if (!p) return {};
        return std::string_view(p, sqlite3_column_bytes(s, c));
    }

  private:
    Statement stmt_;
    std::vector<std::string> names_;
    std::vector<bool> datetime_;
    bool done_ = false;
};

class SqliteConnection : public Connection {
  public:
    explicit SqliteConnection(sqlite3* h) : h_(h) {
        // Listed while open, so that the process never opens the files behind SQLite's back.
        const char* file = sqlite3_db_filename(h, "main");
        if (file && *file) file_.emplace(file);
    }
    ~SqliteConnection() override { sqlite3_close_v2(h_); }

    Backend backend() const override { return Backend::sqlite; }
    const Dialect& dialect() const override { return sqlite_dialect(); }

    std::int64_t execute(std::string_view sql, const Params& params) override {
        refuse_zero_characters(sql, params);
        Statement st(h_, sql);
        st.bind(params, true);
        while (st.step()) {
        }
        return sqlite3_changes64(h_);
    }

    std::unique_ptr<Cursor> query(std::string_view sql, const Params& params) override {
        refuse_zero_characters(sql, params);
        return std::make_unique<SqliteCursor>(h_, sql, params);
    }

    void begin() override { execute("BEGIN IMMEDIATE", {}); }
    void commit() override { execute("COMMIT", {}); }
    void rollback() override {
        if (in_transaction()) execute("ROLLBACK", {});
    }
    bool in_transaction() const override { return sqlite3_get_autocommit(h_) == 0; }

    void execute_script(std::string_view sql) override {
        refuse_zero_characters(sql);
        char* err = nullptr;
        std::string s(sql);
        if (sqlite3_exec(h_, s.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errmsg(h_);
            sqlite3_free(err);
            throw Error(sqlite3_extended_errcode(h_), "", msg);
        }
    }

    // A file knows no users: the one who runs the program, as the system knows the account
    // (not $USER, which anyone may set).
    std::string authenticated_user() override {
        const passwd* account = ::getpwuid(::geteuid());
        return account && account->pw_name ? account->pw_name : std::to_string(::geteuid());
    }

    std::string location() const override {
        const char* file = sqlite3_db_filename(h_, "main");
        return file && *file ? file : ":memory:";
    }

  private:
    sqlite3* h_;
    std::optional<OpenDatabaseFile> file_;
};

struct Options {
    std::string path;
    int busy_timeout_ms = 5000;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
};

Options parse_location(std::string_view location) {
    Options o;
    auto q = location.find('?');
    o.path = std::string(location.substr(0, q));
    if (q == std::string_view::npos) return o;
    std::string_view rest = location.substr(q + 1);
    while (!rest.empty()) {
        auto amp = rest.find('&');
        std::string_view kv = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view{} : rest.substr(amp + 1);
        auto eq = kv.find('=');
        std::string_view key = kv.substr(0, eq);
        std::string_view val = eq == std::string_view::npos ? "" : kv.substr(eq + 1);
        if (key == "busy_timeout") {
            auto r = std::from_chars(val.data(), val.data() + val.size(), o.busy_timeout_ms);
            if (r.ec != std::errc() || o.busy_timeout_ms < 0)
                throw Error(SQLITE_MISUSE, "", "bad busy_timeout in database URL");
        } else if (key == "mode" && val == "ro") {
            o.flags = SQLITE_OPEN_READONLY;
        } else if (key == "mode" && val == "rw") {
            o.flags = SQLITE_OPEN_READWRITE;
        } else if (key == "mode" && val == "rwc") {
            o.flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        } else {
            throw Error(SQLITE_MISUSE, "", "unknown option in database URL: " + std::string(kv));
        }
    }
    return o;
}

}  // namespace

std::unique_ptr<Connection> open_sqlite(std::string_view location) {
    Options o = parse_location(location);
    if (o.path.empty()) throw Error(SQLITE_CANTOPEN, "", "no database file given");
    std::error_code ec;
    const bool is_new = o.path != ":memory:" && !std::filesystem::exists(o.path, ec);
    sqlite3* h = nullptr;
    int rc = sqlite3_open_v2(o.path.c_str(), &h, o.flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = h ? sqlite3_errmsg(h) : sqlite3_errstr(rc);
        int code = h ? sqlite3_extended_errcode(h) : rc;
        sqlite3_close_v2(h);
        if (!(o.flags & SQLITE_OPEN_CREATE) && !std::filesystem::exists(o.path, ec))
            msg = "the database file does not exist";
        throw Error(code, "", "cannot open " + o.path + ": " + msg);
    }
    // A new database holds personal data: for its user alone. Its -wal and -shm files take
    // the same mode from it. Nothing is written to it yet.
    if (is_new) ::chmod(o.path.c_str(), S_IRUSR | S_IWUSR);
    auto conn = std::make_unique<SqliteConnection>(h);
    sqlite3_busy_timeout(h, o.busy_timeout_ms);
    sqlite3_extended_result_codes(h, 1);
    // Reading the schema proves the file is a database (a text file fails here, not later).
    try {
        conn->execute_script("SELECT count(*) FROM sqlite_schema");
        if (o.path != ":memory:" && o.flags != SQLITE_OPEN_READONLY)
            conn->execute_script("PRAGMA journal_mode=WAL");
    } catch (const Error& e) {
        throw Error(e.code(), "", "cannot open " + o.path + ": " + e.what());
    }
    return conn;
}

}  // namespace db
