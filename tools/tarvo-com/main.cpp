// tarvo-com: registers in-process servers and calls methods of automation objects by name.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/text/utf8.h"
#include "tools/common/cli.h"
#include "tools/common/profiles.h"
#include "tools/tarvo-com/output.h"

using namespace tarvo_com;

namespace {

constexpr int exit_ok = 0, exit_failed = 1, exit_usage = 2;

const char* const help_text =
    R"(Usage:
  tarvo-com register PATH       register the in-process server PATH (calls DllRegisterServer)
  tarvo-com unregister PATH     remove its registration (calls DllUnregisterServer)
  tarvo-com [OPTIONS] PROGID METHOD [ARG...]
                                create PROGID, call METHOD through IDispatch, print the result
  tarvo-com [OPTIONS] --batch   read calls "PROGID METHOD [ARG...]" from standard input, one a
                                line, keeping one object per ProgID (so GetError works)

Options:
  --connect CONNSTR   open an ADODB.Connection on CONNSTR and hand it to each new object with
                      SetConn, e.g. "Provider=SQLite;Data Source=/tmp/hr.db" or
                      "Provider=PostgreSQL;Host=127.0.0.1;Port=5432;Database=hr;User ID=me";
                      a password goes in ~/.pgpass (mode 0600) or PGPASSWORD, not in
                      CONNSTR, which every user of the machine sees in ps; a password
                      the server wants is asked for when standard input is a terminal
  --profile NAME      the database of a profile of tarvo.conf ($XDG_CONFIG_HOME/tarvo, then
                      /etc/xdg/tarvo); without --connect or --profile the default profile
  --format FORMAT     table (default), json (one object per call and line) or tsv
  --help              show this text
  --version           show the version

Arguments: a decimal integer is a 4-byte integer; null is Null; empty is Empty; anything else,
or anything in double quotes ("5", "null"), is text. Name:=value passes a value by name.
In a batch, blank lines and lines starting with # are skipped.

Exit status: 0 when every call succeeded, 1 when a call failed, 2 for a usage error or a
database that cannot be opened (nothing is called then).
Classes are looked up in $TARVO_REGISTRY, else $XDG_CONFIG_HOME/tarvo/registry, else
~/.config/tarvo/registry (what register and unregister change), then in tarvo/registry of
$XDG_CONFIG_DIRS (default /etc/xdg), then in the registry installed in lib/tarvo.
)";

struct Options {
    std::optional<std::string> connect;
    std::string profile;
    Format format = Format::table;
    bool batch = false;
    std::vector<std::string> rest;
};

int usage(const std::string& why) {
    return cli::usage_error("tarvo-com", why);
}

// Parses the options before the first other word; returns false with a message on error.
bool parse_options(int argc, char** argv, Options& o, std::string& error) {
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const std::string& name, std::string& out) {
            if (a.starts_with(name + "=")) {
                out = a.substr(name.size() + 1);
                return true;
            }
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (a == "--connect" || a.starts_with("--connect=")) {
            std::string v;
            if (!value("--connect", v)) return error = "--connect needs a connection string", false;
            o.connect = v;
        } else if (a == "--profile" || a.starts_with("--profile=")) {
            if (!value("--profile", o.profile) || o.profile.empty())
                return error = "--profile needs a profile's name", false;
        } else if (a == "--format" || a.starts_with("--format=")) {
            std::string v;
            if (!value("--format", v)) return error = "--format needs table, json or tsv", false;
            if (v == "table")
                o.format = Format::table;
            else if (v == "json")
                o.format = Format::json;
            else if (v == "tsv")
                o.format = Format::tsv;
            else
                return error = "unknown format '" + v + "' (table, json or tsv)", false;
        } else if (a == "--batch") {
            o.batch = true;
        } else if (a.starts_with("--")) {
            return error = "unknown option " + a, false;
        } else {
            break;
        }
    }
    for (; i < argc; ++i) o.rest.push_back(argv[i]);
    return true;
}

