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
#include "platform/db/sqlite/sqlite_cursor.h"
#include "platform/db/sqlite/sqlite_statement.h"
#include "platform/db/zero_text.h"

namespace db {
namespace {

using sqlite::fail;
using sqlite::SqliteCursor;
using sqlite::Statement;

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
        ++round_trips_;
        Statement st(h_, sql);
        st.bind(params, true);
        while (st.step()) {
        }
        return sqlite3_changes64(h_);
    }

    std::unique_ptr<Cursor> query(std::string_view sql, const Params& params) override {
        refuse_zero_characters(sql, params);
        ++round_trips_;
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
        ++round_trips_;
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

    // In-process, there are no round trips: the statements run.
    std::int64_t round_trips() const override { return round_trips_; }

  private:
    sqlite3* h_;
    std::optional<OpenDatabaseFile> file_;
    std::int64_t round_trips_ = 0;
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
