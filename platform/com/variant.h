// VARIANT: the tagged value that carries every argument and result of an automation call,
// and the conversions between its kinds as automation clients expect them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/types.h"

namespace com {

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_I8 = 20,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1, wReserved2, wReserved3;
    union {
        std::int64_t llVal;
        LONG lVal;
        SHORT iVal;
        BYTE bVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        SHORT* piVal;
        LONG* plVal;
        std::int64_t* pllVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
    };
};

// Flags of VariantChangeType.
constexpr WORD VARIANT_ALPHABOOL = 0x2;  // Booleans become "True"/"False" instead of "-1"/"0"

// Inline: a result of many cells makes and empties one variant per cell.
inline void VariantInit(VARIANT* v) {
    *v = VARIANT{};
    v->vt = VT_EMPTY;
}
// Frees what the value owns (text, array, object reference) and leaves it Empty.
HRESULT VariantClear(VARIANT* v);
// Deep copy: text and arrays are duplicated, objects get a reference.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Copy that follows a by-reference value to what it points to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts `src` (by-reference values are followed) into kind `vt`. Fails with
// DISP_E_TYPEMISMATCH when the kinds do not convert and DISP_E_OVERFLOW when the value does
// not fit; `dest` is then left Empty. `dest` may equal `src`.
//   number -> text: decimal ("-12", "2.5"); Null and Empty -> the empty text;
//   Boolean -> text: "-1"/"0", or "True"/"False" with VARIANT_ALPHABOOL;
//   date -> text: "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS";
//   text -> number: optional blanks, sign, digits, fraction, exponent; Empty -> 0;
//   Null -> anything but text or Null: type mismatch.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt);

// Date values: days since 1899-12-30 with the time of day as the fraction.
DATE make_date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
struct DateParts {
    int year, month, day, hour, minute, second;
};
bool split_date(DATE d, DateParts& out);

// Small constructors for callers and tests. The results own what they hold.
inline VARIANT var_empty() {
    VARIANT v{};
    v.vt = VT_EMPTY;
    return v;
}
inline VARIANT var_null() {
    VARIANT v = var_empty();
    v.vt = VT_NULL;
    return v;
}
inline VARIANT var_i2(SHORT x) {
    VARIANT v = var_empty();
    v.vt = VT_I2, v.iVal = x;
    return v;
}
inline VARIANT var_i4(LONG x) {
    VARIANT v = var_empty();
    v.vt = VT_I4, v.lVal = x;
    return v;
}
inline VARIANT var_r8(double x) {
    VARIANT v = var_empty();
    v.vt = VT_R8, v.dblVal = x;
    return v;
}
inline VARIANT var_bool(bool x) {
    VARIANT v = var_empty();
    v.vt = VT_BOOL, v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
inline VARIANT var_date(DATE x) {
    VARIANT v = var_empty();
    v.vt = VT_DATE, v.date = x;
    return v;
}
inline VARIANT var_error(SCODE x) {
    VARIANT v = var_empty();
    v.vt = VT_ERROR, v.scode = x;
    return v;
}
inline VARIANT var_ref(VARIANT* target) {  // VT_BYREF|VT_VARIANT pointing at `target`
    VARIANT v = var_empty();
    v.vt = VT_BYREF | VT_VARIANT, v.pvarVal = target;
    return v;
}
VARIANT var_text(std::string_view utf8);
VARIANT var_text(std::u16string_view text);
VARIANT var_dispatch(IDispatch* d);  // takes a new reference

// Owns one VARIANT and clears it when it dies.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(const VARIANT& v) { VariantInit(&v_), VariantCopy(&v_, &v); }
    static Variant adopt(VARIANT v) {
        Variant out;
        out.v_ = v;
        return out;
    }
    Variant(const Variant& o) : Variant(o.v_) {}
    Variant& operator=(const Variant& o) {
        if (this != &o) VariantCopy(&v_, &o.v_);
        return *this;
    }
    Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
    Variant& operator=(Variant&& o) noexcept {
        std::swap(v_, o.v_);
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* operator->() { return &v_; }
    const VARIANT* operator->() const { return &v_; }
    VARIANT& operator*() { return v_; }
    const VARIANT& operator*() const { return v_; }
    VARIANT* out() {
        VariantClear(&v_);
        return &v_;
    }
    VARIANT release() {
        VARIANT r = v_;
        VariantInit(&v_);
        return r;
    }

  private:
    VARIANT v_;
};

// The value as UTF-8 text by the conversion above (Booleans as True/False); empty when it
// does not convert.
std::string variant_text(const VARIANT& v);

}  // namespace com
