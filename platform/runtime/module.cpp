#include "platform/runtime/module.h"

#include <dlfcn.h>

namespace runtime {

std::shared_ptr<Module> Module::open(const std::filesystem::path& path, std::string& error) {
    // RTLD_LOCAL: two modules may define the same internal names without meeting.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        error = why ? why : "dlopen failed";
        return nullptr;
    }
    return std::shared_ptr<Module>(new Module(handle, path));
}

Module::~Module() {
    ::dlclose(handle_);
}

void* Module::symbol(const char* name) const {
    return ::dlsym(handle_, name);
}

}  // namespace runtime
