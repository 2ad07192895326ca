// UTF-8 checks and the forms of text that must stay valid UTF-8 whatever they echo
// (messages, JSON output).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Decodes one UTF-8 sequence at s[at]; returns its length and stores the code point, or 0
// when the sequence is malformed (overlong, surrogate, above U+10FFFF, cut short).
std::size_t decode_utf8(std::string_view s, std::size_t at, char32_t& cp);

// True when `s` is well-formed UTF-8.
bool is_valid_utf8(std::string_view s);

// The offset of the first byte of `s` that does not start a well-formed sequence, or npos.
std::size_t invalid_utf8_at(std::string_view s);

// `s` with every malformed byte replaced by U+FFFD, so it can be shown or written as UTF-8.
std::string repaired_utf8(std::string_view s);

// `s` as a JSON string literal: quotes, backslashes and control characters escaped, and
// malformed bytes replaced by U+FFFD, so the literal is always valid UTF-8.
std::string json_quote(std::string_view s);

}  // namespace text
