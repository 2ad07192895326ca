// tarvo-db: prepares a database for the employee module and tells what it holds.
//   tarvo-db init [--db URL]   create missing tables; fill demo data into an empty database
//   tarvo-db demo --db URL --employees N [--departments N --persons N --messages N]
//                              add demo rows of the given amounts (for trying larger data)
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "schema/demo_data.h"
#include "schema/schema.h"
#include "tools/common/cli.h"
#include "tools/tarvo-db/default_db.h"

namespace {

std::string usage_text() {
    return "usage: tarvo-db init [--db URL]\n"
           "       tarvo-db demo [--db URL] [--employees N] [--departments N] [--persons N]"
           " [--messages N]\n"
           "\n"
           "init   creates the tables the database lacks and fills demo data into an empty one\n"
           "demo   adds demo rows of the given amounts (for trying larger data)\n"
           "URL    sqlite:PATH or postgresql://USER@HOST:PORT/DB (default: " +
           defaultdb::default_url() +
           ")\n"
           "       a password goes in ~/.pgpass (mode 0600) or PGPASSWORD, not in the URL,\n"
           "       which every user of the machine sees in ps\n";
}

void summary(db::Connection& conn, const std::string& url) {
    std::printf("Database: %s\n", db::masked(url).c_str());
    for (const char* t : {"Employee", "Syslog", "HR_Dept", "HR_Person", "DATA_Msg"}) {
        auto n = conn.query_all(std::string("SELECT count(*) FROM ") + t).rows[0][0].as_integer();
        std::printf("  %-10s %lld rows\n", t, static_cast<long long>(n));
    }
}

}  // namespace

int main(int argc, char** argv) {
    cli::Parser parser("tarvo-db", usage_text());
    parser.value("--db").positional(1, 1);
    const char* amounts[] = {"--employees", "--departments", "--persons", "--messages"};
    for (const char* a : amounts) parser.value(a);
    int status = 0;
    const auto args = parser.parse(argc, argv, status);
    if (!args) return status;
    const std::string cmd = args->positional[0];
    if (cmd != "init" && cmd != "demo") return parser.refuse("unknown command " + cmd);
    const std::string url = args->value("--db", defaultdb::default_url());

    schema::DemoSize size{0, 0, 0, 0, 0};
    int* fields[] = {&size.employees, &size.departments, &size.persons, &size.messages};
    for (std::size_t i = 0; i < std::size(amounts); ++i) {
        if (!args->values.count(amounts[i])) continue;
        if (cmd != "demo") return parser.refuse(std::string(amounts[i]) + " goes with demo");
        std::string reason;
        auto n = cli::whole_number(amounts[i], args->value(amounts[i]), 0, 10000000, reason);
        if (!n) return parser.refuse(reason);
        *fields[i] = static_cast<int>(*n);
    }
    try {
        if (cmd == "init") {
            bool filled = false;
            auto conn = defaultdb::open_prepared(url, &filled);
            std::printf(filled ? "Created the tables and filled demo data.\n"
                               : "The database already holds data; nothing changed.\n");
            summary(*conn, url);
        } else {
            auto conn = db::connect(url);
            schema::create(*conn);
            schema::fill_demo(*conn, size, static_cast<std::uint32_t>(std::rand()));
            summary(*conn, url);
        }
    } catch (const db::Error& e) {
        std::fprintf(stderr, "tarvo-db: %s\n", e.what());
        return 1;
    }
    return 0;
}
