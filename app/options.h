// The command line of the desktop program tarvo.
#pragma once

#include <optional>
#include <string>

namespace app {

struct Options {
    std::string db;        // empty: the profile's, else the embedded default database
    std::string profile;   // a profile of tarvo.conf; empty: the default profile
    bool prepare = false;  // create missing tables (a SQLite file too)
    bool demo = false;     // and demo data when Employee is empty
    std::string user;      // SQLite only; empty: the system account
    std::string library;   // the library list; empty: the default one
    std::string drive_c;   // where c:\ paths go; empty: the default folder
    std::string open = "w_employee";
    bool headless = false;
    std::string script;         // with --headless
    std::string screenshot;     // folder for the script's screenshots
    bool allow_errors = false;  // a script whose screens reported errors still succeeds
};

// Parses the command line. Nullopt when the program is done: --help or --version printed
// (`exit_status` 0), or the arguments refused with their reason (`exit_status` 2).
std::optional<Options> parse_options(int argc, char** argv, int& exit_status);

}  // namespace app
