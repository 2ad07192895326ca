// The basic types of the object model: result codes, identifiers, integer widths.
// Linux has no system headers for these, so they are defined here with the layout and
// values that automation clients expect.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace com {

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using UINT = std::uint32_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using BOOL = std::int32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using DATE = double;  // days since 1899-12-30, the fraction is the time of day
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using BSTR = OLECHAR*;  // length-prefixed UTF-16, see bstr.h

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr HRESULT hr(std::uint32_t v) {
    return static_cast<HRESULT>(v);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hr(0x80004001);
constexpr HRESULT E_NOINTERFACE = hr(0x80004002);
constexpr HRESULT E_POINTER = hr(0x80004003);
constexpr HRESULT E_FAIL = hr(0x80004005);
constexpr HRESULT E_UNEXPECTED = hr(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = hr(0x8007000E);
constexpr HRESULT E_INVALIDARG = hr(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = hr(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hr(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = hr(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = hr(0x800401F3);
constexpr HRESULT CO_E_DLLNOTFOUND = hr(0x800401F8);
constexpr HRESULT CO_E_ERRORINDLL = hr(0x800401F9);
constexpr HRESULT SELFREG_E_CLASS = hr(0x80040201);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hr(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hr(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = hr(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = hr(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = hr(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = hr(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = hr(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = hr(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = hr(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = hr(0x8002000B);
constexpr HRESULT DISP_E_ARRAYISLOCKED = hr(0x8002000D);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hr(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = hr(0x8002000F);

constexpr bool SUCCEEDED(HRESULT h) {
    return h >= 0;
}
constexpr bool FAILED(HRESULT h) {
    return h < 0;
}

// A 128-bit identifier of a class, an interface or a type library.
struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};

    constexpr GUID() = default;
    // Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (braces optional); a malformed text
    // gives the null GUID.
    constexpr explicit GUID(std::string_view text) {
        if (!parse(text, *this)) *this = GUID();
    }

    static constexpr bool parse(std::string_view t, GUID& out) {
        if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
        if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-')
            return false;
        std::uint8_t bytes[16] = {};
        int n = 0;  // hex digits read
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (i == 8 || i == 13 || i == 18 || i == 23) continue;
            int digit = hex(t[i]);
            if (digit < 0) return false;
            bytes[n / 2] = static_cast<std::uint8_t>(bytes[n / 2] * 16 + digit);
            ++n;
        }
        out.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                    (std::uint32_t{bytes[2]} << 8) | bytes[3];
        out.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
        out.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
        for (int i = 0; i < 8; ++i) out.Data4[i] = bytes[8 + i];
        return true;
    }

    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, the registry's form.
    std::string to_string() const;

    constexpr bool operator==(const GUID& o) const {
        if (Data1 != o.Data1 || Data2 != o.Data2 || Data3 != o.Data3) return false;
        for (int i = 0; i < 8; ++i)
            if (Data4[i] != o.Data4[i]) return false;
        return true;
    }

  private:
    static constexpr int hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr GUID GUID_NULL{};

}  // namespace com
