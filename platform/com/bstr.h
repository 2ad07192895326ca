// BSTR: UTF-16 text whose byte length is stored in the four bytes before the first
// character, followed by a terminating zero. A null BSTR is the empty text.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/com/types.h"

namespace com {

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// Conversions between UTF-8 and UTF-16; malformed input becomes U+FFFD.
std::u16string to_utf16(std::string_view utf8);
std::string to_utf8(std::u16string_view utf16);

BSTR make_bstr(std::u16string_view text);
BSTR make_bstr(std::string_view utf8);
inline BSTR make_bstr(const char* utf8) {
    return make_bstr(std::string_view(utf8));
}
std::u16string_view bstr_view(BSTR text);
inline std::string bstr_utf8(BSTR text) {
    return to_utf8(bstr_view(text));
}

// Owns one BSTR and frees it when it dies.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8) : s_(make_bstr(utf8)) {}
    explicit Bstr(std::u16string_view text) : s_(make_bstr(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        std::swap(s_, o.s_);
        return *this;
    }
    ~Bstr() { SysFreeString(s_); }

    BSTR get() const { return s_; }
    // For out-parameters: frees the old text and hands out the slot.
    BSTR* out() {
        SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    BSTR release() { return std::exchange(s_, nullptr); }
    std::u16string_view view() const { return bstr_view(s_); }
    std::string utf8() const { return bstr_utf8(s_); }

  private:
    BSTR s_ = nullptr;
};

}  // namespace com
