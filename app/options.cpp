#include "app/options.h"

#include <map>

namespace app {

std::string usage_text() {
    return "usage: tarvo [--db URL] [--prepare] [--user NAME] [--library LIST] [--drive-c DIR]\n"
           "             [--open WINDOW] [--headless --script FILE [--screenshot DIR]]\n"
           "\n"
           "The employee module's desktop program: the employee list 员工管理 and the employee\n"
           "form 员工信息 in a main window.\n"
           "\n"
           "  --db URL          sqlite:PATH or postgresql://USER@HOST:PORT/DB; without it the\n"
           "                    embedded database in ~/.local/share/tarvo, created with demo data\n"
           "                    on first use\n"
           "  --prepare         create the tables the named database lacks, and demo data when\n"
           "                    it has no employees\n"
           "  --user NAME       the user name the screens record (default: the login name)\n"
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
           "  --help, --version\n";
}

std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& error) {
    Options o;
    const std::map<std::string, std::string Options::*> values = {
        {"--db", &Options::db},
        {"--user", &Options::user},
        {"--library", &Options::library},
        {"--drive-c", &Options::drive_c},
        {"--open", &Options::open},
        {"--script", &Options::script},
        {"--screenshot", &Options::screenshot}};
    const std::map<std::string, bool Options::*> flags = {{"--prepare", &Options::prepare},
                                                          {"--headless", &Options::headless},
                                                          {"--help", &Options::help},
                                                          {"-h", &Options::help},
                                                          {"--version", &Options::version}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (auto f = flags.find(name); f != flags.end()) {
            if (value) {
                error = name + " takes no value";
                return std::nullopt;
            }
            o.*(f->second) = true;
            continue;
        }
        auto v = values.find(name);
        if (v == values.end()) {
            error = "unknown argument " + args[i];
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (value->empty()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        o.*(v->second) = *value;
    }
    if (!o.script.empty() && !o.headless) {
        error = "--script goes with --headless";
        return std::nullopt;
    }
    if (!o.screenshot.empty() && o.script.empty()) {
        error = "--screenshot goes with --script";
        return std::nullopt;
    }
    if (o.headless && o.script.empty() && !o.help && !o.version) {
        error = "--headless needs --script FILE";
        return std::nullopt;
    }
    return o;
}

}  // namespace app
