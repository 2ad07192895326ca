// Programs run from a test as a user runs them, from a shell, with their standard input,
// output and error kept in files of a scratch folder.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct Outcome {
    int status;
    std::string out, err;
};

inline std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// Runs `command` with /bin/sh, `input` on its standard input; `io` holds the files.
inline Outcome shell(const std::filesystem::path& io, const std::string& command,
                     const std::string& input = "") {
    std::ofstream(io / "in", std::ios::binary) << input;
    const std::string cmd = command + " < " + quote((io / "in").string()) + " > " +
                            quote((io / "out").string()) + " 2> " + quote((io / "err").string());
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(io / "out"), read(io / "err")};
}

// Files under `root` whose bytes (or, for links, targets) hold `text`: a path of the build
// machine that an installed tree must not carry.
inline std::vector<std::string> files_naming(const std::filesystem::path& root,
                                             const std::string& text) {
    std::vector<std::string> naming;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const bool hit =
            entry.is_symlink()
                ? std::filesystem::read_symlink(entry.path()).string().find(text) !=
                      std::string::npos
                : entry.is_regular_file() && read(entry.path()).find(text) != std::string::npos;
        if (hit) naming.push_back(entry.path().string());
    }
    return naming;
}

}  // namespace testing_support
