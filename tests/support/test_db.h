// Test databases on both backends. SQLite tests use a file in a fresh temporary folder;
// PostgreSQL tests use a fresh schema on the server named by TARVO_TEST_PG_URL (the test
// command starts one), and are skipped with the reason printed when it is not set.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/connection.h"

namespace testing_support {

// A temporary folder removed with everything in it when the object dies.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// "sqlite" and "postgresql": the parameter values of the backend suites.
std::vector<std::string> backend_names();
// Names each case of a backend suite after its backend (Suite.Case/postgresql), so that the
// test command can run the PostgreSQL cases apart.
std::string backend_name(const testing::TestParamInfo<std::string>& info);

// The server URL for PostgreSQL tests, or empty when none is configured.
std::string postgres_url();

// A fresh, empty database of one backend. `url()` reaches the same database from any new
// connection (for PostgreSQL it selects the private schema through the URL's options).
class TestDatabase {
  public:
    explicit TestDatabase(const std::string& backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // False (with `skip_reason()`) when the backend is not available here.
    bool available() const { return available_; }
    const std::string& skip_reason() const { return skip_reason_; }
    const std::string& url() const { return url_; }
    db::Backend backend() const { return backend_; }
    std::unique_ptr<db::Connection> connect() const { return db::connect(url_); }

  private:
    db::Backend backend_;
    bool available_ = true;
    std::string skip_reason_;
    std::string url_;
    std::string pg_schema_;
    std::unique_ptr<TempDir> dir_;
};

}  // namespace testing_support

// Inside a TEST_P of a backend suite: skips the test when the backend is not available.
#define TARVO_REQUIRE_DB(database) \
    if (!(database).available()) GTEST_SKIP() << (database).skip_reason()
