// A private registry with the data-access server registered, and the helpers to reach a test
// database through an ADO-style connection string.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "platform/com/activation.h"
#include "platform/com/registry.h"
#include "tests/support/test_db.h"

namespace testing_support {

// Points TARVO_REGISTRY into a temporary folder for the life of the object and registers
// the servers given.
class PrivateRegistry {
  public:
    explicit PrivateRegistry(std::initializer_list<const char*> servers) {
        path_ = (dir_ / "registry").string();
        ::setenv("TARVO_REGISTRY", path_.c_str(), 1);
        for (const char* s : servers) EXPECT_EQ(com::register_server(s), com::S_OK) << s;
    }
    ~PrivateRegistry() { ::unsetenv("TARVO_REGISTRY"); }
    const std::string& path() const { return path_; }

  private:
    TempDir dir_;
    std::string path_;
};

// The ADO form of a test database's URL: Provider=SQLite;Data Source=... or
// Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Options=-csearch_path=...
inline std::string ado_connection_string(const std::string& url) {
    if (url.starts_with("sqlite:")) return "Provider=SQLite;Data Source=" + url.substr(7);
    static const std::regex pg(
        R"(postgresql://([^@:/]+)@([^:/]+):(\d+)/([^?]+)\?options=-csearch_path%3D(\w+))");
    std::smatch m;
    if (!std::regex_match(url, m, pg)) return url;
    return "Provider=PostgreSQL;Host=" + m[2].str() + ";Port=" + m[3].str() +
           ";Database=" + m[4].str() + ";User ID=" + m[1].str() +
           ";Options=-csearch_path=" + m[5].str();
}

}  // namespace testing_support
