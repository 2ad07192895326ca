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
#include "tests/support/test_db.h"

namespace tools_test {

struct Outcome {
    int status;
    std::string out, err;
};

inline std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Programs : public ::testing::Test {
  protected:
    Outcome run(const std::string& program, const std::vector<std::string>& args,
                const std::string& input = "") {
        std::ofstream(dir / "in", std::ios::binary) << input;
        // The programs see this test's folders only: no configuration of the user's.
        std::string cmd =
            limits + "QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + quote(dir.path()) +
            " XDG_STATE_HOME=" + quote(dir / "state") +
            " XDG_CONFIG_HOME=" + quote(dir / "config") + " XDG_CONFIG_DIRS=" + quote(dir / "etc") +
            " " + environment + " " + quote(program);
        for (const auto& a : args) cmd += " " + quote(a);
        cmd += " < " + quote((dir / "in").string()) + " > " + quote((dir / "out").string()) +
               " 2> " + quote((dir / "err").string());
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(dir / "out"), read(dir / "err")};
    }
    static std::string read(const std::filesystem::path& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
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
