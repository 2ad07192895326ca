#include "platform/db/database_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

namespace db {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCompanions[] = {"", "-wal", "-shm", "-journal"};

std::mutex registry_mutex;
std::vector<std::string>& registry() {
    static std::vector<std::string> open_files;  // one entry per open connection
    return open_files;
}

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> id_of(const fs::path& p, bool follow_links = true) {
    struct stat st {};
    const int rc = follow_links ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st);
    if (rc != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

fs::path folder_of(const fs::path& p) {
    return p.has_parent_path() ? p.parent_path() : fs::path(".");
}

// Whether `path` is one of the files of the database at `database`.
bool belongs_to(const fs::path& path, const fs::path& database) {
    const std::optional<FileId> target = id_of(path);
    const std::optional<FileId> link = id_of(path, false);
    if (target || link) {
        for (const char* suffix : kCompanions) {
            const std::optional<FileId> file = id_of(database.string() + suffix);
            if (file && (file == target || file == link)) return true;
        }
        return false;
    }
    // Not there yet: a file of that name in the database's folder would become one.
    if (id_of(folder_of(path)) != id_of(folder_of(database))) return false;
    const std::string name = path.filename().string();
    return std::any_of(std::begin(kCompanions), std::end(kCompanions), [&](const char* suffix) {
        return name == database.filename().string() + suffix;
    });
}

}  // namespace

bool is_open_database_file(const fs::path& path) {
    if (path.empty()) return false;
    std::lock_guard lock(registry_mutex);
    return std::any_of(registry().begin(), registry().end(),
                       [&](const std::string& database) { return belongs_to(path, database); });
}

OpenDatabaseFile::OpenDatabaseFile(std::string path) : path_(std::move(path)) {
    std::lock_guard lock(registry_mutex);
    registry().push_back(path_);
}

OpenDatabaseFile::~OpenDatabaseFile() {
    std::lock_guard lock(registry_mutex);
    auto& files = registry();
    files.erase(std::find(files.begin(), files.end(), path_));
}

}  // namespace db
