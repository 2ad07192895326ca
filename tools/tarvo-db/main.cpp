// tarvo-db: prepares a database for the employee module and tells what it holds.
//   tarvo-db init     create the missing tables
//   tarvo-db demo     add demo rows
//   tarvo-db office   set up an office's PostgreSQL server: an owner and a clerks' role
//   tarvo-db clerk N  add a clerk's login
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

#include "schema/demo_data.h"
#include "schema/roles.h"
#include "schema/schema.h"
#include "tools/common/cli.h"
#include "tools/common/profiles.h"
#include "tools/tarvo-db/default_db.h"

namespace {

std::string usage_text() {
    return "usage: tarvo-db init [--db URL | --profile NAME]\n"
           "       tarvo-db demo [--db URL | --profile NAME] [--employees N] [--departments N]\n"
           "                     [--persons N] [--messages N]\n"
           "       tarvo-db office [--db URL | --profile NAME] [--owner ROLE] [--group ROLE]\n"
           "       tarvo-db clerk NAME [--db URL | --profile NAME] [--group ROLE]\n"
           "\n"
           "init    creates the tables the database lacks\n"
           "demo    adds demo rows: the given amounts, or without any 300 employees (60 with a\n"
           "        photo), 24 departments, 150 people and 80 messages\n"
           "office  sets up a PostgreSQL server for an office (run it as its superuser): the\n"
           "        tables belong to the role --owner (default tarvo_owner), and the clerks'\n"
           "        role --group (default tarvo_clerk) may read and write employees and the\n"
           "        component's tables and only add audit lines\n"
           "clerk   adds a clerk who logs in as NAME, a member of the clerks' role; the password\n"
           "        is asked for twice on a terminal, else read as one line of standard input\n"
           "\n"
           "URL     sqlite:PATH or postgresql://USER@HOST:PORT/DB; without --db or --profile\n"
           "        the default profile of tarvo.conf, else the embedded database\n"
           "        ~/.local/share/tarvo/tarvo.db (under $XDG_DATA_HOME when set).\n"
           "        A password the server wants is asked for on a terminal; it may also come\n"
           "        from ~/.pgpass (mode 0600) or PGPASSWORD, never the URL, which ps shows\n"
           "\n"
           "Exit status: 0 when the work was done, 1 when it failed, 2 for a bad call or a\n"
           "database that cannot be opened.\n";
}

void summary(db::Connection& conn, const std::string& shown) {
    std::printf("Database: %s\n", shown.c_str());
    for (const char* t : {"Employee", "Syslog", "HR_Dept", "HR_Person", "DATA_Msg"}) {
        auto n = conn.query_all(std::string("SELECT count(*) FROM ") + t).rows[0][0].as_integer();
        std::printf("  %-10s %lld rows\n", t, static_cast<long long>(n));
    }
}

// Rows written so far, on one line of a terminal; nothing when standard error is a file or
// a pipe, where a log would fill with carriage returns.
class Progress {
  public:
    Progress() : on_terminal_(::isatty(STDERR_FILENO)) {}
    ~Progress() {
        if (shown_ >= 0) std::fputs("\n", stderr);
    }
    void show(long done, long total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (!on_terminal_ || percent == shown_) return;
        shown_ = percent;
        std::fprintf(stderr, "\rtarvo-db: %ld of %ld rows written (%d%%)", done, total, percent);
        std::fflush(stderr);
    }

  private:
    bool on_terminal_;
    int shown_ = -1;
};

// A new clerk's password: typed twice on a terminal, else one line of standard input.
std::optional<std::string> new_password(const std::string& clerk, std::string& why) {
    if (!::isatty(STDIN_FILENO)) {
        std::string line;
        if (!std::getline(std::cin, line) || line.empty()) {
            why = "no password on standard input";
            return std::nullopt;
        }
        return line;
    }
    auto first = cli::read_secret("Password for " + clerk + ": ");
    auto second = cli::read_secret("The same password again: ");
    if (!first || first->empty()) why = "no password given";
    if (first && second && *first != *second) why = "the two passwords differ";
    if (!why.empty()) return std::nullopt;
    return first;
}

}  // namespace

