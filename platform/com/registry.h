// The per-user class registry: keys (paths such as `CLSID\{...}\InprocServer32`) holding
// named text values, kept in one text file. Names of keys and values ignore letter case.
//
// File format (see docs/com.md):
//   ; comment
//   [Tarvo.Department\CLSID]
//   @={F704D456-66A3-473F-8DC6-90791014A852}
//   [CLSID\{F704D456-66A3-473F-8DC6-90791014A852}\InprocServer32]
//   @=/usr/lib/tarvo/libtarvo_component.so
//   ThreadingModel=Apartment
// `@` is the key's default value. The file is $TARVO_REGISTRY, or else
// $XDG_CONFIG_HOME/tarvo/registry, or else ~/.config/tarvo/registry.
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
    // Removes the key, its values and every key below it.
    void remove_tree(std::string_view key);
    std::vector<std::string> keys() const;

    std::string serialize() const;
    // Throws std::runtime_error naming the line that does not parse.
    static RegistryData parse(std::string_view text);

  private:
    using Values = std::map<std::string, std::string, CaseLess>;
    std::map<std::string, Values, CaseLess> keys_;
};

std::filesystem::path registry_path();
// The registry as it is on disk; empty when the file does not exist yet.
RegistryData read_registry();
// The registry as last read, shared by all threads: the file is read again only when its
// size, modification time or identity (a rewrite by rename is a new file) changed since, or
// when registry_path() names another file. Throws std::runtime_error for a file that does not
// parse (and reads it again on the next call).
std::shared_ptr<const RegistryData> registry_snapshot();
// Reads, changes and writes the registry under an exclusive lock; the new file replaces the
// old one in one step, so readers never see half a file.
void edit_registry(const std::function<void(RegistryData&)>& change);

}  // namespace com
