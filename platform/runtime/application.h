// Application services: window classes by name, opening windows and sheets of a frame
// with a parameter, closing them (closequery -> close -> destroy), the message object,
// and the user interaction and file services every window shares.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    Application(Interaction& interaction, Files& files);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    void register_class(std::string name, Factory factory);
    bool has_class(std::string_view name) const;

    // Opens a window of a registered class: create, the controls' constructors, open.
    // Returns null (after reporting) for an unknown class.
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

    Message& message() { return message_; }
    const std::vector<OpenRequest>& open_requests() const { return open_requests_; }
    Interaction& interaction() { return interaction_; }
    Files& files() { return files_; }

    // Reports a runtime error that ended an event handler through the error message box.
    void report_runtime_error(std::string_view object, std::string_view event,
                              std::string_view message);
    // Frees windows closed since the last call. Call it only between user actions, when no
    // handler of those windows is running.
    void collect_closed();

    Signal<Window&> window_opened;
    Signal<Window&> window_closed;
    Signal<const OpenRequest&> open_requested;

  private:
    // closequery, close, destroy; false when refused.
    bool close_now(Window& w);
    Window* open_window(std::string_view class_name, Window* frame,
                        std::optional<std::string> parameter, int menu_position, int arrangement);

    Interaction& interaction_;
    Files& files_;
    std::map<std::string, Factory, std::less<>> classes_;
    std::vector<std::unique_ptr<Window>> open_;
    std::vector<std::unique_ptr<Window>> closed_;
    Message message_;
    std::vector<OpenRequest> open_requests_;
};

}  // namespace runtime
