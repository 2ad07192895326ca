// The password file as libpq reads it: lines of host:port:database:user:password, ':' and
// '\' escaped with '\', the first matching line winning. The file is for its user alone;
// libpq ignores one that others may read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/db/connection.h"

namespace db {
namespace {

namespace fs = std::filesystem;

fs::path password_file() {
    if (const char* v = std::getenv("PGPASSFILE"); v && *v) return v;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".pgpass";
}

std::string escaped(const std::string& field) {
    std::string out;
    for (char c : field) {
        if (c == ':' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

[[noreturn]] void fail(const fs::path& file, const std::string& what) {
    throw Error(-1, "",
                "cannot write the password file " + file.string() + ": " + what + ": " +
                    std::strerror(errno));
}

// Writes `text` to `file` through a new file beside it, for the user alone.
void write_private(const fs::path& file, const std::string& text) {
    std::string tmp = file.string() + ".XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);  // 0600, exclusive, never a link
    if (fd < 0) fail(file, "a new file beside it");
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tmp.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(tmp.c_str());
        errno = error;
        fail(file, "writing");
    }
}

}  // namespace

void remember_password(const PasswordNeeded::Login& login, const std::string& password) {
    const fs::path file = password_file();
    const std::string key = escaped(login.host) + ":" + escaped(login.port) + ":" +
                            escaped(login.dbname) + ":" + escaped(login.user) + ":";
    std::ostringstream text;
    text << key << escaped(password) << '\n';
    std::ifstream old(file);
    for (std::string line; std::getline(old, line);)
        if (!line.starts_with(key)) text << line << '\n';  // the line it replaces goes
    write_private(file, text.str());
}

}  // namespace db
