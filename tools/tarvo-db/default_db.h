// The database a program works on: chosen with --db or --profile (or the default profile of
// tarvo.conf), else the embedded file; logged in to and prepared as the program was asked.
#pragma once

#include <memory>
#include <string>

#include "platform/db/connection.h"
#include "tools/common/login.h"

namespace defaultdb {

// $XDG_DATA_HOME/tarvo/tarvo.db (or ~/.local/share/tarvo/tarvo.db) as a sqlite: URL. The
// folder is created, for its user alone, when missing.
std::string default_url();

// Creates the tables `conn` lacks; with `demo` fills the demo data into an empty Employee
// table. True when it filled demo data.
bool prepare(db::Connection& conn, bool demo);

// The database a program works on: its URL, and whether it is the embedded file (the
// program was given none).
struct Target {
    std::string url;
    bool embedded = false;
    std::string profile;  // the profile of tarvo.conf it comes from, if any
    // A database server: the user is the role it authenticates.
    bool on_server() const { return !url.starts_with("sqlite:"); }
    // The database as the user named it, for messages: a profile by its name (its URL holds
    // parameters the user never wrote), a URL without its password.
    std::string shown() const;
};

// --db URL, else the profile --profile names, else the default profile of tarvo.conf, else
// the embedded file. Throws profiles::ConfigError for a configuration that cannot be used.
Target choose(const std::string& db_option, const std::string& profile_option);

// Logs in to the database through `ask` and prepares it: `prepare` creates what is missing
// (a SQLite file too), `demo` besides fills demo data into an empty database; the embedded
// file always gets its tables. A SQLite file named otherwise must exist. Throws db::Error
// (db::PasswordNeeded when the user gave no password the server took).
login::LoggedIn open(const Target& target, bool prepare, bool demo, const login::Asker& ask);

}  // namespace defaultdb
