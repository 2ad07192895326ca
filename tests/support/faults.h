// Real faults for tests: a disk that fills (a file-size limit on this process) and a second
// user holding the lock of a SQLite file.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/connection.h"

namespace testing_support {

// While alive, no file of this process grows beyond `bytes`: a write past the limit fails
// with EFBIG, as a write to a full disk fails (SIGXFSZ is ignored so the process lives on).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    void (*old_handler_)(int) = SIG_DFL;
};

// Another connection to a SQLite file holding its write lock in an open transaction. The
// file is in WAL mode, so readers still see what was committed (a connection cannot take
// the file in exclusive locking mode while others have it open). The transaction is
// rolled back on release().
class SqliteLock {
  public:
    explicit SqliteLock(const std::string& url) : conn_(db::connect(url)) {
        conn_->execute_script("BEGIN EXCLUSIVE");
    }
    ~SqliteLock() { release(); }
    SqliteLock(const SqliteLock&) = delete;
    SqliteLock& operator=(const SqliteLock&) = delete;

    // The locking user's own connection (its writes stay uncommitted).
    db::Connection& connection() { return *conn_; }
    void release() {
        if (!conn_) return;
        conn_->rollback();
        conn_.reset();
    }

  private:
    std::unique_ptr<db::Connection> conn_;
};

// The bytes of address space this process uses now (VmSize), for a limit just above it.
inline rlim_t address_space_in_use() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    return 0;
}

// The names of the files in `dir`, for checking that nothing was left behind.
inline std::vector<std::string> file_names(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// `url` of a SQLite file with a short wait for its lock, so a locked file fails fast.
inline std::string impatient(const std::string& url) {
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "busy_timeout=50";
}

}  // namespace testing_support
