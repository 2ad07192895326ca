// The module's programs run as a user runs them, from a shell, with their standard input,
// output and error kept in files of the test's own folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "schema/schema.h"
#include "tests/support/shell.h"
#include "tests/support/test_db.h"

namespace tools_test {

using testing_support::Outcome;
using testing_support::quote;

class Programs : public ::testing::Test {
  protected:
    Outcome run(const std::string& program, const std::vector<std::string>& args,
                const std::string& input = "") {
        // The programs see this test's folders only: no configuration of the user's.
        std::string cmd =
            limits + "QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + quote(dir.path()) +
            " XDG_STATE_HOME=" + quote(dir / "state") +
            " XDG_CONFIG_HOME=" + quote(dir / "config") + " XDG_CONFIG_DIRS=" + quote(dir / "etc") +
            " " + environment + " " + quote(program);
        for (const auto& a : args) cmd += " " + quote(a);
        return testing_support::shell(dir.path(), cmd, input);
    }
    static std::string read(const std::filesystem::path& p) { return testing_support::read(p); }
    std::string database() {
        const std::string path = (dir / "tools.db").string();
        auto conn = db::connect("sqlite:" + path);
        schema::create(*conn);
        return "sqlite:" + path;
    }
    std::string script(const std::string& text) {
        std::ofstream(dir / "s.script") << text;
        return (dir / "s.script").string();
    }
    testing_support::TempDir dir;
    std::string limits;       // shell commands run before the program ("ulimit -f 128; ")
    std::string environment;  // variables for the program ("PGPASSWORD=x")
};

}  // namespace tools_test
