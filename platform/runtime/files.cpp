#include "platform/runtime/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace runtime {

namespace fs = std::filesystem;

fs::path Files::default_drive_c() {
    if (const char* v = std::getenv("TARVO_DRIVE_C"); v && *v) return fs::path(v);
    if (const char* v = std::getenv("XDG_DATA_HOME"); v && *v)
        return fs::path(v) / "tarvo" / "drive_c";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "tarvo" / "drive_c";
}

Files::Files(fs::path drive_c) : drive_c_(std::move(drive_c)) {}

Files::~Files() = default;

namespace {

bool is_drive_path(std::string_view p) {
    return p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':';
}

// Writes all of `bytes` to `fd` and forces them to disk; false on the first failure.
bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::fsync(fd) == 0;
}

// The file a write to `target` lands in: the end of a symbolic link, else `target`.
fs::path write_target(const fs::path& target) {
    std::error_code ec;
    if (!fs::is_symlink(target, ec)) return target;
    fs::path real = fs::canonical(target, ec);
    return ec ? target : real;
}

}  // namespace

bool replace_file(const fs::path& target, std::string_view bytes) {
    const fs::path real = write_target(target);
    // A file the user may not write stays as it is, as it did when written in place.
    if (::access(real.c_str(), F_OK) == 0 && ::access(real.c_str(), W_OK) != 0) return false;
    fs::path tmp = real;
    tmp += ".tarvo-" + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat old {};
    if (::stat(real.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);  // best effort: the new file looks like the old
    bool ok = write_all(fd, bytes);
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(tmp.c_str(), real.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

fs::path Files::map(std::string_view path) const {
    std::string p(path);
    const bool drive = is_drive_path(p);
    if (!drive && !p.empty() && p[0] == '/') return fs::path(p);  // POSIX path as it is
    for (char& c : p)
        if (c == '\\') c = '/';
    if (!drive) return fs::path(p);
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(p[0])));
    fs::path root =
        letter == 'c' ? drive_c_ : drive_c_.parent_path() / (std::string("drive_") + letter);
    // A drive's root always exists, as it does on Windows: "c:\\x.txt" must be writable on
    // a machine that never wrote to the drive before.
    std::error_code ec;
    fs::create_directories(root, ec);
    // As on Windows, ".." stops at the drive's root: "c:\\..\\x" is "c:\\x", never a file
    // outside the drive's folder.
    fs::path inside;
    for (const fs::path& part : fs::path(p.substr(2))) {
        if (part == "..") {
            inside = inside.parent_path();
        } else if (!part.empty() && part != "." && part != "/") {
            inside /= part;
        }
    }
    return inside.empty() ? root : root / inside;
}

std::string Files::local(std::string_view path) const {
    const std::string p(path);
    return is_drive_path(p) ? map(p).string() : p;
}

std::int64_t Files::length(std::string_view path) const {
    std::error_code ec;
    const fs::path p = map(path);
    if (!fs::is_regular_file(p, ec)) return -1;
    auto size = fs::file_size(p, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

int Files::open_read(std::string_view path) {
    const fs::path p = map(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return -1;
    auto in = std::make_unique<std::ifstream>(p, std::ios::binary);
    if (!*in) return -1;
    const int handle = next_handle_++;
    open_.emplace(handle, std::move(in));
    return handle;
}

int Files::read(int handle, db::Bytes& block) {
    block.clear();
    auto it = open_.find(handle);
    if (it == open_.end()) return -1;
    std::ifstream& in = *it->second;
    if (in.bad()) return -1;
    block.resize(kMaxRead);
    in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(kMaxRead));
    const auto got = in.gcount();
    block.resize(static_cast<std::size_t>(got));
    if (in.bad()) return -1;
    in.clear();  // a short read at the end is not a failure of the stream
    return static_cast<int>(got);
}

int Files::seek(int handle, std::int64_t position) {
    auto it = open_.find(handle);
    if (it == open_.end() || position < 0) return -1;
    it->second->clear();
    it->second->seekg(position, std::ios::beg);
    return *it->second ? 1 : -1;
}

int Files::close(int handle) {
    return open_.erase(handle) ? 1 : -1;
}

int Files::remove(std::string_view path) {
    std::error_code ec;
    const fs::path p = map(path);
    if (!fs::exists(fs::symlink_status(p, ec))) return 1;
    if (fs::is_directory(p, ec)) return -1;  // a folder is not a file to delete
    fs::remove(p, ec);
    return ec ? -1 : 1;
}

int Files::write_bytes(std::string_view path, const db::Bytes& bytes) {
    const fs::path p = map(path);
    std::error_code ec;
    if (is_drive_path(path)) fs::create_directories(p.parent_path(), ec);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return replace_file(p, view) ? 1 : -1;
}

}  // namespace runtime
