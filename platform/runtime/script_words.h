// The words of a script line as the scripted driver's commands read them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/runtime_error.h"

namespace runtime::script {

// A whole number; ScriptError naming `what` when the word is none.
inline int to_int(const std::string& s, std::string_view what) {
    std::size_t used = 0;
    int v = 0;
    try {
        v = std::stoi(s, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != s.size())
        throw ScriptError(std::string(what) + " must be a whole number, not \"" + s + "\"");
    return v;
}

// Refuses a line with fewer than `min` or more than `max` words, showing the usage.
inline void need(const std::vector<std::string>& a, std::size_t min, std::size_t max,
                 std::string_view usage) {
    if (a.size() < min || a.size() > max) throw ScriptError("usage: " + std::string(usage));
}

}  // namespace runtime::script
