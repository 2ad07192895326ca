// Interaction without a user: answers come from a queue filled by a test or a script, and
// every prompt is recorded with the answer it got.
//
// A message box with no queued answer gets its default button; a file dialog or a print
// with no queued answer is cancelled. A print answered with a path is printed to that PDF
// file by the printer a presentation provides (without one it fails). An answer that does
// not fit the prompt (a path for a message box, a button the box does not have) is a
// mistake of the script and throws ScriptError.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/interaction.h"
#include "platform/runtime/runtime_error.h"
#include "platform/runtime/signal.h"

namespace runtime {

struct Answer {
    enum class Kind { number, path, cancel };
    Kind kind = Kind::cancel;
    int number = 0;
    std::string path;

    static Answer button(int n) { return {Kind::number, n, {}}; }
    static Answer file(std::string p) { return {Kind::path, 0, std::move(p)}; }
    static Answer cancelled() { return {}; }
};

struct Prompt {
    // "messagebox", "info", "error", "ask", "runtime-error", "db-error" (the box's origin),
    // "open" / "save" for the file dialogs, "print" for printing.
    std::string kind;
    std::string title;
    std::string text;  // message text; for dialogs the filter; for printing the layout
    Icon icon = Icon::none;
    Buttons buttons = Buttons::ok;
    int default_button = 0;
    std::string default_extension;
    int answer = 0;                  // the button, or the dialog's result
    std::string path;                // the chosen file of a dialog
    bool queued = false;             // false when the default was taken
    const Window* window = nullptr;  // the window that asked
    int rows = 0;                    // printing: the rows printed
};

class ScriptedInteraction : public Interaction {
  public:
    void queue(Answer a) { answers_.push_back(std::move(a)); }
    std::size_t pending() const { return answers_.size(); }
    void clear_queue() { answers_.clear(); }

    const std::vector<Prompt>& prompts() const { return prompts_; }
    void clear_prompts() { prompts_.clear(); }

    // Fired for each prompt once it is answered.
    Signal<const Prompt&> prompted;

    int message_box(const MessageBoxRequest& request) override;
    FileChoice file_dialog(const FileDialogRequest& request) override;
    PrintOutcome print(const PrintJob& job) override;

    // Prints a job to a PDF file; a presentation provides it (the desktop program's Qt).
    using Printer = std::function<PrintOutcome(const PrintJob& job, const std::string& path)>;
    void set_printer(Printer printer) { printer_ = std::move(printer); }

  private:
    void record(Prompt p);
    // The queued answer of a prompt that takes a path: the path, or nullopt when nothing is
    // queued or the answer is cancel. A button number is the script's mistake (`asks` says
    // which prompt got it).
    std::optional<std::string> next_path(Prompt& p, const std::string& asks);

    std::deque<Answer> answers_;
    std::vector<Prompt> prompts_;
    Printer printer_;
};

}  // namespace runtime
