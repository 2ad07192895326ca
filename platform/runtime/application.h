// Application services: window classes and data-window definitions by name, opening windows
// and sheets of a frame with a parameter, closing them (closequery -> close -> destroy), the
// message object, and the user interaction and file services every window shares.
//
// A window closed while a handler or a user action is under way is freed only when the
// outermost of them has ended (Activity counts them), so a handler may close its own window,
// and a close guard may run a save, without anything being freed under its feet.
//
// Classes and definitions may come from a loaded module: each is registered with an owner
// (the module's handle), which the application keeps alive as long as the class, the
// definition or any window made from it lives.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/datawindow/definition.h"
#include "platform/runtime/files.h"
#include "platform/runtime/interaction.h"
#include "platform/runtime/signal.h"
#include "platform/runtime/window.h"

namespace runtime {

// The message object: what an opening window reads in its open handler.
struct Message {
    std::optional<std::string> stringparm;
};

// One request to open a window, kept for inspection.
struct OpenRequest {
    std::string window;
    std::string frame;  // empty for a window that is not a sheet
    std::optional<std::string> parameter;
    int menu_position = 0;
    int arrangement = 0;
};

class Application {
  public:
    using Factory = std::function<std::unique_ptr<Window>()>;
    // Keeps the code of a class or definition loaded (a module handle); may be empty.
    using Owner = std::shared_ptr<const void>;

    Application(Interaction& interaction, Files& files);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Registers a window class. A second class of the same name is refused (false).
    bool register_class(std::string name, Factory factory, Owner owner = {});
    bool has_class(std::string_view name) const;
    // Removes every class and definition of `owner` (windows already open stay).
    void unregister(const Owner& owner);

    // Data-window definitions, found by name without regard to case.
    void add_definition(std::shared_ptr<const Definition> definition, Owner owner = {});
    std::shared_ptr<const Definition> definition(std::string_view name) const;

    // Opens a window of a registered class: create, the controls' constructors, open.
    // Returns null (after reporting) for an unknown class, or when the window closed itself
    // while opening.
    Window* open(std::string_view class_name, std::optional<std::string> parameter = {});
    // Opens a window as a sheet of `frame`, with the parameter in the message object.
    Window* open_sheet(std::string_view class_name, Window& frame,
                       std::optional<std::string> parameter, int menu_position, int arrangement);

    // Closes as the user would: the sheets of a frame first, then closequery (1 refuses:
    // returns -1), close and destroy. Returns 1 when closed.
    int close(Window& w);

    // Open windows in opening order, and the sheets of one frame.
    std::vector<Window*> windows() const;
    std::vector<Window*> sheets(const Window& frame) const;
    // The most recently opened window of that class that is still open.
    Window* find_open(std::string_view class_name) const;
    // Makes an open sheet its frame's active sheet (the user brought it to the front).
    void activate_sheet(Window& sheet);

    Message& message() { return message_; }
    const std::vector<OpenRequest>& open_requests() const { return open_requests_; }
    Interaction& interaction() { return interaction_; }
    Files& files() { return files_; }

    // The window whose handler runs innermost, or null between user actions.
    Window* active_window() const;
    // Shows a message box for `asking` (null: the active window) and returns the answer.
    int show_message(const Window* asking, std::string_view origin, std::string_view title,
                     std::string_view text, Icon icon, Buttons buttons = Buttons::ok,
                     int default_button = 1);
    // Shows a file dialog for `asking` (null: the active window). A chosen "c:\..." path
    // comes back as the local path it stands for.
    FileChoice show_file_dialog(const Window* asking, FileDialogRequest request);
    // Prints a job for `asking` (null: the active window): a preview, then a printer or a
    // PDF file as the user chooses.
    PrintOutcome print(const Window* asking, PrintJob job);
    // Reports a runtime error that ended an event handler through the error message box.
    void report_runtime_error(std::string_view object, std::string_view event,
                              std::string_view message);

    // A user action or an event handler under way (scoped). Windows closed meanwhile are
    // freed when the last Activity ends.
    class Activity {
      public:
        explicit Activity(Application& app, Window* window = nullptr);
        ~Activity();
        Activity(const Activity&) = delete;
        Activity& operator=(const Activity&) = delete;

      private:
        Application& app_;
    };
    // Closed windows not yet freed (an Activity is under way).
    std::size_t closed_pending() const { return closed_.size(); }

    Signal<Window&> window_opened;
    Signal<Window&> window_closed;
    Signal<Window&> sheet_activated;
    Signal<const OpenRequest&> open_requested;

  private:
    struct ClassEntry {
        Owner owner;  // declared first: released after the factory, whose code it holds
        Factory factory;
    };
    struct DefinitionEntry {
        Owner owner;
        std::shared_ptr<const Definition> definition;
    };
    struct WindowEntry {
        Owner owner;
        std::unique_ptr<Window> window;
    };

    // closequery, close, destroy; false when refused.
    bool close_now(Window& w);
    Window* open_window(std::string_view class_name, Window* frame,
                        std::optional<std::string> parameter, int menu_position, int arrangement);
    void free_closed();

    Interaction& interaction_;
    Files& files_;
    std::map<std::string, ClassEntry, std::less<>> classes_;
    std::map<std::string, DefinitionEntry, std::less<>> definitions_;  // by lower-case name
    std::vector<WindowEntry> open_;
    std::vector<WindowEntry> closed_;
    std::vector<Window*> active_;  // windows whose handlers run, innermost last
    int activity_ = 0;
    Message message_;
    std::vector<OpenRequest> open_requests_;
};

}  // namespace runtime
