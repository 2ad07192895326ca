// Text helpers. All text inside the system is UTF-8; limits and exports are measured and
// written in code page 936. glibc's GB18030 encodes every GBK character with GBK's own
// bytes, and every other character too, so it stands in for GBK everywhere.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/text/utf8.h"

namespace text {

// Raised for input that is not valid UTF-8 (or, when decoding, not valid GB18030).
class EncodingError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Number of bytes `utf8` takes in GBK: 1 for ASCII, 2 for a GBK character, and the GB18030
// length (4) for a character outside GBK. Throws EncodingError on invalid UTF-8.
std::size_t gbk_length(std::string_view utf8);

// UTF-8 -> GB18030 bytes. Throws EncodingError on invalid UTF-8.
std::string to_gbk(std::string_view utf8);

// GB18030 bytes -> UTF-8. Throws EncodingError on a byte sequence GB18030 cannot decode.
std::string from_gbk(std::string_view gbk);

// Removes blanks (character 32 only) from both ends; tabs and other white space stay.
std::string trim_blanks(std::string_view s);

// ASCII letters folded to lower case; other bytes stay. Names of tables, columns, objects
// and commands are compared this way.
std::string ascii_lower(std::string_view s);
// True when `a` and `b` are equal without regard to the case of ASCII letters.
bool equal_ignoring_case(std::string_view a, std::string_view b);

// The longest prefix of `utf8` whose GBK length is at most `max_bytes`, never splitting a
// character. Used where typed text must be cut at a byte limit.
std::string truncate_gbk(std::string_view utf8, std::size_t max_bytes);

}  // namespace text
