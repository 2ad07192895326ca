#include "tools/tarvo-db/default_db.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "schema/demo_data.h"
#include "schema/schema.h"
#include "tools/common/profiles.h"

namespace defaultdb {

std::string default_url() {
    namespace fs = std::filesystem;
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = fs::path(home) / ".local/share";
    } else {
        base = fs::temp_directory_path();
    }
    fs::path dir = base / "tarvo";
    // The user's own data: a folder for the user alone (one that exists keeps its mode).
    std::error_code ec;
    fs::create_directories(base, ec);
    ::mkdir(dir.c_str(), S_IRWXU);
    return "sqlite:" + (dir / "tarvo.db").string();
}

bool prepare(db::Connection& conn, bool demo) {
    schema::create(conn);
    if (!demo) return false;
    const bool empty =
        conn.query_all("SELECT count(*) FROM Employee").rows.at(0).at(0).as_integer() == 0;
    if (empty) schema::fill_demo(conn, schema::DemoSize{});
    return empty;
}

Target choose(const std::string& db_option, const std::string& profile_option) {
    std::string profile;
    const std::optional<std::string> chosen =
        profiles::choose_database(db_option, profile_option, &profile);
    return chosen ? Target{*chosen, false, profile} : Target{default_url(), true, ""};
}

std::string Target::shown() const {
    return profile.empty() ? db::masked(url) : "profile " + profile;
}

login::LoggedIn open(const Target& target, bool prepare, bool demo, const login::Asker& ask) {
    const bool create = target.embedded || prepare || demo;
    // A mistyped file name creates nothing, unless the program was asked to prepare it.
    login::LoggedIn session =
        login::connect(create ? target.url : db::existing_only(target.url), ask);
    if (create) defaultdb::prepare(*session.conn, demo);
    return session;
}

}  // namespace defaultdb
