// tarvo-db: prepares a database for the employee module and tells what it holds.
//   tarvo-db init [--db URL]   create missing tables; fill demo data into an empty database
//   tarvo-db demo --db URL --employees N [--departments N --persons N --messages N]
//                              add demo rows of the given amounts (for trying larger data)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "schema/demo_data.h"
#include "schema/schema.h"
#include "tools/tarvo-db/default_db.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: tarvo-db init [--db URL]\n"
                 "       tarvo-db demo [--db URL] [--employees N] [--departments N]"
                 " [--persons N] [--messages N]\n"
                 "URL: sqlite:PATH or postgresql://USER@HOST:PORT/DB (default: %s)\n",
                 defaultdb::default_url().c_str());
    return 2;
}

void summary(db::Connection& conn, const std::string& url) {
    std::printf("Database: %s\n", url.c_str());
    for (const char* t : {"Employee", "Syslog", "HR_Dept", "HR_Person", "DATA_Msg"}) {
        auto n = conn.query_all(std::string("SELECT count(*) FROM ") + t).rows[0][0].as_integer();
        std::printf("  %-10s %lld rows\n", t, static_cast<long long>(n));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string cmd = argv[1];
    std::string url = defaultdb::default_url();
    schema::DemoSize size{0, 0, 0, 0, 0};
    for (int i = 2; i < argc; ++i) {
        auto number = [&](int& out) {
            if (i + 1 >= argc) return false;
            char* end = nullptr;
            long v = std::strtol(argv[++i], &end, 10);
            if (*end || v < 0 || v > 10000000) return false;
            out = static_cast<int>(v);
            return true;
        };
        if (!std::strcmp(argv[i], "--db") && i + 1 < argc) {
            url = argv[++i];
        } else if (!std::strcmp(argv[i], "--employees")) {
            if (!number(size.employees)) return usage();
        } else if (!std::strcmp(argv[i], "--departments")) {
            if (!number(size.departments)) return usage();
        } else if (!std::strcmp(argv[i], "--persons")) {
            if (!number(size.persons)) return usage();
        } else if (!std::strcmp(argv[i], "--messages")) {
            if (!number(size.messages)) return usage();
        } else {
            return usage();
        }
    }
    try {
        if (cmd == "init") {
            bool filled = false;
            auto conn = defaultdb::open_prepared(url, &filled);
            std::printf(filled ? "Created the tables and filled demo data.\n"
                               : "The database already holds data; nothing changed.\n");
            summary(*conn, url);
        } else if (cmd == "demo") {
            auto conn = db::connect(url);
            schema::create(*conn);
            schema::fill_demo(*conn, size, static_cast<std::uint32_t>(std::rand()));
            summary(*conn, url);
        } else {
            return usage();
        }
    } catch (const db::Error& e) {
        std::fprintf(stderr, "tarvo-db: %s\n", e.what());
        return 1;
    }
    return 0;
}
