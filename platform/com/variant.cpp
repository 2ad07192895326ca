#include "platform/com/variant.h"

#include "platform/calendar/calendar.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/com/bstr.h"
#include "platform/com/interfaces.h"
#include "platform/com/safearray.h"

namespace com {

HRESULT VariantClear(VARIANT* v) {
    if (!v) return E_POINTER;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY)
            SafeArrayDestroy(v->parray);
        else if (v->vt == VT_BSTR)
            SysFreeString(v->bstrVal);
        else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
            v->punkVal->Release();
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_POINTER;
    if (dest == src) return S_OK;
    VARIANT out = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            out.parray = nullptr;
            if (src->parray) {
                HRESULT h = SafeArrayCopy(src->parray, &out.parray);
                if (FAILED(h)) return h;
            }
        } else if (src->vt == VT_BSTR && src->bstrVal) {
            // A copy that could not be made is no empty text.
            out.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
            if (!out.bstrVal) return E_OUTOFMEMORY;
        } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
            src->punkVal->AddRef();
        }
    }
    VariantClear(dest);
    *dest = out;
    return S_OK;
}

namespace {

// A view of the value a by-reference variant points to (nothing is owned or copied).
HRESULT dereference(const VARIANT& src, VARIANT& view) {
    view = src;
    if (!(src.vt & VT_BYREF)) return S_OK;
    if (!src.byref) return E_POINTER;
    VARTYPE base = src.vt & ~VT_BYREF;
    if (base == VT_VARIANT) {
        if (src.pvarVal->vt == (VT_BYREF | VT_VARIANT)) return DISP_E_BADVARTYPE;
        return dereference(*src.pvarVal, view);
    }
    view.vt = base;
    if (base & VT_ARRAY) {
        view.parray = *src.pparray;
        return S_OK;
    }
    switch (base) {
        case VT_I2:
            view.iVal = *src.piVal;
            break;
        case VT_I4:
            view.lVal = *src.plVal;
            break;
        case VT_I8:
            view.llVal = *src.pllVal;
            break;
        case VT_UI1:
            view.bVal = *static_cast<BYTE*>(src.byref);
            break;
        case VT_R4:
            view.fltVal = *static_cast<float*>(src.byref);
            break;
        case VT_R8:
            view.dblVal = *src.pdblVal;
            break;
        case VT_DATE:
            view.date = *src.pdate;
            break;
        case VT_BOOL:
            view.boolVal = *src.pboolVal;
            break;
        case VT_ERROR:
            view.scode = *src.pscode;
            break;
        case VT_BSTR:
            view.bstrVal = *src.pbstrVal;
            break;
        case VT_DISPATCH:
            view.pdispVal = *src.ppdispVal;
            break;
        case VT_UNKNOWN:
            view.punkVal = *src.ppunkVal;
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

bool is_blank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// Reads text as a number: blanks, sign, digits with an optional fraction, optional
// exponent, blanks. `integral` tells whether it had neither fraction nor exponent.
bool parse_number(std::u16string_view t, double& out, bool& integral) {
    std::size_t i = 0, n = t.size();
    while (i < n && is_blank(t[i])) ++i;
    std::string ascii;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) ascii += static_cast<char>(t[i++]);
    std::size_t digits = 0;
    while (i < n && t[i] >= u'0' && t[i] <= u'9') ascii += static_cast<char>(t[i++]), ++digits;
    integral = true;
    if (i < n && t[i] == u'.') {
        integral = false;
        ascii += t[i++];
        while (i < n && t[i] >= u'0' && t[i] <= u'9') ascii += static_cast<char>(t[i++]), ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        integral = false;
        ascii += 'e', ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) ascii += static_cast<char>(t[i++]);
        std::size_t exp_digits = 0;
        while (i < n && t[i] >= u'0' && t[i] <= u'9')
            ascii += static_cast<char>(t[i++]), ++exp_digits;
        if (exp_digits == 0) return false;
    }
    while (i < n && is_blank(t[i])) ++i;
    if (i != n) return false;
    out = std::strtod(ascii.c_str(), nullptr);
    return std::isfinite(out);
}

bool equals_ignoring_case(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x += 32;
        if (y >= u'A' && y <= u'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

bool parse_date_text(std::u16string_view t, DATE& out);

// Any numeric kind (Booleans and dates included) as a double.
HRESULT to_double(const VARIANT& s, double& out) {
    switch (s.vt) {
        case VT_EMPTY:
            out = 0;
            return S_OK;
        case VT_I2:
            out = s.iVal;
            return S_OK;
        case VT_I4:
            out = s.lVal;
            return S_OK;
        case VT_I8:
            out = static_cast<double>(s.llVal);
            return S_OK;
        case VT_UI1:
            out = s.bVal;
            return S_OK;
        case VT_R4:
            out = s.fltVal;
            return S_OK;
        case VT_R8:
            out = s.dblVal;
            return S_OK;
        case VT_DATE:
            out = s.date;
            return S_OK;
        case VT_BOOL:
            out = s.boolVal ? -1 : 0;
            return S_OK;
        case VT_BSTR: {
            bool integral;
            if (parse_number(bstr_view(s.bstrVal), out, integral)) return S_OK;
            DATE d;
            if (parse_date_text(bstr_view(s.bstrVal), d)) return out = d, S_OK;
            return DISP_E_TYPEMISMATCH;
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

// Integers with the range of the target; fractions round half to even, as automation does.
HRESULT to_integer(const VARIANT& s, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
    std::int64_t exact;
    switch (s.vt) {
        case VT_I2:
            exact = s.iVal;
            break;
        case VT_I4:
            exact = s.lVal;
            break;
        case VT_I8:
            exact = s.llVal;
            break;
        case VT_UI1:
            exact = s.bVal;
            break;
        case VT_BOOL:
            exact = s.boolVal ? -1 : 0;
            break;
        case VT_EMPTY:
            exact = 0;
            break;
        default: {
            double d;
            HRESULT h = to_double(s, d);
            if (FAILED(h)) return h;
            d = std::nearbyint(d);
            if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)))
                return DISP_E_OVERFLOW;
            out = static_cast<std::int64_t>(d);
            return S_OK;
        }
    }
    if (exact < lo || exact > hi) return DISP_E_OVERFLOW;
    out = exact;
    return S_OK;
}

std::string format_double(double d, int digits) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.*G", digits, d);
    return buf;
}

std::string format_date(DATE d) {
    DateParts p;
    if (!split_date(d, p)) return format_double(d, 15);
    char buf[40];
    if (p.hour == 0 && p.minute == 0 && p.second == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                      p.hour, p.minute, p.second);
    return buf;
}

HRESULT to_text(const VARIANT& s, WORD flags, std::u16string& out) {
    switch (s.vt) {
        case VT_EMPTY:
        case VT_NULL:
            out.clear();
            return S_OK;
        case VT_BSTR:
            out = bstr_view(s.bstrVal);
            return S_OK;
        case VT_I2:
            out = to_utf16(std::to_string(s.iVal));
            return S_OK;
        case VT_I4:
            out = to_utf16(std::to_string(s.lVal));
            return S_OK;
        case VT_I8:
            out = to_utf16(std::to_string(s.llVal));
            return S_OK;
        case VT_UI1:
            out = to_utf16(std::to_string(s.bVal));
            return S_OK;
        case VT_R4:
            out = to_utf16(format_double(s.fltVal, 7));
            return S_OK;
        case VT_R8:
            out = to_utf16(format_double(s.dblVal, 15));
            return S_OK;
        case VT_DATE:
            out = to_utf16(format_date(s.date));
            return S_OK;
        case VT_BOOL:
            if (flags & VARIANT_ALPHABOOL)
                out = s.boolVal ? u"True" : u"False";
            else
                out = s.boolVal ? u"-1" : u"0";
            return S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

HRESULT to_bool(const VARIANT& s, VARIANT_BOOL& out) {
    if (s.vt == VT_BSTR) {
        auto t = bstr_view(s.bstrVal);
        if (equals_ignoring_case(t, u"True")) return out = VARIANT_TRUE, S_OK;
        if (equals_ignoring_case(t, u"False")) return out = VARIANT_FALSE, S_OK;
    }
    double d;
    HRESULT h = to_double(s, d);
    if (FAILED(h)) return h;
    out = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT to_object(const VARIANT& s, VARTYPE vt, VARIANT& out) {
    if (s.vt == VT_EMPTY) {
        out.punkVal = nullptr;
        return S_OK;
    }
    if (s.vt != VT_DISPATCH && s.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    if (!s.punkVal) {
        out.punkVal = nullptr;
        return S_OK;
    }
    if (vt == VT_UNKNOWN) {
        s.punkVal->AddRef();
        out.punkVal = s.punkVal;
        return S_OK;
    }
    void* p = nullptr;
    if (FAILED(s.punkVal->QueryInterface(IID_IDispatch, &p))) return DISP_E_TYPEMISMATCH;
    out.pdispVal = static_cast<IDispatch*>(p);
    return S_OK;
}

HRESULT convert(const VARIANT& s, WORD flags, VARTYPE vt, VARIANT& out) {
    VariantInit(&out);
    if (vt == VT_VARIANT || vt == s.vt) return VariantCopy(&out, &s);
    if (s.vt == VT_NULL && vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    out.vt = vt;
    std::int64_t i;
    HRESULT h;
    switch (vt) {
        case VT_EMPTY:
            return S_OK;
        case VT_I2:
            if (FAILED(h = to_integer(s, INT16_MIN, INT16_MAX, i))) break;
            out.iVal = static_cast<SHORT>(i);
            return S_OK;
        case VT_I4:
            if (FAILED(h = to_integer(s, INT32_MIN, INT32_MAX, i))) break;
            out.lVal = static_cast<LONG>(i);
            return S_OK;
        case VT_I8:
            if (FAILED(h = to_integer(s, INT64_MIN, INT64_MAX, i))) break;
            out.llVal = i;
            return S_OK;
        case VT_UI1:
            if (FAILED(h = to_integer(s, 0, 255, i))) break;
            out.bVal = static_cast<BYTE>(i);
            return S_OK;
        case VT_R8:
            h = to_double(s, out.dblVal);
            break;
        case VT_R4: {
            double d;
            if (FAILED(h = to_double(s, d))) break;
            if (std::fabs(d) > std::numeric_limits<float>::max()) {
                h = DISP_E_OVERFLOW;
                break;
            }
            out.fltVal = static_cast<float>(d);
            return S_OK;
        }
        case VT_DATE:
            h = to_double(s, out.date);
            break;
        case VT_BOOL:
            h = to_bool(s, out.boolVal);
            break;
        case VT_BSTR: {
            std::u16string text;
            if (FAILED(h = to_text(s, flags, text))) break;
            out.bstrVal = make_bstr(std::u16string_view(text));
            return out.bstrVal || text.empty() ? S_OK : E_OUTOFMEMORY;
        }
        case VT_DISPATCH:
        case VT_UNKNOWN:
            h = to_object(s, vt, out);
            break;
        default:
            h = DISP_E_TYPEMISMATCH;
            break;
    }
    if (FAILED(h)) VariantInit(&out);
    return h;
}

}  // namespace

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_POINTER;
    VARIANT view;
    HRESULT h = dereference(*src, view);
    if (FAILED(h)) return h;
    VARIANT copy;
    VariantInit(&copy);
    h = VariantCopy(&copy, &view);
    if (FAILED(h)) return h;
    VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt) {
    if (!dest || !src) return E_POINTER;
    VARIANT view;
    HRESULT h = dereference(*src, view);
    if (FAILED(h)) return h;
    VARIANT out;
    h = convert(view, flags, vt, out);
    // Clear after converting: `dest` may be `src`, or what `src` points to.
    VariantClear(dest);
    if (SUCCEEDED(h)) *dest = out;
    return h;
}

// 1899-12-30 is day 0 of the date scale.
static constexpr std::int64_t epoch_days = calendar::days_from_date(1899, 12, 30);

DATE make_date(int year, int month, int day, int hour, int minute, int second) {
    double days = static_cast<double>(
        calendar::days_from_date(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        epoch_days);
    double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before day 0 the fraction still counts forward from midnight: -1.25 is 1899-12-29 06:00.
    return days >= 0 ? days + time : days - time;
}

bool split_date(DATE d, DateParts& out) {
    if (!std::isfinite(d) || std::fabs(d) > 2958465.0 + 1) return false;  // beyond 9999-12-31
    double whole = std::trunc(d);
    long secs = std::lround(std::fabs(d - whole) * 86400.0);
    auto days = static_cast<std::int64_t>(whole);
    if (secs >= 86400) secs -= 86400, days += d >= 0 ? 1 : -1;
    const calendar::Date date = calendar::date_from_days(days + epoch_days);
    out.year = date.year;
    out.month = static_cast<int>(date.month);
    out.day = static_cast<int>(date.day);
    out.hour = static_cast<int>(secs / 3600);
    out.minute = static_cast<int>(secs / 60 % 60);
    out.second = static_cast<int>(secs % 60);
    return true;
}

namespace {

// "YYYY-MM-DD", optionally followed by " HH:MM" or " HH:MM:SS" (or 'T' for the blank); no
// fraction of a second.
bool parse_date_text(std::u16string_view t, DATE& out) {
    std::string ascii;
    for (char16_t c : t) {
        if (c >= 0x80) return false;
        ascii += static_cast<char>(c);
    }
    const std::optional<calendar::DateTime> d = calendar::parse(ascii);
    if (!d || d->fraction) return false;
    out = make_date(d->date.year, static_cast<int>(d->date.month), static_cast<int>(d->date.day),
                    d->hour, d->minute, d->second);
    return true;
}

}  // namespace

VARIANT var_text(std::string_view utf8) {
    VARIANT v = var_empty();
    v.vt = VT_BSTR, v.bstrVal = make_bstr(utf8);
    return v;
}
VARIANT var_text(std::u16string_view text) {
    VARIANT v = var_empty();
    v.vt = VT_BSTR, v.bstrVal = make_bstr(text);
    return v;
}
VARIANT var_dispatch(IDispatch* d) {
    VARIANT v = var_empty();
    v.vt = VT_DISPATCH, v.pdispVal = d;
    if (d) d->AddRef();
    return v;
}
std::string variant_text(const VARIANT& v) {
    Variant text;
    if (FAILED(VariantChangeType(text.get(), &v, VARIANT_ALPHABOOL, VT_BSTR))) return {};
    return bstr_utf8(text->bstrVal);
}

}  // namespace com
