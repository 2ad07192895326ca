#include <gtest/gtest.h>

#include <cmath>

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

using namespace com;

namespace {

std::string as_text(VARIANT v, WORD flags = 0) {
    Variant owned = Variant::adopt(v);
    Variant out;
    HRESULT h = VariantChangeType(out.get(), owned.get(), flags, VT_BSTR);
    EXPECT_EQ(h, S_OK);
    return bstr_utf8(out->bstrVal);
}

HRESULT to_i2(VARIANT v, SHORT& out) {
    Variant owned = Variant::adopt(v);
    Variant r;
    HRESULT h = VariantChangeType(r.get(), owned.get(), 0, VT_I2);
    if (SUCCEEDED(h)) {
        EXPECT_EQ(r->vt, VT_I2);
        out = r->iVal;
    } else {
        EXPECT_EQ(r->vt, VT_EMPTY);
    }
    return h;
}

TEST(Bstr, CarriesItsLengthAndEmbeddedZeros) {
    const char16_t text[] = {u'a', 0, u'b'};
    BSTR s = SysAllocStringLen(text, 3);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 6u);
    EXPECT_EQ(s[3], 0);  // terminated after the counted characters
    SysFreeString(s);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(bstr_view(nullptr), u"");
}

TEST(Bstr, ConvertsChineseAndCharactersBeyondTheBasicPlane) {
    std::string text = "张三 \xF0\xA0\x80\x80 ok";  // U+20000 needs a surrogate pair
    Bstr b(text);
    EXPECT_EQ(b.view().size(), 8u);
    EXPECT_EQ(b.utf8(), text);
    EXPECT_EQ(to_utf8(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate is replaced
}

TEST(Guid, ParsesAndFormatsTheRegistryForm) {
    constexpr GUID g("{F704D456-66A3-473F-8DC6-90791014A852}");
    EXPECT_EQ(g.to_string(), "{F704D456-66A3-473F-8DC6-90791014A852}");
    EXPECT_EQ(GUID("f704d456-66a3-473f-8dc6-90791014a852"), g);
    GUID bad;
    EXPECT_FALSE(GUID::parse("F704D456-66A3-473F-8DC6-90791014A85", bad));
    EXPECT_FALSE(GUID::parse("F704D456x66A3-473F-8DC6-90791014A852", bad));
    EXPECT_EQ(GUID("nonsense"), GUID_NULL);
}

TEST(VariantText, NumbersAreDecimalAndNullOrEmptyAreEmpty) {
    EXPECT_EQ(as_text(var_i2(-12)), "-12");
    EXPECT_EQ(as_text(var_i4(2147483647)), "2147483647");
    EXPECT_EQ(as_text(var_r8(2.5)), "2.5");
    EXPECT_EQ(as_text(var_r8(0.1)), "0.1");
    EXPECT_EQ(as_text(var_r8(-3)), "-3");
    EXPECT_EQ(as_text(var_r8(1e20)), "1E+20");
    EXPECT_EQ(as_text(var_null()), "");
    EXPECT_EQ(as_text(var_empty()), "");
    EXPECT_EQ(as_text(var_bool(true)), "-1");
    EXPECT_EQ(as_text(var_bool(false), VARIANT_ALPHABOOL), "False");
    EXPECT_EQ(as_text(var_date(make_date(2024, 2, 29, 13, 5, 9))), "2024-02-29 13:05:09");
    EXPECT_EQ(as_text(var_date(make_date(1899, 12, 30))), "1899-12-30");
}

TEST(VariantText, ObjectsAndErrorsDoNotConvert) {
    Variant err = Variant::adopt(var_error(DISP_E_PARAMNOTFOUND));
    Variant out;
    EXPECT_EQ(VariantChangeType(out.get(), err.get(), 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(out->vt, VT_EMPTY);
}

TEST(VariantToShort, ReadsTextWithOverflowAndTypeMismatch) {
    SHORT v = 0;
    EXPECT_EQ(to_i2(var_text("123"), v), S_OK);
    EXPECT_EQ(v, 123);
    EXPECT_EQ(to_i2(var_text(" -7 "), v), S_OK);
    EXPECT_EQ(v, -7);
    EXPECT_EQ(to_i2(var_text("32767"), v), S_OK);
    EXPECT_EQ(to_i2(var_text("-32768"), v), S_OK);
    EXPECT_EQ(v, -32768);
    EXPECT_EQ(to_i2(var_text("32768"), v), DISP_E_OVERFLOW);
    EXPECT_EQ(to_i2(var_text("40000"), v), DISP_E_OVERFLOW);
    EXPECT_EQ(to_i2(var_text("abc"), v), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(to_i2(var_text("12abc"), v), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(to_i2(var_text(""), v), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(to_i2(var_null(), v), DISP_E_TYPEMISMATCH);
}

TEST(VariantToShort, RoundsHalfToEvenAndChecksRange) {
    SHORT v = 0;
    EXPECT_EQ(to_i2(var_text("2.5"), v), S_OK);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(to_i2(var_r8(3.5), v), S_OK);
    EXPECT_EQ(v, 4);
    EXPECT_EQ(to_i2(var_r8(-32768.4), v), S_OK);
    EXPECT_EQ(v, -32768);
    EXPECT_EQ(to_i2(var_i4(70000), v), DISP_E_OVERFLOW);
    EXPECT_EQ(to_i2(var_r8(NAN), v), DISP_E_OVERFLOW);
    EXPECT_EQ(to_i2(var_empty(), v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(to_i2(var_bool(true), v), S_OK);
    EXPECT_EQ(v, -1);
}

TEST(VariantConversion, FollowsByReferenceValuesAndConvertsInPlace) {
    LONG number = 42;
    VARIANT ref = var_empty();
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &number;
    EXPECT_EQ(as_text(ref), "42");

    Variant inner = Variant::adopt(var_text("17"));
    VARIANT to_variant = var_ref(inner.get());
    Variant out;
    ASSERT_EQ(VariantChangeType(out.get(), &to_variant, 0, VT_I4), S_OK);
    EXPECT_EQ(out->lVal, 17);

    Variant same = Variant::adopt(var_text("-5"));
    ASSERT_EQ(VariantChangeType(same.get(), same.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(same->vt, VT_I4);
    EXPECT_EQ(same->lVal, -5);
}

TEST(VariantConversion, TextToDateAndBoolean) {
    Variant d = Variant::adopt(var_text("2026-12-08 18:30:00"));
    ASSERT_EQ(VariantChangeType(d.get(), d.get(), 0, VT_DATE), S_OK);
    DateParts p;
    ASSERT_TRUE(split_date(d->date, p));
    EXPECT_EQ(p.year, 2026);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.hour, 18);
    EXPECT_EQ(p.minute, 30);
    Variant bad = Variant::adopt(var_text("2026-02-30"));
    EXPECT_EQ(VariantChangeType(bad.get(), bad.get(), 0, VT_DATE), DISP_E_TYPEMISMATCH);
    Variant b = Variant::adopt(var_text("true"));
    ASSERT_EQ(VariantChangeType(b.get(), b.get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(b->boolVal, VARIANT_TRUE);
}

TEST(VariantCopy, DuplicatesText) {
    Variant a = Variant::adopt(var_text("中文"));
    Variant b(*a);
    EXPECT_NE(a->bstrVal, b->bstrVal);
    EXPECT_EQ(bstr_utf8(b->bstrVal), "中文");
}

TEST(Dates, BeforeTheEpochCountTheTimeForward) {
    DateParts p;
    ASSERT_TRUE(split_date(-1.25, p));
    EXPECT_EQ(p.year, 1899);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    EXPECT_DOUBLE_EQ(make_date(1899, 12, 29, 6), -1.25);
}

}  // namespace
