// Screen tests reach the screens as the programs do: through the screen library module,
// loaded into a host's application.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/application.h"
#include "platform/runtime/scripted_interaction.h"
#include "screens/host/host.h"
#include "screens/host/screen_library.h"

namespace testing_support {

// Loads the module this build made (TARVO_SCREENS_MODULE); a failure fails the test.
inline std::unique_ptr<host::ScreenLibrary> load_screens(host::Host& h) {
    std::string error;
    auto library = host::ScreenLibrary::load(
        h, host::ScreenLibrary::library_list(TARVO_SCREENS_MODULE), error);
    EXPECT_TRUE(library) << error;
    return library;
}

// An application with the screen library loaded, for tests of what the module hands over.
class LoadedScreens {
  public:
    LoadedScreens() { library_ = load_screens(host_); }
    std::shared_ptr<const runtime::Definition> definition(std::string_view name) const {
        auto found = app_.definition(name);
        EXPECT_TRUE(found) << "no definition " << name;
        return found;
    }
    runtime::Application& app() { return app_; }
    host::Host& host() { return host_; }

  private:
    runtime::ScriptedInteraction ui_;
    runtime::Files files_{std::filesystem::temp_directory_path() / "tarvo-test-drive-c"};
    runtime::Application app_{ui_, files_};
    host::Host host_{app_};
    std::unique_ptr<host::ScreenLibrary> library_;
};

}  // namespace testing_support
