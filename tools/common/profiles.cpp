#include "tools/common/profiles.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace profiles {
namespace {

namespace fs = std::filesystem;

// The libpq connection keywords a profile may set; a password is not among them.
const std::set<std::string> kPostgresKeys = {"service",          "host",
                                             "hostaddr",         "port",
                                             "dbname",           "user",
                                             "passfile",         "sslmode",
                                             "sslrootcert",      "sslcert",
                                             "sslkey",           "sslcrl",
                                             "sslcompression",   "connect_timeout",
                                             "application_name", "target_session_attrs",
                                             "options",          "gssencmode",
                                             "krbsrvname",       "keepalives",
                                             "keepalives_idle",  "requirepeer"};

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// A value as libpq reads it in a URL's query: everything but letters, digits and -._~
// percent-encoded.
std::string percent_encoded(const std::string& value) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::vector<fs::path> split_dirs(const char* list, const char* fallback) {
    std::vector<fs::path> out;
    std::stringstream in(list && *list ? list : fallback);
    for (std::string dir; std::getline(in, dir, ':');)
        if (!dir.empty()) out.push_back(dir);
    return out;
}

// One profile section as it is read: its keys in order.
struct Section {
    std::string name;
    int line = 0;
    std::vector<std::pair<std::string, std::string>> keys;
};

std::string url_of(const Section& s, const fs::path& file) {
    const auto where = [&] {
        return file.string() + ":" + std::to_string(s.line) + ": profile " + s.name + ": ";
    };
    if (s.keys.empty()) throw ConfigError(where() + "names no database");
    if (s.keys.front().first == "sqlite") return "sqlite:" + s.keys.front().second;
    std::string url = "postgresql://";
    char separator = '?';
    for (const auto& [key, value] : s.keys) {
        url += separator + key + "=" + percent_encoded(value);
        separator = '&';
    }
    return url;
}

}  // namespace

std::vector<fs::path> Config::search_path() {
    std::vector<fs::path> out;
    if (const char* v = std::getenv("XDG_CONFIG_HOME"); v && *v) {
        out.push_back(fs::path(v) / "tarvo" / "tarvo.conf");
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        out.push_back(fs::path(home) / ".config" / "tarvo" / "tarvo.conf");
    }
    for (const fs::path& dir : split_dirs(std::getenv("XDG_CONFIG_DIRS"), "/etc/xdg"))
        out.push_back(dir / "tarvo" / "tarvo.conf");
    return out;
}

Config Config::load() {
    return load(search_path());
}

Config Config::load(const std::vector<fs::path>& files) {
    Config c;
    for (const fs::path& f : files) c.read(f);
    return c;
}

void Config::read(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return;
    std::ifstream in(file);
    if (!in) throw ConfigError(file.string() + ": cannot be read");
    files_read_.push_back(file);

    std::vector<Section> sections;
    std::optional<std::string> file_default;
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        const std::string line = trim(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        const auto fail = [&](const std::string& why) {
            throw ConfigError(file.string() + ":" + std::to_string(number) + ": " + why);
        };
        if (line.front() == '[') {
            if (line.back() != ']' || trim(line.substr(1, line.size() - 2)).empty())
                fail("a profile is named as [NAME]");
            sections.push_back({trim(line.substr(1, line.size() - 2)), number, {}});
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) fail("expected KEY = VALUE");
        const std::string key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
        if (sections.empty()) {
            if (key != "default") fail("unknown setting " + key + " (only default = PROFILE)");
            file_default = value;
        } else if (key == "password") {
            fail(
                "a password does not belong in this file; keep it in ~/.pgpass (mode 0600) or "
                "let the program ask for it");
        } else if (key != "sqlite" && !kPostgresKeys.count(key)) {
            fail("unknown key " + key +
                 " (sqlite = PATH, or libpq's keywords: host, port, "
                 "dbname, user, service, sslmode, ...)");
        } else if (!sections.back().keys.empty() &&
                   (key == "sqlite" || sections.back().keys.front().first == "sqlite")) {
            fail("sqlite = PATH stands alone in its profile");
        } else {
            sections.back().keys.emplace_back(key, value);
        }
    }
    for (const Section& s : sections)
        if (!profiles_.count(s.name)) profiles_[s.name] = {s.name, url_of(s, file)};
    if (file_default && !default_) {
        default_ = file_default;
        default_file_ = file;
    }
}

const Profile* Config::find(const std::string& name) const {
    auto it = profiles_.find(name);
    return it == profiles_.end() ? nullptr : &it->second;
}

const Profile* Config::default_profile() const {
    if (!default_) return nullptr;
    const Profile* p = find(*default_);
    if (!p)
        throw ConfigError(default_file_.string() + ": the default profile " + *default_ +
                          " is defined nowhere");
    return p;
}

std::optional<std::string> choose_database(const std::string& db_option,
                                           const std::string& profile_option,
                                           std::string* profile_name) {
    auto chosen = [profile_name](const Profile& p) {
        if (profile_name) *profile_name = p.name;
        return p.url;
    };
    if (!db_option.empty() && !profile_option.empty())
        throw ConfigError("--db and --profile name two databases; give one");
    if (!db_option.empty()) return db_option;
    const Config config = Config::load();
    if (!profile_option.empty()) {
        if (const Profile* p = config.find(profile_option)) return chosen(*p);
        std::string looked;
        for (const fs::path& f : Config::search_path()) looked += " " + f.string();
        throw ConfigError("no profile " + profile_option + " in tarvo.conf (looked in" + looked +
                          ")");
    }
    if (const Profile* p = config.default_profile()) return chosen(*p);
    return std::nullopt;
}

}  // namespace profiles
