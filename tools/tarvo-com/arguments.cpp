#include "tools/tarvo-com/arguments.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "platform/com/bstr.h"

namespace tarvo_com {

namespace {

bool is_name_start(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool is_name_char(char c) {
    return is_name_start(c) || (c >= '0' && c <= '9');
}

// Length of a leading `Name:=`, or 0.
std::size_t name_prefix(const std::string& raw) {
    if (raw.empty() || !is_name_start(raw[0])) return 0;
    std::size_t i = 1;
    while (i < raw.size() && is_name_char(raw[i])) ++i;
    return raw.compare(i, 2, ":=") == 0 ? i + 2 : 0;
}

bool is_integer(const std::string& s) {
    std::size_t i = s.size() > 1 && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// The text between the quotes of a quoted value, escapes undone.
std::string unquote(const std::string& raw) {
    std::string out;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 2 < raw.size() && (raw[i + 1] == '"' || raw[i + 1] == '\\')) ++i;
        out += raw[i];
    }
    return out;
}

com::Variant parse_value(const std::string& raw) {
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
        return com::Variant::adopt(com::var_text(unquote(raw)));
    if (raw == "null") return com::Variant::adopt(com::var_null());
    if (raw == "empty") return com::Variant::adopt(com::var_empty());
    if (is_integer(raw)) {
        errno = 0;
        long long n = std::strtoll(raw.c_str(), nullptr, 10);
        if (errno == ERANGE || n < std::numeric_limits<com::LONG>::min() ||
            n > std::numeric_limits<com::LONG>::max())
            throw UsageError("argument " + raw +
                             ": an integer must fit 32 bits (quote it to pass it as text)");
        return com::Variant::adopt(com::var_i4(static_cast<com::LONG>(n)));
    }
    return com::Variant::adopt(com::var_text(raw));
}

}  // namespace

Argument parse_argument(const std::string& raw) {
    Argument a;
    std::size_t prefix = name_prefix(raw);
    if (prefix) a.name = com::to_utf16(raw.substr(0, prefix - 2));
    a.value = parse_value(raw.substr(prefix));
    return a;
}

std::vector<std::string> split_line(const std::string& line) {
    std::vector<std::string> out;
    std::string piece;
    bool in_piece = false, quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (in_piece) out.push_back(piece);
            piece.clear();
            in_piece = false;
            continue;
        }
        in_piece = true;
        if (quoted && c == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '\\')) {
            piece += c;
            piece += line[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        piece += c;
    }
    if (quoted) throw UsageError("unterminated double quote in: " + line);
    if (in_piece) out.push_back(piece);
    return out;
}

}  // namespace tarvo_com
