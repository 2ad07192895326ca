// PostgreSQL backend over libpq. Every statement's rows arrive one at a time (pg_stream.h),
// so reading a large result holds only what the reader keeps.
#include "platform/db/postgres/pg_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/db/postgres/pg_blob.h"
#include "platform/db/postgres/pg_stream.h"
#include "platform/db/postgres/pg_values.h"
#include "platform/db/sql_scanner.h"

namespace db {
namespace {

// libpq waits for ever on a server that accepts a connection and never answers; without a
// wait chosen elsewhere an attempt gives up after this many seconds.
constexpr char kConnectTimeout[] = "10";

// Whether the environment chose how long to wait: PGCONNECT_TIMEOUT, or a service (named by
// the URL or PGSERVICE) whose file may set connect_timeout, which a default given with the
// URL would override. The URL's own connect_timeout overrides the default.
bool wait_chosen(const std::string& url) {
    for (const char* variable : {"PGCONNECT_TIMEOUT", "PGSERVICE"})
        if (const char* v = std::getenv(variable); v && *v) return true;
    PQconninfoOption* options = PQconninfoParse(url.c_str(), nullptr);
    bool chosen = false;
    for (const PQconninfoOption* o = options; o && o->keyword; ++o)
        if (o->val && *o->val && std::string_view(o->keyword) == "service") chosen = true;
    PQconninfoFree(options);
    return chosen;
}

// libpq ends a URL's user information at its first '@', so the rest of a password holding a
// raw '@' would be taken for the host name, and shown in libpq's message about it.
void refuse_raw_at(std::string_view url) {
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos) return;
    const auto at = url.find_first_of("@/", scheme + 3);  // where libpq ends the user information
    if (at == std::string_view::npos || url[at] != '@') return;
    const auto host_end = std::min(url.find_first_of("/?", at), url.size());
    if (url.find('@', at + 1) < host_end)
        throw Error(-1, "08001",
                    "cannot connect to PostgreSQL: the user name or password in " + masked(url) +
                        " holds an '@'; write it as %40, or keep the password in ~/.pgpass");
}

std::string text_of(const char* s) {
    return s ? s : "";
}

class PgConnection : public Connection {
  public:
    explicit PgConnection(PGconn* c) : session_(c) {}

    Backend backend() const override { return Backend::postgresql; }
    const Dialect& dialect() const override { return postgres_dialect(); }

    std::int64_t execute(std::string_view sql, const Params& params) override {
        auto rows = session_.send(sql, params, !in_unit());
        while (rows->next()) {
        }
        return rows->affected();
    }

    std::unique_ptr<Cursor> query(std::string_view sql, const Params& params) override {
        return session_.send(sql, params, !in_unit());
    }
    std::unique_ptr<Cursor> query_whole(std::string_view sql, const Params& params) override {
        return session_.send(sql, params, !in_unit(), false);
    }

    int read_blob(std::string_view sql, const Params& params, std::optional<Bytes>& blob) override {
        int rows = pg::read_blob_in_pieces(session_, sql, params, blob);
        return rows >= 0 ? rows : Connection::read_blob(sql, params, blob);
    }

    void begin() override { session_.simple("BEGIN"); }
    void commit() override { session_.simple("COMMIT"); }
    void rollback() override { session_.rollback(); }
    bool in_transaction() const override { return session_.in_transaction(); }
    void execute_script(std::string_view sql) override { session_.script(std::string(sql)); }
    std::string authenticated_user() override {
        auto rows = session_.send("SELECT session_user", {});
        return rows->next() ? std::string(rows->text(0, nullptr)) : std::string();
    }
    void set_role_password(const std::string& role, const std::string& password) override {
        PGconn* c = session_.conn();
        char* verifier = PQencryptPasswordConn(c, password.c_str(), role.c_str(), "scram-sha-256");
        if (!verifier)
            throw Error(-1, "", "cannot hash the password: " + pg::trimmed(PQerrorMessage(c)));
        const std::string hashed = verifier;
        PQfreemem(verifier);
        // The hash holds no quote; the role's name is quoted as an identifier.
        execute("ALTER ROLE " + sql::quote_identifier(role) + " PASSWORD '" + hashed + "'", {});
    }
    std::int64_t round_trips() const override { return session_.round_trips(); }
    std::string location() const override {
        PGconn* c = session_.conn();
        return text_of(PQhost(c)) + ":" + text_of(PQport(c)) + "/" + text_of(PQdb(c));
    }
    // Savepoint commands go straight through: the per-statement guard of a sent statement
    // would otherwise wrap (and be destroyed by) them.
    void savepoint(std::string_view name) override {
        session_.simple("SAVEPOINT " + std::string(name));
    }
    void release(std::string_view name) override {
        session_.simple("RELEASE SAVEPOINT " + std::string(name));
    }
    void rollback_to(std::string_view name) override {
        session_.simple("ROLLBACK TO SAVEPOINT " + std::string(name));
    }

  private:
    pg::Session session_;
};

}  // namespace

std::unique_ptr<Connection> open_postgres(std::string_view url, const std::string& password) {
    refuse_raw_at(url);
    // The encoding, the wait and the password are connection parameters, so that a
    // connection opened again after a lost server keeps them. The URL's settings come after
    // the default wait; a password given here after the URL's.
    const std::string dbname(url);
    std::vector<const char*> keys, values;
    if (!wait_chosen(dbname)) {
        keys.push_back("connect_timeout");
        values.push_back(kConnectTimeout);
    }
    keys.insert(keys.end(), {"dbname", "client_encoding"});
    values.insert(values.end(), {dbname.c_str(), "UTF8"});
    if (!password.empty()) {
        keys.push_back("password");
        values.push_back(password.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* c = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        const std::string msg = c ? pg::trimmed(PQerrorMessage(c)) : "out of memory";
        const bool wanted = c && PQconnectionNeedsPassword(c);
        const bool refused = msg.find("password authentication failed") != std::string::npos;
        const PasswordNeeded::Login login =
            c ? PasswordNeeded::Login{text_of(PQhost(c)), text_of(PQport(c)), text_of(PQdb(c)),
                                      text_of(PQuser(c))}
              : PasswordNeeded::Login{};
        PQfinish(c);
        if (wanted || refused)
            throw PasswordNeeded("cannot connect to PostgreSQL: " + msg, login, refused);
        throw Error(-1, "08001", "cannot connect to PostgreSQL: " + msg);
    }
    try {
        pg::use_standard_strings(c);
    } catch (...) {
        PQfinish(c);
        throw;
    }
    return std::make_unique<PgConnection>(c);
}

}  // namespace db
