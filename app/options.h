// The command line of the desktop program tarvo.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

struct Options {
    std::string db;        // empty: the embedded default database
    bool prepare = false;  // create missing tables (and demo data when Employee is empty)
    std::string user;      // empty: the login name
    std::string library;   // the library list; empty: the default one
    std::string drive_c;   // where c:\ paths go; empty: the default folder
    std::string open = "w_employee";
    bool headless = false;
    std::string script;      // with --headless
    std::string screenshot;  // folder for the script's screenshots
    bool help = false;
    bool version = false;
};

// Parses the arguments (argv[0] excluded). Accepts --opt value and --opt=value. Returns the
// options, or nullopt with `error` saying what was wrong.
std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& error);

// The text of --help.
std::string usage_text();

}  // namespace app
