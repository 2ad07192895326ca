// What the host application gives the screens: the transaction `sqlca`, the user name
// `gs_username`, the message functions and f_filewrite, and the frame window `w_main`.
// One Host lives as long as the application; windows reach it through their constructor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/db/value.h"
#include "platform/runtime/application.h"
#include "platform/runtime/transaction.h"

namespace host {

class Host {
  public:
    explicit Host(runtime::Application& app);
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    runtime::Application& app() { return app_; }

    runtime::Transaction sqlca;
    std::string gs_username;

    // Information and error messages; both return when the user closes them.
    int f_showinfo(std::string_view text);
    int f_showerror(std::string_view text);
    // A yes/no question: 1 yes, 2 no. `default_button` is the answer taken by Enter.
    int f_showask(std::string_view text, int default_button = 2);
    // Replaces the file with exactly `bytes`; 1, or -1 when it cannot be written.
    int f_filewrite(const db::Bytes& bytes, std::string_view path);

    // The open frame window, opened first when there is none.
    runtime::Window& w_main();
    // Opens a window of the screen library as a sheet of w_main, as the host's menu does.
    runtime::Window* open_sheet(std::string_view name, std::optional<std::string> parameter,
                                int menu_position = 0, int arrangement = 0);

    // Opens a window of the screen library as a sheet, or brings the one open to the front.
    runtime::Window* show_sheet(std::string_view name);
    // Prints a window's data window after a preview: a form as a record card of its row, a
    // grid as a table of its rows. 1 printed, 0 cancelled, -1 not printed (told to the user).
    int print_window(runtime::Window& w);

    // Registers the host's own window classes (w_main) with the application.
    void register_classes();

  private:
    runtime::Application& app_;
};

}  // namespace host
