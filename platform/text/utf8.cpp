#include "platform/text/utf8.h"

#include <cstdio>

namespace text {

std::size_t decode_utf8(std::string_view s, std::size_t at, char32_t& cp) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(at);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char b = byte(at + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

std::size_t invalid_utf8_at(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        std::size_t n = decode_utf8(s, i, cp);
        if (n == 0) return i;
        i += n;
    }
    return std::string_view::npos;
}

bool is_valid_utf8(std::string_view s) {
    return invalid_utf8_at(s) == std::string_view::npos;
}

std::string repaired_utf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        std::size_t n = decode_utf8(s, i, cp);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string json_quote(std::string_view s) {
    std::string out = "\"";
    out.reserve(s.size() + 2);
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        const std::size_t n = decode_utf8(s, i, cp);
        if (n == 0) {  // a malformed byte
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (n > 1) {
            out.append(s.substr(i, n));
        } else if (cp == '"' || cp == '\\') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp < 0x20 || cp == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
            out += buf;
        } else {
            out += static_cast<char>(cp);
        }
        i += n;
    }
    return out + "\"";
}

}  // namespace text
