#include "platform/runtime/files.h"

#include <cctype>
#include <cstdlib>
#include <system_error>

#include "platform/db/database_files.h"
#include "platform/runtime/replace_file.h"

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

}  // namespace

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
    // a machine that never wrote to the drive before. It holds the user's files: private.
    create_private_folder(root);
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

bool Files::is_database_file(std::string_view path) const {
    return db::is_open_database_file(map(path));
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
    if (!fs::is_regular_file(p, ec) || db::is_open_database_file(p)) return -1;
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
    if (db::is_open_database_file(p)) return -1;
    fs::remove(p, ec);
    return ec ? -1 : 1;
}

int Files::write_bytes(std::string_view path, const db::Bytes& bytes) {
    const fs::path p = map(path);
    std::error_code ec;
    if (is_drive_path(path)) fs::create_directories(p.parent_path(), ec);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return replace_file(p, view, FileAccess::private_) ? 1 : -1;
}

}  // namespace runtime
