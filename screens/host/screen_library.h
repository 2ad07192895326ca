// The boundary between the host program and the screen library. The screen library is a
// module (libtarvo_screens.so) that exports one C entry and nothing else; through it the
// module hands over its window classes and data-window definitions by name. The host finds
// the module on its library list, loads it, and opens its windows by name.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/datawindow/definition.h"
#include "platform/runtime/module.h"
#include "platform/runtime/window.h"

namespace host {

class Host;

// What the module's entry receives: where it puts its classes and definitions.
class ScreenRegistrar {
  public:
    using WindowFactory = std::function<std::unique_ptr<runtime::Window>(Host&)>;
    virtual ~ScreenRegistrar() = default;
    virtual void add_window(std::string name, WindowFactory factory) = 0;
    virtual void add_definition(std::shared_ptr<const runtime::Definition> definition) = 0;
};

// The entry, by this name:
//   extern "C" int tarvo_screen_library(host::ScreenRegistrar& registrar, int version);
// It hands over everything and returns 0, or returns non-zero when it cannot serve `version`.
inline constexpr const char* kScreenLibraryEntry = "tarvo_screen_library";
inline constexpr int kScreenLibraryVersion = 1;
using ScreenLibraryEntry = int (*)(ScreenRegistrar&, int);

// A screen library loaded into a host's application. Its classes and definitions are
// registered while this object lives; the module itself stays loaded until its last window
// has been freed as well.
class ScreenLibrary {
  public:
    static constexpr const char* kFileName = "libtarvo_screens.so";

    // The library list: the items of `option` (a --library value) when it names any;
    // otherwise those of $TARVO_LIBRARY_PATH, then the folder of the runtime library (where
    // the installed module lies) and, in the build tree, the screens' own folder. Items are
    // separated by ':' and are folders or module files.
    static std::vector<std::filesystem::path> library_list(std::string_view option = {});

    // Finds the module on `list`, loads it and registers what it hands over. Null, with
    // `error` saying why (in Chinese, for the user), when the module is missing, cannot be
    // loaded, lacks the entry, refuses the version, or names a window twice; nothing is
    // registered then.
    static std::unique_ptr<ScreenLibrary> load(Host& host,
                                               const std::vector<std::filesystem::path>& list,
                                               std::string& error);
    ~ScreenLibrary();
    ScreenLibrary(const ScreenLibrary&) = delete;
    ScreenLibrary& operator=(const ScreenLibrary&) = delete;

    const std::filesystem::path& path() const { return module_->path(); }
    const std::vector<std::string>& windows() const { return windows_; }

  private:
    ScreenLibrary(Host& host, std::shared_ptr<runtime::Module> module)
        : host_(host), module_(std::move(module)) {}

    Host& host_;
    std::shared_ptr<runtime::Module> module_;
    std::vector<std::string> windows_;
};

}  // namespace host
