// tarvo-script: runs a script of user actions against the screens, headless, with scripted
// dialogs, and prints the transcript as JSON lines (see docs/scripting.md and --help).
//
// The screens come from the screen library module, found on the library list (--library,
// then $TARVO_LIBRARY_PATH, then the installed and the build's own folder), as the desktop
// program loads them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/runtime/replace_file.h"
#include "platform/runtime/script_driver.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"
#include "tools/common/cli.h"
#include "tools/common/profiles.h"
#include "tools/tarvo-db/default_db.h"

namespace {

std::string usage_text() {
    return "usage: tarvo-script [--db URL | --profile NAME] [--prepare] [--demo] [--user NAME]\n"
           "                    [--drive-c DIR] [--library LIST] [--allow-errors] [SCRIPT|-]\n"
           "\n"
           "Runs a script of user actions (docs/scripting.md) on the screens and prints the\n"
           "transcript, one JSON line per event.\n"
           "\n"
           "  --db URL          sqlite:PATH or postgresql://USER@HOST:PORT/DB; a SQLite file\n"
           "                    named here must exist\n"
           "  --profile NAME    a database named in tarvo.conf; without --db or --profile the\n"
           "                    default profile, else the embedded database\n"
           "                    ~/.local/share/tarvo/tarvo.db (under $XDG_DATA_HOME when set).\n"
           "                    A password is asked for on the terminal, or comes from\n"
           "                    ~/.pgpass (mode 0600) or PGPASSWORD: ps shows the URL to all\n"
           "  --prepare         create the tables the database lacks (the file too)\n"
           "  --demo            and fill demo data into it when it has no employees\n"
           "  --user NAME       SQLite only: the user name the screens see (default: your\n"
           "                    account); on a server it is the role that logged in\n"
           "  --drive-c DIR     the folder c:\\ paths stand for\n"
           "  --library LIST    where the screen library is looked for (folders or files, ':')\n"
           "  --allow-errors    exit 0 although the screens reported runtime or database errors\n"
           "  SCRIPT            the script file; - or nothing reads standard input\n"
           "\n"
           "Exit status: 0 when every line ran (and, without --allow-errors, the screens\n"
           "reported no runtime or database error), 1 otherwise, 2 for a bad call, a database\n"
           "that cannot be opened or a screen library that cannot be loaded.\n";
}

}  // namespace

int main(int argc, char** argv) {
    cli::Parser parser("tarvo-script", usage_text());
    parser.value("--db").value("--profile").value("--user").value("--drive-c").value("--library");
    parser.flag("--prepare").flag("--demo").flag("--allow-errors").positional(0, 1);
    int status = 0;
    const auto args = parser.parse(argc, argv, status);
    if (!args) return status;
    const std::string script = args->positional.empty() ? "-" : args->positional[0];
    if (script != "-")
        if (std::string why = cli::unreadable_reason(script); !why.empty())
            return parser.refuse(why);

    const std::string drive_c_option = args->value("--drive-c");
    const std::filesystem::path drive_c = drive_c_option.empty()
                                              ? runtime::Files::default_drive_c()
                                              : std::filesystem::path(drive_c_option);
    runtime::prepare_file_writing({drive_c});  // before anything is written, the database too

    defaultdb::Target target;
    try {
        target = defaultdb::choose(args->value("--db"), args->value("--profile"));
    } catch (const profiles::ConfigError& e) {
        return parser.refuse(e.what());
    }
    const std::string user = args->value("--user");
    if (target.on_server() && !user.empty())
        return parser.refuse(
            "--user goes with SQLite only: on a server the user is the role that logged in");
    login::LoggedIn session;
    std::unique_ptr<db::Connection> inspection;
    try {
        session = defaultdb::open(target, args->has("--prepare"), args->has("--demo"),
                                  login::on_terminal());
        inspection = db::connect(db::existing_only(target.url), session.password);
    } catch (const db::Error& e) {
        std::fprintf(stderr, "tarvo-script: cannot open %s: %s\n", target.shown().c_str(),
                     cli::one_line(e.what()).c_str());
        return cli::kUsageError;
    }

    runtime::ScriptedInteraction ui;
    runtime::Files files(drive_c);
    runtime::Application app(ui, files);
    host::Host host(app);
    host.gs_username = user.empty() ? session.conn->authenticated_user() : user;
    host.sqlca.attach(std::move(session.conn));
    host.register_classes();
    std::string error;
    auto screens = host::ScreenLibrary::load(
        host, host::ScreenLibrary::library_list(args->value("--library")), error);
    if (!screens) {
        std::fprintf(stderr, "tarvo-script: %s\n", error.c_str());
        return cli::kUsageError;
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
        failed = driver.run(in);
    }
    const int errors = driver.screen_errors();
    if (failed || errors)
        std::fprintf(stderr,
                     "tarvo-script: %d line(s) failed, the screens reported %d error(s)%s\n",
                     failed, errors, errors && args->has("--allow-errors") ? " (allowed)" : "");
    return failed || (errors && !args->has("--allow-errors")) ? 1 : 0;
}
