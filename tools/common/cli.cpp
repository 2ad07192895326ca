#include "tools/common/cli.h"

#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tarvo_version.h"

namespace cli {

std::string Arguments::value(std::string_view option, std::string fallback) const {
    auto it = values.find(option);
    return it == values.end() ? fallback : it->second;
}

Parser::Parser(std::string program, std::string usage)
    : program_(std::move(program)), usage_(std::move(usage)) {}

Parser& Parser::flag(std::string name) {
    flags_.insert(std::move(name));
    return *this;
}

Parser& Parser::value(std::string name) {
    values_.insert(std::move(name));
    return *this;
}

Parser& Parser::positional(std::size_t min, std::size_t max) {
    min_ = min;
    max_ = max;
    return *this;
}

Parser& Parser::options_first() {
    options_first_ = true;
    return *this;
}

int usage_error(std::string_view program, std::string_view reason) {
    const int p = static_cast<int>(program.size());
    std::fprintf(stderr, "%.*s: %.*s (see %.*s --help)\n", p, program.data(),
                 static_cast<int>(reason.size()), reason.data(), p, program.data());
    return kUsageError;
}

int Parser::refuse(std::string_view reason) const {
    return usage_error(program_, reason);
}

std::optional<Arguments> Parser::parse(int argc, char** argv, int& exit_status) const {
    Arguments out;
    bool options_over = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (options_over || word == "-" || !word.starts_with("-")) {
            out.positional.push_back(word);
            if (options_first_) options_over = true;
            continue;
        }
        if (word == "--") {
            options_over = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            std::fputs(usage_.c_str(), stdout);
            exit_status = 0;
            return std::nullopt;
        }
        if (word == "--version") {
            std::printf("%s %s\n", program_.c_str(), version());
            exit_status = 0;
            return std::nullopt;
        }
        const auto eq = word.find('=');
        const std::string name = word.substr(0, eq);
        if (flags_.count(name)) {
            if (eq != std::string::npos) {
                exit_status = refuse(name + " takes no value");
                return std::nullopt;
            }
            out.flags.insert(name);
        } else if (values_.count(name)) {
            std::string v;
            if (eq != std::string::npos) {
                v = word.substr(eq + 1);
            } else if (i + 1 < argc) {
                v = argv[++i];
            } else {
                exit_status = refuse(name + " needs a value");
                return std::nullopt;
            }
            if (v.empty()) {
                exit_status = refuse(name + " needs a value");
                return std::nullopt;
            }
            out.values[name] = v;
        } else {
            exit_status = refuse("unknown option " + word);
            return std::nullopt;
        }
    }
    if (out.positional.size() < min_) {
        exit_status =
            refuse(min_ == 1 && max_ == 1 ? "one argument is missing" : "arguments are missing");
        return std::nullopt;
    }
    if (out.positional.size() > max_) {
        exit_status = refuse("unexpected argument " + out.positional[max_]);
        return std::nullopt;
    }
    return out;
}

std::string one_line(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') {
            out += text[i];
            continue;
        }
        while (i + 1 < text.size() && std::isspace(static_cast<unsigned char>(text[i + 1]))) ++i;
        if (i + 1 < text.size() && !out.empty()) out += ' ';
    }
    return out;
}

std::optional<long> whole_number(std::string_view option, std::string_view text, long min, long max,
                                 std::string& reason) {
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || errno == ERANGE) {
        reason = std::string(option) + " needs a whole number, not \"" + s + "\"";
        return std::nullopt;
    }
    if (v < min || v > max) {
        reason = std::string(option) + " takes " + std::to_string(min) + " to " +
                 std::to_string(max) + ", not " + s;
        return std::nullopt;
    }
    return v;
}

std::string unreadable_reason(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return path + " is a folder, not a script";
    if (!std::filesystem::exists(path, ec)) return path + " does not exist";
    std::ifstream in(path);
    if (!in) return path + " cannot be read: " + std::strerror(errno);
    return "";
}

const char* version() {
    return TARVO_VERSION;
}

std::optional<std::string> read_secret(const std::string& prompt) {
    // Only a person at a terminal is asked: a script or a pipe on standard input is not.
    if (!::isatty(STDIN_FILENO)) return std::nullopt;
    termios old{};
    const bool has_echo = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (has_echo) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string line;
    char c = 0;
    bool got = false;
    while (::read(STDIN_FILENO, &c, 1) == 1) {
        got = true;
        if (c == '\n') break;
        line += c;
    }
    if (has_echo) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputs("\n", stderr);
    if (!got) return std::nullopt;  // end of input: nobody answers
    return line;
}

}  // namespace cli
