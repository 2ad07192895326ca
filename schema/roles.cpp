#include "schema/roles.h"

#include "platform/db/dialect.h"
#include "platform/db/sql_scanner.h"
#include "schema/schema.h"

namespace schema {
namespace {

constexpr const char* kWorkTables[] = {"Employee", "HR_Dept", "HR_Person", "DATA_Msg"};
constexpr const char* kAuditTable = "Syslog";

using db::sql::quote_identifier;

// Whether the role exists; `super` says whether it is a superuser.
bool role_exists(db::Connection& conn, const std::string& name, bool* super = nullptr) {
    auto rows =
        conn.query_all(
                "SELECT CASE WHEN rolsuper THEN 1 ELSE 0 END FROM pg_roles WHERE rolname = ?",
                {name})
            .rows;
    if (rows.empty()) return false;
    if (super) *super = rows[0][0].as_integer() == 1;
    return true;
}

void create_group_role(db::Connection& conn, const std::string& name) {
    if (role_exists(conn, name)) return;
    try {
        conn.execute("CREATE ROLE " + quote_identifier(name) + " NOLOGIN");
    } catch (const db::Error& e) {
        if (e.sqlstate() != "42710") throw;  // another administrator made it meanwhile
    }
}

void require_server(db::Connection& conn) {
    if (!conn.dialect().has_roles())
        throw db::Error(-1, "", "roles are set up on a PostgreSQL server; a SQLite file has none");
}

}  // namespace

void set_up_office(db::Connection& conn, const OfficeRoles& roles) {
    require_server(conn);
    create(conn);
    create_group_role(conn, roles.owner);
    create_group_role(conn, roles.clerks);
    const std::string owner = quote_identifier(roles.owner),
                      clerks = quote_identifier(roles.clerks);
    const std::string schema_name =
        conn.query_all("SELECT current_schema()").rows.at(0).at(0).to_string();
    db::all_or_nothing(conn, [&] {
        conn.execute("GRANT USAGE ON SCHEMA " + quote_identifier(schema_name) + " TO " + clerks);
        for (const char* table : kWorkTables) {
            conn.execute(std::string("ALTER TABLE ") + table + " OWNER TO " + owner);
            conn.execute(std::string("REVOKE ALL ON ") + table + " FROM PUBLIC, " + clerks);
            conn.execute(std::string("GRANT SELECT, INSERT, UPDATE, DELETE ON ") + table + " TO " +
                         clerks);
        }
        // The audit trail: lines are added, never read back, changed, deleted or emptied.
        conn.execute(std::string("ALTER TABLE ") + kAuditTable + " OWNER TO " + owner);
        conn.execute(std::string("REVOKE ALL ON ") + kAuditTable + " FROM PUBLIC, " + clerks);
        conn.execute(std::string("GRANT INSERT ON ") + kAuditTable + " TO " + clerks);
    });
}

void add_clerk(db::Connection& conn, const std::string& name, const std::string& password,
               const OfficeRoles& roles) {
    require_server(conn);
    if (name.empty()) throw db::Error(-1, "", "a clerk needs a name");
    if (name == roles.owner || name == roles.clerks)
        throw db::Error(-1, "", name + " is one of the office's own roles, not a clerk");
    if (password.empty()) throw db::Error(-1, "", "a clerk needs a password");
    bool super = false;
    if (role_exists(conn, name, &super)) {
        if (super) throw db::Error(-1, "", name + " is a superuser; a clerk must not be one");
        conn.execute("ALTER ROLE " + quote_identifier(name) + " LOGIN");
    } else {
        conn.execute("CREATE ROLE " + quote_identifier(name) + " LOGIN");
    }
    conn.set_role_password(name, password);
    conn.execute("GRANT " + quote_identifier(roles.clerks) + " TO " + quote_identifier(name));
}

}  // namespace schema
