#include "platform/com/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "platform/com/activation.h"

namespace com {

namespace fs = std::filesystem;

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string_view value_name(std::string_view name) {
    return name == "@" ? "" : name;
}

bool same(std::string_view a, std::string_view b) {
    return !CaseLess()(a, b) && !CaseLess()(b, a);
}

bool is_below(std::string_view key, std::string_view parent) {
    if (key.size() <= parent.size() || key[parent.size()] != '\\') return false;
    return !CaseLess()(key.substr(0, parent.size()), parent) &&
           !CaseLess()(parent, key.substr(0, parent.size()));
}

void check_text(std::string_view s, const char* what) {
    if (s.find('\n') != std::string_view::npos || s.find('\r') != std::string_view::npos)
        throw std::invalid_argument(std::string("registry ") + what + " contains a line break");
}

// Holds an exclusive lock on the registry's lock file while alive.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) throw std::runtime_error("cannot open the registry lock " + path.string());
        if (::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            throw std::runtime_error("cannot lock the registry " + path.string());
        }
    }
    ~FileLock() {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_;
};

RegistryData read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    try {
        return RegistryData::parse(text.str());
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
}

std::vector<std::string_view> parts_of(std::string_view key) {
    std::vector<std::string_view> parts;
    for (std::size_t at = 0;;) {
        std::size_t end = key.find('\\', at);
        parts.push_back(key.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) return parts;
        at = end + 1;
    }
}

// Keys whose default value is a file or a folder: a class's server, a type library's file,
// the type library's help folder.
bool holds_path(std::string_view key) {
    std::string_view last = key.substr(key.rfind('\\') + 1);
    return same(last, "InprocServer32") || same(last, "linux64") || same(last, "HELPDIR");
}

// A relative path taken against `folder`; an empty folder value is `folder` itself.
std::string resolve(const std::string& value, std::string_view key, const fs::path& folder) {
    if (fs::path(value).is_absolute() || folder.empty()) return value;
    if (value.empty() && !same(key.substr(key.rfind('\\') + 1), "HELPDIR")) return value;
    fs::path p = (folder / value).lexically_normal();
    if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();  // no trailing slash
    return p.string();
}

void resolve_paths(RegistryData& data, const fs::path& folder) {
    for (const std::string& key : data.keys()) {
        if (!holds_path(key)) continue;
        if (auto value = data.get(key)) data.set(key, "", resolve(*value, key, folder));
    }
}

// A path as two spellings of one file compare equal; the file need not exist.
fs::path comparable(const fs::path& p) {
    std::error_code ec;
    fs::path out = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? p.lexically_normal() : out;
}

// The folders of $XDG_CONFIG_DIRS in order, or /etc/xdg; relative entries do not count.
std::vector<fs::path> config_dirs() {
    std::vector<fs::path> out;
    const char* list = std::getenv("XDG_CONFIG_DIRS");
    std::string_view rest = list && *list ? list : "/etc/xdg";
    while (!rest.empty()) {
        std::size_t end = rest.find(':');
        fs::path dir(rest.substr(0, end));
        if (dir.is_absolute()) out.push_back(dir);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return out;
}

// What tells one state of the registry file from another without reading it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtime_sec = 0, mtime_nsec = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp stamp_of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

// The registry as last read. Creating an object looks a class up several times, so the
// files are parsed once and then only checked with stat().
struct Snapshot {
    std::mutex mutex;
    std::vector<std::string> paths;
    std::vector<FileStamp> stamps;
    std::shared_ptr<const RegistryData> data;
};

Snapshot& snapshot() {
    static Snapshot s;
    return s;
}

void forget_snapshot() {
    Snapshot& s = snapshot();
    std::lock_guard lock(s.mutex);
    s.data.reset();
}

}  // namespace

bool CaseLess::operator()(std::string_view a, std::string_view b) const {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char x = lower(a[i]), y = lower(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

void RegistryData::set(std::string_view key, std::string_view name, std::string_view value) {
    check_text(key, "key"), check_text(name, "value name"), check_text(value, "value");
    keys_[std::string(key)][std::string(value_name(name))] = std::string(value);
}

void RegistryData::create_key(std::string_view key) {
    check_text(key, "key");
    keys_[std::string(key)];
}

std::optional<std::string> RegistryData::get(std::string_view key, std::string_view name) const {
    auto k = keys_.find(key);
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(value_name(name));
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool RegistryData::has_key(std::string_view key) const {
    return keys_.count(key) > 0 || has_keys_below(key);
}

bool RegistryData::has_keys_below(std::string_view key) const {
    for (const auto& [k, values] : keys_)
        if (is_below(k, key)) return true;
    return false;
}

void RegistryData::remove_tree(std::string_view key) {
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (same(it->first, key) || is_below(it->first, key))
            it = keys_.erase(it);
        else
            ++it;
    }
}

std::vector<std::string> RegistryData::keys() const {
    std::vector<std::string> out;
    for (const auto& [k, values] : keys_) out.push_back(k);
    return out;
}

void RegistryData::overlay(const RegistryData& upper) {
    for (const auto& [k, values] : upper.keys_) keys_[k] = values;
}

std::string RegistryData::serialize() const {
    std::string out =
        "; Tarvo class registry. [key] starts a key; name=value lines follow; @ is "
        "the default value.\n";
    for (const auto& [key, values] : keys_) {
        out += "[" + key + "]\n";
        for (const auto& [name, value] : values)
            out += (name.empty() ? std::string("@") : name) + "=" + value + "\n";
    }
    return out;
}

RegistryData RegistryData::parse(std::string_view text) {
    RegistryData data;
    std::string current;
    bool in_key = false;
    std::size_t line_no = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() > 2) {
            current = std::string(line.substr(1, line.size() - 2));
            data.create_key(current);
            in_key = true;
            continue;
        }
        std::size_t eq = line.find('=');
        if (!in_key || eq == std::string_view::npos || eq == 0)
            throw std::runtime_error("registry line " + std::to_string(line_no) +
                                     " does not parse: " + std::string(line));
        data.set(current, line.substr(0, eq), line.substr(eq + 1));
    }
    return data;
}

