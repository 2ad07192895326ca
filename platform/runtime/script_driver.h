// The scripted driver: runs a script of user actions against the windows of an
// application whose interaction is scripted, and writes a transcript of JSON lines.
// The language is described in docs/scripting.md.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/connection.h"
#include "platform/runtime/application.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/signal.h"
#include "platform/runtime/user_input.h"

namespace runtime {

class DataWindowControl;

class ScriptDriver {
  public:
    // Opens a window for the `open` command. The default opens a top-level window; a host
    // passes one that opens sheets of its frame.
    using Opener = std::function<Window*(std::string_view name, std::optional<std::string>)>;
    // Saves pictures of the shown windows under a name; returns the files written. A
    // presentation provides it (the desktop program's --screenshot).
    using Screenshooter = std::function<std::vector<std::string>(const std::string& name)>;

    ScriptDriver(Application& app, ScriptedInteraction& ui, std::ostream& out);
    ~ScriptDriver();
    ScriptDriver(const ScriptDriver&) = delete;
    ScriptDriver& operator=(const ScriptDriver&) = delete;

    void set_opener(Opener opener) { opener_ = std::move(opener); }
    void set_screenshooter(Screenshooter s) { screenshooter_ = std::move(s); }
    // Called after every line, so a presentation can catch up with what the line changed.
    void set_after_line(std::function<void()> f) { after_line_ = std::move(f); }
    // The database the `sql` command works on (a connection of its own, so set-up and
    // inspection see committed data as another user would).
    void set_database(db::Connection* connection) { database_ = connection; }

    // Runs every line; returns the number of lines that failed (0: all ran). Answers left
    // in the queue at the end count as one more failure (transcript `unused-answers`).
    int run(std::istream& script);
    // How many runtime errors and database errors the screens reported so far (each is a
    // `runtime-error` or `db-error` line of the transcript).
    int screen_errors() const { return screen_errors_; }
    // Runs one line (numbered for messages); false when it failed.
    bool run_line(std::string_view line, int line_number = 0);

    // Splits a line into words; a double-quoted word may hold blanks and tabs, and \" or
    // \\ for a quote or a backslash (any other backslash stays, so "c:\temp" needs no
    // doubling). A '#' outside quotes starts a comment. Throws ScriptError.
    static std::vector<std::string> split(std::string_view line);

  private:
    using Args = std::vector<std::string>;

    void write_line(const std::string& json_line);
    // Writes an `ignored` line when a user action had no effect.
    void ignored(std::string_view control, InputResult result);
    void execute(const Args& args);
    Window& target_window(std::string_view name = {}) const;
    // "[window.]control": the control of the named or current window.
    Control& target_control(std::string_view target) const;
    DataWindowControl& target_data_window(std::string_view target) const;

    void cmd_open(const Args& a);
    void cmd_type(const Args& a);
    void cmd_click(const Args& a);
    void cmd_key(const Args& a);
    void cmd_row_click(const Args& a, bool twice);
    void cmd_edit(const Args& a);
    void cmd_answer(const Args& a);
    void cmd_close(const Args& a);
    void cmd_sql(const Args& a);
    void cmd_rows(const Args& a);
    void cmd_buttons(const Args& a);
    void cmd_text(const Args& a);
    void cmd_item(const Args& a);
    void cmd_describe(const Args& a);
    void cmd_file(const Args& a);
    void cmd_windows(const Args& a);
    void cmd_variable(std::string_view target);
    void cmd_screenshot(const Args& a);
    // Windows as a whole (script_driver_window.cpp).
    void cmd_resize(const Args& a);
    void cmd_size(const Args& a);
    void cmd_menu(const Args& a);

    Application& app_;
    ScriptedInteraction& ui_;
    std::ostream& out_;
    Opener opener_;
    Screenshooter screenshooter_;
    std::function<void()> after_line_;
    db::Connection* database_ = nullptr;
    std::string current_window_;
    SignalLinks connections_;  // to the interaction's and the application's signals
    int line_number_ = 0;
    int screen_errors_ = 0;
};

}  // namespace runtime
