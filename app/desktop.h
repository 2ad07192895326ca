// The desktop program put together: the database connection (sqlca), the user name, the
// screen library loaded from the library list, the frame w_main and its sheets in Qt, and
// either real dialogs or, headless, a script of user actions with scripted dialogs.
#pragma once

#include <memory>
#include <string>

#include "app/options.h"
#include "platform/db/connection.h"
#include "platform/runtime/application.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/ui/presentation.h"
#include "platform/ui/qt_interaction.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"

namespace app {

class Desktop {
  public:
    explicit Desktop(Options options);
    ~Desktop();

    // Runs the program; returns its exit status.
    int run();
    // Connects, loads the screens and opens the windows, as run() does before it waits for
    // the user; false (after telling why) when the program cannot go on.
    bool start();

    ui::Presentation* presentation() const { return presentation_.get(); }
    runtime::Application& application() { return app_; }
    host::Host& host() { return host_; }

  private:
    // Logs in and connects sqlca, and sets gs_username to whom the database knows; false
    // (after telling why) when the database cannot be used or the log-in was cancelled.
    bool connect_database();
    bool load_screens();
    bool open_windows();
    // Who is logged in to which database, in the main window's status bar (once it is open).
    void show_session();
    int run_script();
    std::vector<std::string> save_screenshots(const std::string& name);
    // Tells the user why the program cannot go on (and the terminal); returns 2.
    int fail(const std::string& message);

    Options options_;
    std::string url_;
    std::string shown_;     // the database as the user named it, for messages
    std::string password_;  // the one the log-in took, for the script's own connection
    bool login_cancelled_ = false;
    runtime::ScriptedInteraction scripted_;
    ui::QtInteraction dialogs_;
    runtime::Files files_;
    runtime::Application app_;
    host::Host host_;
    std::unique_ptr<host::ScreenLibrary> screens_;
    std::unique_ptr<ui::Presentation> presentation_;  // freed before the windows it shows
};

}  // namespace app
