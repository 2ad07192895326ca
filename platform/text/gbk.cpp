#include "platform/text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace text {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw EncodingError(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; returns false when it holds a sequence the source
    // encoding cannot decode (or the target cannot represent).
    bool convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.clear();
        out.resize(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t src_left = in.size();
        std::size_t done = 0;
        while (true) {
            char* dst = out.data() + done;
            std::size_t dst_left = out.size() - done;
            std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
            done = out.size() - dst_left;
            if (rc != static_cast<std::size_t>(-1)) {
                // Flush any shift state.
                dst = out.data() + done;
                dst_left = out.size() - done;
                iconv(cd_, nullptr, nullptr, &dst, &dst_left);
                done = out.size() - dst_left;
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            return false;
        }
        out.resize(done);
        return true;
    }

  private:
    iconv_t cd_;
};

// One converter per direction and thread: iconv descriptors carry state and are costly to
// open, and the helpers are called once per typed character or exported cell.
Converter& utf8_to_gb() {
    thread_local Converter c("GB18030", "UTF-8");
    return c;
}
Converter& gb_to_utf8() {
    thread_local Converter c("UTF-8", "GB18030");
    return c;
}

// GB18030 length of one character: ASCII is one byte, characters above U+FFFF are always
// four, and for the rest iconv tells (two for GBK's characters, four otherwise).
std::size_t gb18030_length(std::string_view utf8_char, char32_t cp) {
    if (cp < 0x80) return 1;
    if (cp > 0xFFFF) return 4;
    std::string out;
    if (!utf8_to_gb().convert(utf8_char, out)) return 4;
    return out.size();
}

void require_utf8(std::string_view s) {
    if (!is_valid_utf8(s)) throw EncodingError("text is not valid UTF-8");
}

}  // namespace

std::size_t gbk_length(std::string_view utf8) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        std::size_t n = decode_utf8(utf8, i, cp);
        if (n == 0) throw EncodingError("text is not valid UTF-8");
        total += gb18030_length(utf8.substr(i, n), cp);
        i += n;
    }
    return total;
}

std::string to_gbk(std::string_view utf8) {
    require_utf8(utf8);
    std::string out;
    if (!utf8_to_gb().convert(utf8, out)) throw EncodingError("text cannot be encoded in GB18030");
    return out;
}

std::string from_gbk(std::string_view gbk) {
    std::string out;
    if (!gb_to_utf8().convert(gbk, out)) throw EncodingError("bytes are not valid GB18030 text");
    return out;
}

std::string trim_blanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return std::string(s.substr(b, e - b));
}

std::string truncate_gbk(std::string_view utf8, std::size_t max_bytes) {
    std::size_t total = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp;
        std::size_t n = decode_utf8(utf8, i, cp);
        if (n == 0) throw EncodingError("text is not valid UTF-8");
        std::size_t w = gb18030_length(utf8.substr(i, n), cp);
        if (total + w > max_bytes) break;
        total += w;
        i += n;
    }
    return std::string(utf8.substr(0, i));
}

std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace text
