#include "tests/support/password_role.h"

#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace testing_support {

bool PasswordRole::require_password(const std::string& role, std::string& why) {
    auto admin = db::connect(postgres_url());
    const std::string hba = admin->query_all("SHOW hba_file").rows.at(0).at(0).to_string();
    // Test programs run side by side: one changes the file at a time.
    const int fd = ::open(hba.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
        if (fd >= 0) ::close(fd);
        why = "the test server's " + hba + " cannot be changed here (run the tests as root)";
        return false;
    }
    std::ostringstream old;
    old << std::ifstream(hba).rdbuf();
    const std::string line = "host all " + role + " 127.0.0.1/32 scram-sha-256\n";
    std::ofstream(hba, std::ios::trunc) << line << old.str();  // the first match counts
    ::flock(fd, LOCK_UN);
    ::close(fd);
    admin->query_all("SELECT pg_reload_conf()");
    return true;
}

PasswordRole::PasswordRole(const TestDatabase& database, const std::string& prefix,
                           const std::string& password)
    : password_(password) {
    if (!database.available() || database.backend() != db::Backend::postgresql) {
        available_ = false;
        skip_reason_ = database.available() ? "a PostgreSQL role" : database.skip_reason();
        return;
    }
    static std::atomic<int> counter{0};
    name_ = prefix + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    auto admin = db::connect(postgres_url());
    admin->execute("CREATE ROLE " + name_ + " LOGIN");
    admin->set_role_password(name_, password_);
    if (!require_password(name_, skip_reason_)) {
        available_ = false;
        return;
    }
    url_ = database.url();
    const auto at = url_.find('@');
    url_ = "postgresql://" + name_ + url_.substr(at);
}

PasswordRole::~PasswordRole() {
    if (name_.empty()) return;
    try {
        auto admin = db::connect(postgres_url());
        admin->execute("DROP OWNED BY " + name_);
        admin->execute("DROP ROLE " + name_);
    } catch (const std::exception&) {
        // A role left on the throw-away server goes with it.
    }
}

}  // namespace testing_support
