// Everything that asks the user something goes through one interface: message boxes and
// the file-open and file-save dialogs. The desktop presentation shows real dialogs; the
// scripted implementation answers from a queue (scripted_interaction.h).
#pragma once

#include <string>

namespace runtime {

class Window;

enum class Icon { none, information, stop_sign, exclamation, question };
enum class Buttons { ok, ok_cancel, yes_no, yes_no_cancel, retry_cancel, abort_retry_ignore };

// Number of buttons a set offers; answers are the chosen button's position from 1.
int button_count(Buttons b);
const char* icon_name(Icon i);
const char* buttons_name(Buttons b);

struct MessageBoxRequest {
    std::string title;
    std::string text;
    Icon icon = Icon::information;
    Buttons buttons = Buttons::ok;
    int default_button = 1;
    // Who asks: "messagebox" for a script's own box, "info", "error", "ask" for the
    // host's message functions, "runtime-error" and "db-error" for the runtime's reports.
    std::string origin = "messagebox";
    // The window that asks (the dialog's parent); null when no window asks.
    const Window* window = nullptr;
};

struct FileDialogRequest {
    enum class Kind { open, save };
    Kind kind = Kind::open;
    std::string title;
    std::string default_extension;
    // Pairs of description and pattern separated by commas: "图片文件(*.JPG),*.JPG".
    std::string filter;
    const Window* window = nullptr;  // the window that asks
};

struct FileChoice {
    int result = 0;    // 1 chosen, 0 cancelled, -1 failed
    std::string path;  // full path and file name
    std::string name;  // file name without folder
};

class Interaction {
  public:
    virtual ~Interaction() = default;
    // Returns the chosen button's position (1, 2, 3).
    virtual int message_box(const MessageBoxRequest& request) = 0;
    virtual FileChoice file_dialog(const FileDialogRequest& request) = 0;
};

}  // namespace runtime
