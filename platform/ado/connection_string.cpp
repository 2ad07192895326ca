#include "platform/ado/connection_string.h"

#include <map>

namespace ado {

namespace {

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// key=value pairs separated by ';'. A value may be quoted with " or ' to hold a ';'.
std::map<std::string, std::string> split_pairs(std::string_view text) {
    std::map<std::string, std::string> pairs;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t eq = text.find('=', i);
        std::size_t semi = text.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            if (!trimmed(text.substr(i, semi - i)).empty())
                throw ConnectionStringError("connection string part without '=': " +
                                            std::string(text.substr(i, semi - i)));
            if (semi == std::string_view::npos) break;
            i = semi + 1;
            continue;
        }
        std::string key = lowered(trimmed(text.substr(i, eq - i)));
        std::size_t v = eq + 1;
        while (v < text.size() && text[v] == ' ') ++v;
        std::string value;
        if (v < text.size() && (text[v] == '"' || text[v] == '\'')) {
            char quote = text[v];
            std::size_t close = text.find(quote, v + 1);
            if (close == std::string_view::npos)
                throw ConnectionStringError("unterminated quoted value for " + key);
            value = std::string(text.substr(v + 1, close - v - 1));
            semi = text.find(';', close);
        } else {
            semi = text.find(';', v);
            value = std::string(trimmed(text.substr(v, semi - v)));
        }
        if (key.empty()) throw ConnectionStringError("connection string part without a key");
        pairs[key] = value;
        if (semi == std::string_view::npos) break;
        i = semi + 1;
    }
    return pairs;
}

// Percent-encodes everything but unreserved characters, for a URL part.
std::string encoded(std::string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string take(std::map<std::string, std::string>& pairs,
                 std::initializer_list<const char*> keys) {
    std::string value;
    for (const char* k : keys) {
        if (auto it = pairs.find(k); it != pairs.end()) {
            value = it->second;
            pairs.erase(it);
        }
    }
    return value;
}

void reject_rest(const std::map<std::string, std::string>& pairs) {
    if (!pairs.empty())
        throw ConnectionStringError("unknown connection string key: " + pairs.begin()->first);
}

void require_digits(std::string_view what, const std::string& value) {
    for (char c : value)
        if (c < '0' || c > '9')
            throw ConnectionStringError("the " + std::string(what) + " is not a number: " + value);
}

std::string sqlite_url(std::map<std::string, std::string> pairs) {
    std::string path = take(pairs, {"data source", "database"});
    reject_rest(pairs);
    if (path.empty()) throw ConnectionStringError("the connection string names no Data Source");
    return "sqlite:" + path;
}

std::string postgres_url(std::map<std::string, std::string> pairs, std::string_view user,
                         std::string_view password) {
    std::string host = take(pairs, {"host", "server", "data source"});
    std::string port = take(pairs, {"port"});
    std::string database = take(pairs, {"database", "initial catalog"});
    std::string user_id = take(pairs, {"user id", "uid", "user"});
    std::string pwd = take(pairs, {"password", "pwd"});
    std::string options = take(pairs, {"options"});
    std::string ssl = take(pairs, {"ssl mode", "sslmode"});
    std::string timeout = take(pairs, {"connect timeout", "connection timeout"});
    reject_rest(pairs);
    if (!user.empty()) user_id = user;
    if (!password.empty()) pwd = password;
    if (database.empty()) throw ConnectionStringError("the connection string names no Database");
    require_digits("Port", port);
    require_digits("Connect Timeout", timeout);
    std::string url = "postgresql://";
    if (!user_id.empty()) {
        url += encoded(user_id);
        if (!pwd.empty()) url += ":" + encoded(pwd);
        url += "@";
    }
    url += host.empty() ? "localhost" : encoded(host);
    if (!port.empty()) url += ":" + port;
    url += "/" + encoded(database);
    std::string query;
    for (const auto& [key, value] :
         {std::pair{"options", options}, {"sslmode", ssl}, {"connect_timeout", timeout}})
        if (!value.empty())
            query += (query.empty() ? "?" : "&") + std::string(key) + "=" + encoded(value);
    return url + query;
}

}  // namespace

std::string database_url(std::string_view text, std::string_view user, std::string_view password) {
    text = trimmed(text);
    if (text.starts_with("sqlite:") || text.starts_with("postgresql://") ||
        text.starts_with("postgres://"))
        return std::string(text);
    auto pairs = split_pairs(text);
    std::string provider = lowered(take(pairs, {"provider"}));
    if (provider == "sqlite") return sqlite_url(std::move(pairs));
    if (provider == "postgresql" || provider == "postgres")
        return postgres_url(std::move(pairs), user, password);
    if (provider.empty()) throw ConnectionStringError("the connection string names no Provider");
    throw ConnectionStringError("unknown Provider: " + provider +
                                " (SQLite and PostgreSQL are available)");
}

}  // namespace ado
