#include "tests/support/test_db.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tarvo-test.XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> backend_names() {
    return {"sqlite", "postgresql"};
}

std::string backend_name(const testing::TestParamInfo<std::string>& info) {
    return info.param;
}

std::string postgres_url() {
    const char* url = std::getenv("TARVO_TEST_PG_URL");
    return url ? url : "";
}

TestDatabase::TestDatabase(const std::string& backend) {
    if (backend == "sqlite") {
        backend_ = db::Backend::sqlite;
        dir_ = std::make_unique<TempDir>();
        url_ = "sqlite:" + (dir_->path() / "test.db").string();
        return;
    }
    backend_ = db::Backend::postgresql;
    std::string base = postgres_url();
    if (base.empty()) {
        available_ = false;
        skip_reason_ =
            "PostgreSQL tests skipped: TARVO_TEST_PG_URL is not set (make test starts a server)";
        return;
    }
    static std::atomic<int> counter{0};
    pg_schema_ = "t_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    auto admin = db::connect(base);
    admin->execute("DROP SCHEMA IF EXISTS " + pg_schema_ + " CASCADE");
    admin->execute("CREATE SCHEMA " + pg_schema_);
    url_ = base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" +
           pg_schema_;
}

TestDatabase::~TestDatabase() {
    if (pg_schema_.empty()) return;
    try {
        db::connect(postgres_url())->execute("DROP SCHEMA IF EXISTS " + pg_schema_ + " CASCADE");
    } catch (const std::exception&) {
        // A server that went away takes the schema with it.
    }
}

}  // namespace testing_support