fs::path registry_path() {
    if (const char* p = std::getenv("TARVO_REGISTRY"); p && *p) return p;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        return fs::path(x) / "tarvo" / "registry";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".config" / "tarvo" / "registry";
}

fs::path shipped_registry_path() {
    // The library does not move while it is loaded.
    static const fs::path path = [] {
        std::string self = module_path_of(reinterpret_cast<const void*>(&shipped_registry_path));
        return self.empty() ? fs::path() : fs::path(self).parent_path() / "registry";
    }();
    return path;
}

std::vector<fs::path> registry_search_path() {
    std::vector<fs::path> out{registry_path()};
    for (const fs::path& dir : config_dirs()) out.push_back(dir / "tarvo" / "registry");
    if (fs::path shipped = shipped_registry_path(); !shipped.empty()) out.push_back(shipped);
    return out;
}

RegistryData read_registry() {
    return read_file(registry_path());
}

std::shared_ptr<const RegistryData> registry_snapshot() {
    std::vector<std::string> paths;
    std::vector<FileStamp> stamps;
    for (const fs::path& p : registry_search_path()) {
        paths.push_back(p.string());
        // Taken before the file is read: a change after it makes the next call read again.
        stamps.push_back(stamp_of(paths.back()));
    }
    Snapshot& s = snapshot();
    std::lock_guard lock(s.mutex);
    if (s.data && s.paths == paths && s.stamps == stamps) return s.data;
    // From the last file to the first, so that each file's keys replace those of the files
    // after it.
    RegistryData merged;
    for (std::size_t i = paths.size(); i-- > 0;) {
        if (!stamps[i].exists) continue;
        RegistryData layer = read_file(paths[i]);
        resolve_paths(layer, fs::path(paths[i]).parent_path());
        merged.overlay(layer);
    }
    auto data = std::make_shared<const RegistryData>(std::move(merged));
    s.paths = std::move(paths);
    s.stamps = std::move(stamps);
    s.data = data;
    return data;
}

bool remove_server_entries(RegistryData& r, const fs::path& server, const fs::path& folder) {
    const fs::path target = comparable(server);
    auto names_server = [&](const std::string& key) {
        auto value = r.get(key);
        return value && !value->empty() && comparable(resolve(*value, key, folder)) == target;
    };
    struct Library {
        std::string id, version;
    };
    std::vector<std::string> classes;
    std::vector<Library> libraries;
    for (const std::string& key : r.keys()) {
        auto p = parts_of(key);
        if (p.size() == 3 && same(p[0], "CLSID") && same(p[2], "InprocServer32") &&
            names_server(key))
            classes.emplace_back(p[1]);
        else if (p.size() == 5 && same(p[0], "TypeLib") && same(p[4], "linux64") &&
                 names_server(key))
            libraries.push_back({std::string(p[1]), std::string(p[2])});
    }
    if (classes.empty() && libraries.empty()) return false;

    auto is_class = [&](const std::optional<std::string>& id) {
        return id && std::any_of(classes.begin(), classes.end(),
                                 [&](const std::string& c) { return same(c, *id); });
    };
    std::vector<std::string> doomed;
    for (const std::string& key : r.keys()) {
        auto p = parts_of(key);
        // A ProgID naming one of the classes.
        if (p.size() == 2 && same(p[1], "CLSID") && !same(p[0], "CLSID") && is_class(r.get(key)))
            doomed.emplace_back(p[0]);
        // An interface one of the type library versions describes.
        if (p.size() == 3 && same(p[0], "Interface") && same(p[2], "TypeLib")) {
            auto id = r.get(key), version = r.get(key, "Version");
            for (const Library& l : libraries)
                if (id && same(*id, l.id) && (!version || same(*version, l.version)))
                    doomed.push_back("Interface\\" + std::string(p[1]));
        }
    }
    for (const std::string& c : classes) doomed.push_back("CLSID\\" + c);
    for (const Library& l : libraries) doomed.push_back("TypeLib\\" + l.id + "\\" + l.version);
    for (const std::string& key : doomed) r.remove_tree(key);
    for (const Library& l : libraries)
        if (!r.has_keys_below("TypeLib\\" + l.id)) r.remove_tree("TypeLib\\" + l.id);
    return true;
}

void edit_registry(const std::function<void(RegistryData&)>& change) {
    fs::path path = registry_path();
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    FileLock lock(path.string() + ".lock");
    RegistryData data = read_file(path);
    change(data);
    fs::path tmp = path.string() + ".tmp." + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << data.serialize();
        out.flush();
        if (!out) throw std::runtime_error("cannot write the registry " + tmp.string());
    }
    fs::rename(tmp, path);
    forget_snapshot();  // this process sees its own change even within one clock tick
}

}  // namespace com
