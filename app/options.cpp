#include "app/options.h"

#include "tools/common/cli.h"

namespace app {

std::string usage_text() {
    return "usage: tarvo [--db URL | --profile NAME] [--prepare] [--demo] [--user NAME]\n"
           "             [--library LIST] [--drive-c DIR] [--open WINDOW]\n"
           "             [--headless --script FILE [--screenshot DIR]]\n"
           "\n"
           "The employee module's desktop program: the employee list 员工管理 and the employee\n"
           "form 员工信息 in a main window.\n"
           "\n"
           "  --db URL          sqlite:PATH or postgresql://USER@HOST:PORT/DB\n"
           "  --profile NAME    a database named in tarvo.conf ($XDG_CONFIG_HOME/tarvo, then\n"
           "                    /etc/xdg/tarvo); without --db or --profile the default profile,\n"
           "                    and without one the embedded database in ~/.local/share/tarvo.\n"
           "                    A server that wants a password asks for it in a log-in\n"
           "                    dialog; it may also come from ~/.pgpass (mode 0600) or\n"
           "                    PGPASSWORD, never the URL, which every user sees in ps\n"
           "  --prepare         create the tables the database lacks\n"
           "  --demo            and fill demo data into it when it has no employees\n"
           "  --user NAME       SQLite only: the user name the export records (default: your\n"
           "                    account); on a server it is the role that logged in\n"
           "  --library LIST    where the screen library libtarvo_screens.so is looked for\n"
           "                    (folders or files separated by ':'; default: $TARVO_LIBRARY_PATH,\n"
           "                    then the installed and the build's own folder)\n"
           "  --drive-c DIR     the folder c:\\ paths of the screens stand for\n"
           "  --open WINDOW     the window opened at start (default: w_employee)\n"
           "  --headless        run without a display: with --script, run a script of user\n"
           "                    actions on the windows and print its transcript\n"
           "  --script FILE     the script (see docs/scripting.md)\n"
           "  --screenshot DIR  save PNG pictures of the windows where the script says\n"
           "                    `screenshot NAME`\n"
           "  --allow-errors    with --script: exit 0 although the screens reported errors\n"
           "  --help, --version\n"
           "\n"
           "Exit status: 0 when the program ended normally (a --script: every line ran and\n"
           "the screens reported no error), 1 otherwise, 2 for a bad call or what cannot be\n"
           "opened (a database, the display, the screen library).\n";
}

std::optional<Options> parse_options(int argc, char** argv, int& exit_status) {
    cli::Parser parser("tarvo", usage_text());
    const std::pair<const char*, std::string Options::*> values[] = {
        {"--db", &Options::db},           {"--profile", &Options::profile},
        {"--user", &Options::user},       {"--library", &Options::library},
        {"--drive-c", &Options::drive_c}, {"--open", &Options::open},
        {"--script", &Options::script},   {"--screenshot", &Options::screenshot}};
    const std::pair<const char*, bool Options::*> flags[] = {
        {"--prepare", &Options::prepare},
        {"--demo", &Options::demo},
        {"--headless", &Options::headless},
        {"--allow-errors", &Options::allow_errors}};
    for (const auto& [name, field] : values) parser.value(name);
    for (const auto& [name, field] : flags) parser.flag(name);
    const auto args = parser.parse(argc, argv, exit_status);
    if (!args) return std::nullopt;
    Options o;
    for (const auto& [name, field] : values) o.*field = args->value(name, o.*field);
    for (const auto& [name, field] : flags) o.*field = args->has(name);
    auto refuse = [&](const char* reason) {
        exit_status = parser.refuse(reason);
        return std::nullopt;
    };
    if (!o.db.empty() && !o.profile.empty())
        return refuse("--db and --profile name two databases; give one");
    if (!o.script.empty() && !o.headless) return refuse("--script goes with --headless");
    if (!o.screenshot.empty() && o.script.empty()) return refuse("--screenshot goes with --script");
    if (o.headless && o.script.empty()) return refuse("--headless needs --script FILE");
    if (!o.script.empty())
        if (std::string why = cli::unreadable_reason(o.script); !why.empty()) {
            exit_status = parser.refuse(why);
            return std::nullopt;
        }
    return o;
}

}  // namespace app
