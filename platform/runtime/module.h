// A loaded module (a shared object opened with dlopen). The handle closes when the last
// shared reference goes, so whatever holds code of the module keeps one.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace runtime {

class Module {
  public:
    // Opens the module at `path`; null with `error` set when it cannot be loaded.
    static std::shared_ptr<Module> open(const std::filesystem::path& path, std::string& error);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;

  private:
    Module(void* handle, std::filesystem::path path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::filesystem::path path_;
};

}  // namespace runtime
