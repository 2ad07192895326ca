// tarvo-script: runs a script of user actions against the screens, headless, with scripted
// dialogs, and prints the transcript as JSON lines (see docs/scripting.md).
//   tarvo-script [--db URL] [--prepare] [--user NAME] [--drive-c DIR] [--library LIST]
//                [SCRIPT|-]
// Without --db the embedded default database is used, prepared on first use; --prepare
// prepares the named one the same way (missing tables; demo data when Employee is empty).
// The screens come from the screen library module, found on the library list (--library,
// then $TARVO_LIBRARY_PATH, then the installed and the build's own folder), as the desktop
// program loads them.
// Exit status: 0 when every line ran, 1 when some failed, 2 for a bad call or a screen
// library that cannot be loaded.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/runtime/script_driver.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"
#include "tools/tarvo-db/default_db.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: tarvo-script [--db URL] [--prepare] [--user NAME] [--drive-c DIR]\n"
                 "                    [--library LIST] [SCRIPT|-]\n"
                 "URL: sqlite:PATH or postgresql://USER@HOST:PORT/DB (default: %s)\n",
                 defaultdb::default_url().c_str());
    return 2;
}

std::string login_name() {
    const char* user = std::getenv("USER");
    return user && *user ? user : "user";
}

}  // namespace

int main(int argc, char** argv) {
    std::string url, user = login_name(), drive_c, library, script = "-";
    bool prepare = false;
    for (int i = 1; i < argc; ++i) {
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (!std::strcmp(argv[i], "--db")) {
            if (!value(url)) return usage();
        } else if (!std::strcmp(argv[i], "--prepare")) {
            prepare = true;
        } else if (!std::strcmp(argv[i], "--user")) {
            if (!value(user)) return usage();
        } else if (!std::strcmp(argv[i], "--drive-c")) {
            if (!value(drive_c)) return usage();
        } else if (!std::strcmp(argv[i], "--library")) {
            if (!value(library)) return usage();
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return usage();
        } else {
            script = argv[i];
        }
    }

    std::unique_ptr<db::Connection> inspection;
    try {
        // The default database is prepared (tables, demo data) on first use.
        if (url.empty()) {
            url = defaultdb::default_url();
            prepare = true;
        }
        if (prepare) defaultdb::open_prepared(url);
        inspection = db::connect(url);
    } catch (const db::Error& e) {
        std::fprintf(stderr, "tarvo-script: cannot open %s: %s\n", url.c_str(), e.what());
        return 2;
    }

    runtime::ScriptedInteraction ui;
    runtime::Files files(drive_c.empty() ? runtime::Files::default_drive_c()
                                         : std::filesystem::path(drive_c));
    runtime::Application app(ui, files);
    host::Host host(app);
    host.gs_username = user;
    if (host.sqlca.connect(url) != 0) {
        std::fprintf(stderr, "tarvo-script: %s\n", host.sqlca.sqlerrtext().c_str());
        return 2;
    }
    host.register_classes();
    std::string error;
    auto screens =
        host::ScreenLibrary::load(host, host::ScreenLibrary::library_list(library), error);
    if (!screens) {
        std::fprintf(stderr, "tarvo-script: %s\n", error.c_str());
        return 2;
    }

    runtime::ScriptDriver driver(app, ui, std::cout);
    driver.set_database(inspection.get());
    driver.set_opener([&host](std::string_view name, std::optional<std::string> parm) {
        if (name == "w_main") return &host.w_main();
        return host.open_sheet(name, std::move(parm));
    });

    int failed = 0;
    if (script == "-") {
        failed = driver.run(std::cin);
    } else {
        std::ifstream in(script);
        if (!in) {
            std::fprintf(stderr, "tarvo-script: cannot read %s\n", script.c_str());
            return 2;
        }
        failed = driver.run(in);
    }
    return failed ? 1 : 0;
}
