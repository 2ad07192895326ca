#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace com {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(sizeof(std::uint32_t) + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, sizeof prefix);
    auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof prefix);
    if (text)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    UINT n = 0;
    while (text[n]) ++n;
    return SysAllocStringLen(text, n);
}

void SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

UINT SysStringByteLen(BSTR text) {
    if (!text) return 0;
    std::uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char*>(text) - sizeof prefix, sizeof prefix);
    return prefix;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

std::u16string_view bstr_view(BSTR text) {
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

BSTR make_bstr(std::u16string_view text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one UTF-8 sequence at s[i], advancing i; rejects overlong forms and surrogates.
char32_t decode_utf8(std::string_view s, std::size_t& i) {
    auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra;
    char32_t cp, min;
    if ((lead & 0xE0) == 0xC0)
        extra = 1, cp = lead & 0x1F, min = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2, cp = lead & 0x0F, min = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        extra = 3, cp = lead & 0x07, min = 0x10000;
    else
        return replacement;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return replacement;
        auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return replacement;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return replacement;
    return cp;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

// Writes the UTF-16 form of `utf8` to `out`, which has room for utf8.size() units (no
// sequence gives more units than it has bytes); returns the number of units written.
std::size_t encode_utf16(std::string_view utf8, char16_t* out) {
    char16_t* start = out;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = decode_utf8(utf8, i);
        if (cp < 0x10000) {
            *out++ = static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
    }
    return static_cast<std::size_t>(out - start);
}

std::u16string to_utf16(std::string_view utf8) {
    std::u16string out(utf8.size(), u'\0');
    out.resize(encode_utf16(utf8, out.data()));
    return out;
}

// Straight into the string's own block: result sets turn many texts into BSTRs.
BSTR make_bstr(std::string_view utf8) {
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(utf8.size()));
    if (!text) return nullptr;
    std::size_t units = encode_utf16(utf8, text);
    text[units] = 0;
    auto prefix = static_cast<std::uint32_t>(units * sizeof(OLECHAR));
    std::memcpy(reinterpret_cast<char*>(text) - sizeof prefix, &prefix, sizeof prefix);
    return text;
}

std::string to_utf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = replacement;
        }
        append_utf8(out, c);
    }
    return out;
}

}  // namespace com
