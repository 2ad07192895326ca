// The class registry: keys (paths such as `CLSID\{...}\InprocServer32`) holding named text
// values, kept in text files. Names of keys and values ignore letter case.
//
// File format (see docs/com.md):
//   ; comment
//   [Tarvo.Department\CLSID]
//   @={F704D456-66A3-473F-8DC6-90791014A852}
//   [CLSID\{F704D456-66A3-473F-8DC6-90791014A852}\InprocServer32]
//   @=/usr/lib/tarvo/libtarvo_component.so
//   ThreadingModel=Apartment
// `@` is the key's default value. Look-ups read several files, the first naming a key winning
// (registry_search_path()): the user's file, an administrator's, and the file installed beside
// the library. Changes go to the user's file only.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace com {

struct CaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

class RegistryData {
  public:
    // An empty `name` (or "@") is the key's default value. Setting a value creates the key.
    void set(std::string_view key, std::string_view name, std::string_view value);
    void create_key(std::string_view key);
    std::optional<std::string> get(std::string_view key, std::string_view name = "") const;
    // Whether the key exists, by itself or as the parent of another key.
    bool has_key(std::string_view key) const;
    // Whether some key lies below `key` (a key named key\...).
    bool has_keys_below(std::string_view key) const;
    // Removes the key, its values and every key below it.
    void remove_tree(std::string_view key);
    std::vector<std::string> keys() const;
    // Every key of `upper` replaces the same key here, with all its values.
    void overlay(const RegistryData& upper);

    std::string serialize() const;
    // Throws std::runtime_error naming the line that does not parse.
    static RegistryData parse(std::string_view text);

  private:
    using Values = std::map<std::string, std::string, CaseLess>;
    std::map<std::string, Values, CaseLess> keys_;
};

// The user's file, the one registration changes: $TARVO_REGISTRY, or else
// $XDG_CONFIG_HOME/tarvo/registry, or else ~/.config/tarvo/registry.
std::filesystem::path registry_path();
// The file installed beside this library (<prefix>/lib/tarvo/registry): the servers of the
// installed tree. Empty when the library's own file is unknown.
std::filesystem::path shipped_registry_path();
// The files look-ups read, the first to hold a key winning for that key: registry_path(),
// then tarvo/registry in each folder of $XDG_CONFIG_DIRS (default /etc/xdg), then
// shipped_registry_path().
std::vector<std::filesystem::path> registry_search_path();
// The user's file as it is on disk; empty when the file does not exist yet.
RegistryData read_registry();
// The registry as look-ups see it: the files of registry_search_path() merged, with relative
// server paths (InprocServer32, linux64, HELPDIR) resolved against the folder of the file that
// holds them. Shared by all threads and read again only when the size, modification time or
// identity (a rewrite by rename is a new file) of one of the files changed since, or when the
// search path names other files. Throws std::runtime_error naming a file that does not parse
// (and reads it again on the next call).
std::shared_ptr<const RegistryData> registry_snapshot();
// Removes the entries of the in-process server file `server` as its DllUnregisterServer
// would, for a server that can no longer be loaded: the classes whose InprocServer32 names
// it, with their CLSID keys and the ProgIDs naming them, and the type library versions whose
// linux64 file it is, with the interfaces they describe (and the library's key when no
// version remains). Relative paths in `r` are taken against `folder`. Returns whether a
// class or a type library named the server.
bool remove_server_entries(RegistryData& r, const std::filesystem::path& server,
                           const std::filesystem::path& folder);
// Reads, changes and writes the user's file under an exclusive lock; the new file replaces the
// old one in one step, so readers never see half a file.
void edit_registry(const std::function<void(RegistryData&)>& change);

}  // namespace com
