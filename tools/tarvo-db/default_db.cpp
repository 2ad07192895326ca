#include "tools/tarvo-db/default_db.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "schema/demo_data.h"
#include "schema/schema.h"

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

std::unique_ptr<db::Connection> open_prepared(const std::string& url, bool* filled) {
    auto conn = db::connect(url);
    schema::create(*conn);
    bool empty =
        conn->query_all("SELECT count(*) FROM Employee").rows.at(0).at(0).as_integer() == 0;
    if (empty) schema::fill_demo(*conn, schema::DemoSize{});
    if (filled) *filled = empty;
    return conn;
}

}  // namespace defaultdb
