#include "platform/runtime/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <random>
#include <string>

#include "platform/db/database_files.h"

namespace runtime {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarker = ".tarvo-";
constexpr const char* kSuffix = ".tmp";

std::string random_word() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device source;  // the kernel's random numbers: names nobody can predict
    std::string word(10, ' ');
    for (char& c : word) c = kLetters[source() % (sizeof kLetters - 1)];
    return word;
}

// Writes all of `bytes` to `fd`; false on the first failure.
bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A temporary file beside a target, recorded in the user's state folder while it exists so
// that it is removed after a crash. The record is best effort: without it the file is
// still written, and a leftover in a drive folder is found by its name.
class TempFile {
  public:
    TempFile(const fs::path& target, mode_t mode) {
        // The target's name, shortened to leave room for the rest within a name's limit.
        const std::string name = target.filename().string().substr(0, 160);
        const std::string prefix = name + kMarker + std::to_string(::getpid()) + "-";
        std::error_code ec;
        const fs::path folder = fs::absolute(target, ec).parent_path();
        for (int attempt = 0; attempt < 20 && fd_ < 0; ++attempt) {
            const std::string word = random_word();
            path_ = folder / (prefix + word + kSuffix);
            record(word);
            // Exclusive: an existing file or link of that name is never opened.
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            const int error = errno;
            if (fd_ < 0) forget();
            if (fd_ < 0 && error != EEXIST) break;
        }
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
        forget();
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    // Closes the file and renames it over `target`; false when either failed.
    bool rename_over(const fs::path& target) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 || ::rename(path_.c_str(), target.c_str()) != 0) return false;
        kept_ = true;
        return true;
    }

  private:
    void record(const std::string& word) {
        const fs::path folder = unfinished_files_folder();
        record_ = folder / (std::to_string(::getpid()) + "-" + word);
        if (::symlink(path_.c_str(), record_.c_str()) == 0) return;
        if (errno == ENOENT && create_private_folder(folder) &&
            ::symlink(path_.c_str(), record_.c_str()) == 0)
            return;
        record_.clear();
    }
    void forget() {
        if (!record_.empty()) ::unlink(record_.c_str());
        record_.clear();
    }

    fs::path path_;
    fs::path record_;
    int fd_ = -1;
    bool kept_ = false;
};

// The process that writes a temporary file of this name ("NAME.tarvo-PID-WORD.tmp", or an
// earlier version's "NAME.tarvo-PID.tmp"); 0 for any other name.
pid_t writer_of(std::string_view name) {
    const std::string_view marker = kMarker, suffix = kSuffix;
    if (!name.ends_with(suffix)) return 0;
    name.remove_suffix(suffix.size());
    const auto at = name.rfind(marker);
    if (at == std::string_view::npos) return 0;
    std::string_view digits = name.substr(at + marker.size());  // "PID-WORD" or "PID"
    digits = digits.substr(0, digits.find('-'));
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    return ec == std::errc() && end == digits.data() + digits.size() ? pid : 0;
}

bool process_runs(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Removes `file` when it is a temporary file of this user's that a dead process left.
bool remove_if_leftover(const fs::path& file) {
    const pid_t pid = writer_of(file.filename().string());
    if (pid <= 0 || pid == ::getpid() || process_runs(pid)) return false;
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return ::unlink(file.c_str()) == 0;
}

}  // namespace

fs::path unfinished_files_folder() {
    if (const char* v = std::getenv("XDG_STATE_HOME"); v && *v)
        return fs::path(v) / "tarvo" / "unfinished";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "state" / "tarvo" / "unfinished";
}

bool create_private_folder(const fs::path& folder) {
    std::error_code ec;
    if (folder.has_parent_path()) fs::create_directories(folder.parent_path(), ec);
    ::mkdir(folder.c_str(), S_IRWXU);
    return fs::is_directory(folder, ec);
}

namespace {

// Replaces `target` with what `write` puts into the descriptor of a new file beside it,
// forced to disk before the rename.
bool replace_through(const fs::path& target, FileAccess access,
                     const std::function<bool(int fd)>& write) {
    if (target.empty() || db::is_open_database_file(target)) return false;
    struct stat old {};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    const bool regular = exists && S_ISREG(old.st_mode);
    // Only a file or a link is replaced: never a folder, a device or a pipe.
    if (exists && !regular && !S_ISLNK(old.st_mode)) return false;
    // A file the user may not write stays as it is, as it would when written in place.
    if (regular && ::access(target.c_str(), W_OK) != 0) return false;
    const bool private_file = access == FileAccess::private_;
    TempFile tmp(target, private_file ? S_IRUSR | S_IWUSR : 0666);
    if (tmp.fd() < 0) return false;
    if (regular && !private_file)
        ::fchmod(tmp.fd(), old.st_mode & 07777);  // best effort: the new file looks like the old
    return write(tmp.fd()) && ::fsync(tmp.fd()) == 0 && tmp.rename_over(target);
}

}  // namespace

bool replace_file(const fs::path& target, std::string_view bytes, FileAccess access) {
    return replace_through(target, access, [bytes](int fd) { return write_all(fd, bytes); });
}

bool replace_file_with(const fs::path& target, const std::function<bool(const fs::path&)>& write,
                       FileAccess access) {
    // The descriptor's own name: it names this file whatever happens to the folder's entries
    // meanwhile, so a link planted under the temporary name is never followed.
    return replace_through(target, access, [&write](int fd) {
        return write(fs::path("/proc/self/fd") / std::to_string(fd));
    });
}

int remove_leftover_files(const std::vector<fs::path>& folders) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(unfinished_files_folder(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t pid = static_cast<pid_t>(std::atol(name.c_str()));
        if (pid <= 0 || pid == ::getpid() || process_runs(pid)) continue;
        std::error_code link_ec;
        const fs::path file = fs::read_symlink(it->path(), link_ec);
        if (!link_ec && remove_if_leftover(file)) ++removed;
        ::unlink(it->path().c_str());
    }
    for (const fs::path& folder : folders) {
        std::error_code dir_ec;
        for (fs::directory_iterator it(folder, dir_ec), end; !dir_ec && it != end;
             it.increment(dir_ec))
            if (remove_if_leftover(it->path())) ++removed;
    }
    return removed;
}

void prepare_file_writing(const std::vector<fs::path>& folders) {
    std::signal(SIGXFSZ, SIG_IGN);
    remove_leftover_files(folders);
}

}  // namespace runtime
