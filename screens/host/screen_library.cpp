#include "screens/host/screen_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <set>

#include "screens/host/host.h"

namespace host {
namespace {

void split_into(std::string_view items, std::vector<std::filesystem::path>& out) {
    while (!items.empty()) {
        const std::size_t colon = items.find(':');
        std::string_view item = items.substr(0, colon);
        if (!item.empty()) out.emplace_back(std::string(item));
        if (colon == std::string_view::npos) break;
        items.remove_prefix(colon + 1);
    }
}

// The folder of the runtime library this code is part of. Installed, the screen library lies
// beside it; in the build tree it is in its own folder, TARVO_SCREENS_FROM_RUNTIME away.
std::filesystem::path runtime_folder() {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&runtime_folder), &info) || !info.dli_fname) return {};
    std::error_code ec;
    auto file = std::filesystem::weakly_canonical(info.dli_fname, ec);
    return ec ? std::filesystem::path() : file.parent_path();
}

// Collects what the entry hands over; registered only when all of it is sound.
class Collector : public ScreenRegistrar {
  public:
    void add_window(std::string name, WindowFactory factory) override {
        if (!factory || name.empty() || !windows.emplace(name, std::move(factory)).second)
            duplicates.insert(name);
    }
    void add_definition(std::shared_ptr<const runtime::Definition> definition) override {
        if (definition) definitions.push_back(std::move(definition));
    }

    std::map<std::string, WindowFactory> windows;
    std::vector<std::shared_ptr<const runtime::Definition>> definitions;
    std::set<std::string> duplicates;
};

std::filesystem::path find_module(const std::vector<std::filesystem::path>& list) {
    for (const auto& item : list) {
        std::error_code ec;
        if (std::filesystem::is_directory(item, ec)) {
            const auto file = item / ScreenLibrary::kFileName;
            if (std::filesystem::exists(file, ec)) return file;
        } else if (std::filesystem::exists(item, ec)) {
            return item;
        }
    }
    return {};
}

std::string joined(const std::vector<std::filesystem::path>& list) {
    std::string out;
    for (const auto& p : list) out += (out.empty() ? "" : ":") + p.string();
    return out.empty() ? "（空）" : out;
}

}  // namespace

std::vector<std::filesystem::path> ScreenLibrary::library_list(std::string_view option) {
    std::vector<std::filesystem::path> list;
    split_into(option, list);
    if (!list.empty()) return list;  // a list the user names is the whole list
    if (const char* env = std::getenv("TARVO_LIBRARY_PATH")) split_into(env, list);
    if (const auto beside = runtime_folder(); !beside.empty()) {
        list.push_back(beside);
        std::error_code ec;
        const auto built = (beside / TARVO_SCREENS_FROM_RUNTIME).lexically_normal();
        if (std::filesystem::is_directory(built, ec)) list.push_back(built);
    }
    return list;
}

std::unique_ptr<ScreenLibrary> ScreenLibrary::load(Host& host,
                                                   const std::vector<std::filesystem::path>& list,
                                                   std::string& error) {
    const std::filesystem::path file = find_module(list);
    if (file.empty()) {
        error = std::string("找不到屏幕库 ") + kFileName + "，已查找：" + joined(list);
        return nullptr;
    }
    std::string why;
    auto module = runtime::Module::open(file, why);
    if (!module) {
        error = "无法加载屏幕库 " + file.string() + "：" + why;
        return nullptr;
    }
    auto entry = reinterpret_cast<ScreenLibraryEntry>(module->symbol(kScreenLibraryEntry));
    if (!entry) {
        error = "屏幕库 " + file.string() + " 没有入口 " + kScreenLibraryEntry;
        return nullptr;
    }
    Collector collected;
    try {
        if (entry(collected, kScreenLibraryVersion) != 0) {
            error = "屏幕库 " + file.string() + " 不支持接口版本 " +
                    std::to_string(kScreenLibraryVersion);
            return nullptr;
        }
    } catch (const std::exception& e) {
        error = "屏幕库 " + file.string() + " 的入口出错：" + e.what();
        return nullptr;
    }
    runtime::Application& app = host.app();
    for (const auto& [name, factory] : collected.windows)
        if (app.has_class(name)) collected.duplicates.insert(name);
    if (!collected.duplicates.empty()) {
        error = "屏幕库 " + file.string() + " 重复定义了窗口：";
        for (const auto& name : collected.duplicates) error += " " + name;
        return nullptr;
    }

    std::unique_ptr<ScreenLibrary> library(new ScreenLibrary(host, module));
    const runtime::Application::Owner owner = module;
    for (auto& definition : collected.definitions) app.add_definition(std::move(definition), owner);
    for (auto& [name, factory] : collected.windows) {
        app.register_class(
            name, [&host, make = std::move(factory)] { return make(host); }, owner);
        library->windows_.push_back(name);
    }
    return library;
}

ScreenLibrary::~ScreenLibrary() {
    host_.app().unregister(module_);
}

}  // namespace host
