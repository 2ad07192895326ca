// Everything that asks the user something goes through one interface: message boxes, the
// file-open and file-save dialogs, and printing (a preview, then a printer or a PDF file).
// The desktop presentation shows real dialogs; the scripted implementation answers from a
// queue (scripted_interaction.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

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

// What a window prints.
struct PrintJob {
    enum class Layout {
        card,  // one record on one page: captions and values, and a picture
        table  // rows under column titles, over as many pages as they need
    };
    Layout layout = Layout::table;
    std::string title;                // the window's title, the heading of every page
    std::vector<std::string> titles;  // the captions (card) or column titles (table)
    std::vector<int> widths;          // table: each column's designed width, layout units
    int rows = 0;                     // how many rows `row` gives (a card has 1, or 0)
    // The texts of row 1..rows as the window shows them, in the order of `titles`.
    std::function<std::vector<std::string>(int row)> row;
    std::string picture;             // card: the picture's file on this machine; "" for none
    const Window* window = nullptr;  // the window that prints
};

struct PrintOutcome {
    int result = 0;      // 1 printed, 0 cancelled, -1 failed
    std::string reason;  // why it failed, for the user
};

const char* layout_name(PrintJob::Layout layout);

class Interaction {
  public:
    virtual ~Interaction() = default;
    // Returns the chosen button's position (1, 2, 3).
    virtual int message_box(const MessageBoxRequest& request) = 0;
    virtual FileChoice file_dialog(const FileDialogRequest& request) = 0;
    // Shows what the job prints and prints it where the user says.
    virtual PrintOutcome print(const PrintJob& job) = 0;
};

}  // namespace runtime
