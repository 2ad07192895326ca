#include "platform/com/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace com {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string_view value_name(std::string_view name) {
    return name == "@" ? "" : name;
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

RegistryData read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    return RegistryData::parse(text.str());
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
// file is parsed once and then only checked with stat().
struct Snapshot {
    std::mutex mutex;
    std::string path;
    FileStamp stamp;
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
    for (const auto& [k, values] : keys_)
        if (!CaseLess()(k, key) && !CaseLess()(key, k))
            return true;
        else if (is_below(k, key))
            return true;
    return false;
}

void RegistryData::remove_tree(std::string_view key) {
    for (auto it = keys_.begin(); it != keys_.end();) {
        bool same = !CaseLess()(it->first, key) && !CaseLess()(key, it->first);
        if (same || is_below(it->first, key))
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

std::filesystem::path registry_path() {
    if (const char* p = std::getenv("TARVO_REGISTRY"); p && *p) return p;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        return std::filesystem::path(x) / "tarvo" / "registry";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config" / "tarvo" / "registry";
}

RegistryData read_registry() {
    return read_file(registry_path());
}

std::shared_ptr<const RegistryData> registry_snapshot() {
    std::string path = registry_path().string();
    // Taken before the file is read: a change after it makes the next call read again.
    FileStamp stamp = stamp_of(path);
    Snapshot& s = snapshot();
    std::lock_guard lock(s.mutex);
    if (s.data && s.path == path && s.stamp == stamp) return s.data;
    auto data =
        std::make_shared<const RegistryData>(stamp.exists ? read_file(path) : RegistryData());
    s.path = std::move(path);
    s.stamp = stamp;
    s.data = data;
    return data;
}

void edit_registry(const std::function<void(RegistryData&)>& change) {
    std::filesystem::path path = registry_path();
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    FileLock lock(path.string() + ".lock");
    RegistryData data = read_file(path);
    change(data);
    std::filesystem::path tmp = path.string() + ".tmp." + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << data.serialize();
        out.flush();
        if (!out) throw std::runtime_error("cannot write the registry " + tmp.string());
    }
    std::filesystem::rename(tmp, path);
    forget_snapshot();  // this process sees its own change even within one clock tick
}

}  // namespace com
