// The script language on the real screens, loaded from the screen library as tarvo-script
// loads it: whatever a script holds, each line gives one or more transcript lines that are
// JSON objects in valid UTF-8, and no exception leaves the driver.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/runtime/application.h"
#include "platform/runtime/files.h"
#include "platform/runtime/script_driver.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/text/utf8.h"
#include "schema/schema.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"
#include "tests/fuzz/fuzz.h"

namespace {

namespace fs = std::filesystem;

struct World {
    fs::path dir = fs::temp_directory_path() / ("tarvo-fuzz-script-" + std::to_string(::getpid()));
    std::unique_ptr<db::Connection> inspection;
    runtime::ScriptedInteraction ui;
    runtime::Files files{dir / "drive_c"};
    runtime::Application app{ui, files};
    host::Host host{app};
    std::unique_ptr<host::ScreenLibrary> screens;
    std::ostringstream out;
    runtime::ScriptDriver driver{app, ui, out};

    World() {
        fs::create_directories(dir);
        const std::string url = "sqlite:" + (dir / "hr.db").string() + "?busy_timeout=200";
        inspection = db::connect(url);
        schema::create(*inspection);
        inspection->execute(
            "INSERT INTO Employee (eid, ename, sex, flag) VALUES ('E1', '张三', '男', '1'), "
            "('E2', '李四', '女', '0')");
        host.gs_username = "fuzz";
        fuzz::check(host.sqlca.connect(url) == 0, "sqlca connects");
        host.register_classes();
        std::string error;
        screens = host::ScreenLibrary::load(host, {TARVO_SCREENS_DIR}, error);
        fuzz::check(screens != nullptr, error);
        driver.set_database(inspection.get());
        driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
            if (name == "w_main") return &host.w_main();
            return host.open_sheet(name, std::move(parm));
        });
    }
    ~World() {
        close_all();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Every window closed, the last opened first, answering No to any question.
    void close_all() {
        auto open = app.windows();
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            ui.clear_queue();
            for (int i = 0; i < 4; ++i) ui.queue(runtime::Answer::button(2));
            app.close(**it);
        }
        ui.clear_queue();
        ui.clear_prompts();
    }
};

World& world() {
    static World w;
    return w;
}

// A file dialog answered with a path writes where the path points: only paths on the
// private c:\ drive are let through, so a mutated path cannot reach the machine's files.
std::string confined(std::string_view script) {
    std::string kept, line;
    std::istringstream in{std::string(script)};
    while (std::getline(in, line)) {
        std::string_view l = line;
        while (!l.empty() && (l[0] == ' ' || l[0] == '\t')) l.remove_prefix(1);
        if (l.starts_with("answer") && l.find("path") != std::string_view::npos) {
            auto quote = l.find('"');
            std::string_view path = quote == std::string_view::npos ? l.substr(l.find("path") + 4)
                                                                    : l.substr(quote + 1);
            while (!path.empty() && path[0] == ' ') path.remove_prefix(1);
            if (!(path.size() >= 3 && (path[0] == 'c' || path[0] == 'C') && path[1] == ':' &&
                  path[2] == '\\'))
                continue;
        }
        kept += line + "\n";
    }
    return kept;
}

}  // namespace

std::vector<std::string> fuzz::seeds() {
    std::vector<std::string> out;
    for (const char* f : {"list/scripts/list.script", "form/scripts/form.script"}) {
        std::ifstream in(fs::path(TARVO_SOURCE_DIR) / "tests/screens" / f);
        std::stringstream s;
        s << in.rdbuf();
        out.push_back(s.str());
        // Smaller pieces mutate into more kinds of lines than whole scripts do.
        std::istringstream lines(out.back());
        std::string piece, line;
        for (int n = 0; std::getline(lines, line); ++n) {
            piece += line + "\n";
            if (n % 6 == 5) out.push_back(std::exchange(piece, "open w_employee\n"));
        }
    }
    return out;
}

std::vector<std::string> fuzz::tokens() {
    return {"open w_employee\n",
            "open w_employeeadd new\n",
            "click cb_1\n",
            "key w_employee esc\n",
            "edit dw_1 1 eid ",
            "answer yes\n",
            "answer 1\n",
            "dblclickrow dw_1 1 p_1\n",
            "close\n",
            "type sle_1 ",
            "\"c:\\tempemployee.JPG\"",
            "buttons\n",
            "windows\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& w = world();
    w.out.str("");
    std::istringstream script(confined(fuzz::as_text(data, size)));
    try {
        w.driver.run(script);
    } catch (const std::exception& e) {
        fuzz::check(false, std::string("an exception left the driver: ") + e.what());
    }
    const std::string transcript = w.out.str();
    if (fuzz::verbose) std::fprintf(stderr, "%s----\n", transcript.c_str());
    fuzz::check(text::is_valid_utf8(transcript), "the transcript is not valid UTF-8");
    std::istringstream lines(transcript);
    for (std::string l; std::getline(lines, l);)
        fuzz::check(l.starts_with("{\"event\":\"") && l.ends_with("}"),
                    "a transcript line is not a JSON object: " + l);
    w.close_all();
    return 0;
}
