// The command-line convention every program of the module follows: --help prints the usage
// to standard output (exit 0), --version the version; options take their value as
// "--opt value" or "--opt=value". Exit status: 0 the work was done, 1 the work failed, 2 a
// bad call (a refused, missing or extra argument) or a database that cannot be opened.
// Errors go to standard error as one line, "PROGRAM: reason", a bad call's with a pointer
// to --help.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

constexpr int kUsageError = 2;

struct Arguments {
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> flags;
    std::vector<std::string> positional;

    bool has(std::string_view flag) const { return flags.count(flag) > 0; }
    // The option's value, or `fallback` when it was not given.
    std::string value(std::string_view option, std::string fallback = "") const;
};

class Parser {
  public:
    // `usage` is the whole --help text.
    Parser(std::string program, std::string usage);

    Parser& flag(std::string name);
    Parser& value(std::string name);
    // How many words besides the options the program takes.
    Parser& positional(std::size_t min, std::size_t max);
    // Options come first; the first other word and everything after it are positional
    // (for a program whose arguments are passed on, such as a method's).
    Parser& options_first();

    // The arguments, or nullopt when the program is done: the help or the version was
    // printed (`exit_status` 0) or the arguments were refused with their reason
    // (`exit_status` 2).
    std::optional<Arguments> parse(int argc, char** argv, int& exit_status) const;
    // Prints "PROGRAM: reason (see PROGRAM --help)" to standard error; returns 2.
    int refuse(std::string_view reason) const;

  private:
    std::string program_, usage_;
    std::set<std::string, std::less<>> flags_, values_;
    std::size_t min_ = 0, max_ = 0;
    bool options_first_ = false;
};

// What Parser::refuse prints, for programs that parse their own arguments; returns 2.
int usage_error(std::string_view program, std::string_view reason);

// `text` on one line: a line break and the blanks after it become one blank (libpq's
// messages end with a hint on a line of its own).
std::string one_line(std::string_view text);

// A whole number from `min` to `max` given to `option`; nullopt with `reason` set otherwise.
std::optional<long> whole_number(std::string_view option, std::string_view text, long min, long max,
                                 std::string& reason);

// Why a script named on the command line cannot be read ("is a folder", "does not exist",
// "cannot be read"), or "" when it can.
std::string unreadable_reason(const std::string& path);

// Reads a line from standard input with its echo off, after `prompt` on standard error: a
// password. Nullopt when standard input is no terminal (nobody to ask) or at its end.
std::optional<std::string> read_secret(const std::string& prompt);

// The version of the module's programs.
const char* version();

}  // namespace cli