int registration(const std::string& verb, const std::string& path) {
    com::HRESULT h = verb == "register" ? com::register_server(path) : com::unregister_server(path);
    if (com::SUCCEEDED(h)) {
        std::cout << verb << "ed " << path << '\n';
        return exit_ok;
    }
    com::ErrorText text;
    std::string why = com::take_error(text) ? com::to_utf8(text.description) : "";
    std::cerr << "tarvo-com: " << verb << " " << path << " failed: " << com::hresult_text(h)
              << (why.empty() ? "" : ": " + why) << '\n';
    return exit_failed;
}

// Text that is not valid UTF-8 would reach the objects with replacement characters in it and
// be stored so; it is refused before anything is sent, and echoed repaired.
void require_utf8(const std::string& what, const std::string& s) {
    std::size_t at = text::invalid_utf8_at(s);
    if (at == std::string::npos) return;
    throw UsageError(what + " is not valid UTF-8 (byte " + std::to_string(at + 1) +
                     "): " + text::repaired_utf8(s));
}

// Runs one call given as words; returns whether it succeeded.
bool run_call(Session& session, const std::vector<std::string>& words, Format format) {
    std::string what = words.size() >= 2 ? text::repaired_utf8(words[0] + "." + words[1]) : "call";
    Outcome outcome;
    try {
        for (std::size_t i = 0; i < words.size(); ++i)
            require_utf8(i == 0   ? std::string("the ProgID")
                         : i == 1 ? std::string("the method name")
                                  : "argument " + std::to_string(i - 1),
                         words[i]);
        if (words.size() < 2) throw UsageError("a call needs a ProgID and a method");
        std::vector<Argument> args;
        for (std::size_t i = 2; i < words.size(); ++i) args.push_back(parse_argument(words[i]));
        outcome = session.call(words[0], words[1], args);
    } catch (const UsageError& e) {
        outcome.ok = false;
        outcome.hresult = com::E_INVALIDARG;
        outcome.description = e.what();
    }
    print(outcome, format, what, std::cout, std::cerr);
    return outcome.ok;
}

int run_batch(Session& session, Format format) {
    bool all_ok = true;
    std::string line;
    for (long number = 1; std::getline(std::cin, line); ++number) {
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // a byte-order mark
        std::vector<std::string> words;
        try {
            require_utf8("line " + std::to_string(number), line);
            words = split_line(line);
        } catch (const UsageError& e) {
            Outcome o;
            o.hresult = com::E_INVALIDARG;
            o.description = e.what();
            print(o, format, "line", std::cout, std::cerr);
            all_ok = false;
            continue;
        }
        if (words.empty() || words[0].starts_with("#")) continue;
        if (!run_call(session, words, format)) all_ok = false;
    }
    return all_ok ? exit_ok : exit_failed;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::cout << help_text;
            return exit_ok;
        } else if (std::string(argv[i]) == "--version") {
            std::cout << "tarvo-com " << cli::version() << '\n';
            return exit_ok;
        }
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) return usage(error);
    try {
        if (options.connect && !options.profile.empty())
            return usage("--connect and --profile name two databases; give one");
        if (!options.connect) options.connect = profiles::choose_database("", options.profile);
    } catch (const profiles::ConfigError& e) {
        return usage(e.what());
    }
    if (options.connect && !text::is_valid_utf8(*options.connect))
        return usage("the connection string is not valid UTF-8");
    if (!options.rest.empty() &&
        (options.rest[0] == "register" || options.rest[0] == "unregister")) {
        if (options.rest.size() != 2) return usage(options.rest[0] + " needs exactly one PATH");
        return registration(options.rest[0], options.rest[1]);
    }
    Session session(options.connect);
    if (const Outcome opened = session.open(); !opened.ok) {
        std::cerr << "tarvo-com: cannot open the database: " << cli::one_line(opened.description)
                  << '\n';
        return exit_usage;
    }
    if (options.batch) {
        if (!options.rest.empty()) return usage("--batch reads its calls from standard input");
        return run_batch(session, options.format);
    }
    if (options.rest.size() < 2) return usage("give a ProgID and a method, or --batch");
    return run_call(session, options.rest, options.format) ? exit_ok : exit_failed;
}