int main(int argc, char** argv) {
    cli::Parser parser("tarvo-db", usage_text());
    parser.value("--db").value("--profile").value("--owner").value("--group").positional(1, 2);
    const char* amounts[] = {"--employees", "--departments", "--persons", "--messages"};
    for (const char* a : amounts) parser.value(a);
    int status = 0;
    const auto args = parser.parse(argc, argv, status);
    if (!args) return status;
    const std::string cmd = args->positional[0];
    if (cmd != "init" && cmd != "demo" && cmd != "office" && cmd != "clerk")
        return parser.refuse("unknown command " + cmd);
    if ((cmd == "clerk") != (args->positional.size() == 2))
        return parser.refuse(cmd == "clerk" ? "clerk needs the clerk's NAME"
                                            : "unexpected argument " + args->positional[1]);
    if (args->values.count("--owner") && cmd != "office")
        return parser.refuse("--owner goes with office");
    if (args->values.count("--group") && cmd != "office" && cmd != "clerk")
        return parser.refuse("--group goes with office or clerk");

    schema::DemoSize size{0, 0, 0, 0, 0};
    int* fields[] = {&size.employees, &size.departments, &size.persons, &size.messages};
    bool amount_given = false;
    for (std::size_t i = 0; i < std::size(amounts); ++i) {
        if (!args->values.count(amounts[i])) continue;
        if (cmd != "demo") return parser.refuse(std::string(amounts[i]) + " goes with demo");
        std::string reason;
        auto n = cli::whole_number(amounts[i], args->value(amounts[i]), 0, 10000000, reason);
        if (!n) return parser.refuse(reason);
        *fields[i] = static_cast<int>(*n);
        amount_given = true;
    }
    if (cmd == "demo" && !amount_given) size = schema::DemoSize{};

    defaultdb::Target target;
    try {
        target = defaultdb::choose(args->value("--db"), args->value("--profile"));
    } catch (const profiles::ConfigError& e) {
        return parser.refuse(e.what());
    }
    schema::OfficeRoles roles;
    roles.owner = args->value("--owner", roles.owner);
    roles.clerks = args->value("--group", roles.clerks);
    // A database that cannot be opened is a bad call (2); work that fails on it is 1.
    login::LoggedIn session;
    try {
        session = defaultdb::open(target, true, false, login::on_terminal());
    } catch (const db::Error& e) {
        std::fprintf(stderr, "tarvo-db: cannot open %s: %s\n", target.shown().c_str(),
                     cli::one_line(e.what()).c_str());
        return cli::kUsageError;
    }
    try {
        db::Connection& conn = *session.conn;
        if (cmd == "demo") {
            Progress progress;
            schema::fill_demo(conn, size, static_cast<std::uint32_t>(std::rand()),
                              [&](long done, long total) { progress.show(done, total); });
        } else if (cmd == "office") {
            schema::set_up_office(conn, roles);
            std::printf("Set up: the tables belong to %s; clerks are members of %s.\n",
                        roles.owner.c_str(), roles.clerks.c_str());
        } else if (cmd == "clerk") {
            const std::string& clerk = args->positional[1];
            std::string why;
            const auto password = new_password(clerk, why);
            if (!password) {
                std::fprintf(stderr, "tarvo-db: %s\n", why.c_str());
                return 1;
            }
            schema::add_clerk(conn, clerk, *password, roles);
            std::printf("Clerk %s logs in as a member of %s.\n", clerk.c_str(),
                        roles.clerks.c_str());
            return 0;
        }
        summary(conn, target.shown());
    } catch (const db::Error& e) {
        std::fprintf(stderr, "tarvo-db: %s\n", cli::one_line(e.what()).c_str());
        return 1;
    }
    return 0;
}
