#include <gtest/gtest.h>

#include "platform/com/bstr.h"
#include "platform/com/safearray.h"

using namespace com;

namespace {

SAFEARRAY* grid(ULONG rows, ULONG cols) {
    SAFEARRAYBOUND b[2] = {{rows, 0}, {cols, 0}};
    return SafeArrayCreate(VT_VARIANT, 2, b);
}

TEST(SafeArray, TwoDimensionsWithBoundsFromZero) {
    SAFEARRAY* a = grid(3, 5);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(SafeArrayGetDim(a), 2u);
    LONG lo, hi;
    ASSERT_EQ(SafeArrayGetLBound(a, 1, &lo), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(a, 1, &hi), S_OK);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 2);
    ASSERT_EQ(SafeArrayGetUBound(a, 2, &hi), S_OK);
    EXPECT_EQ(hi, 4);
    EXPECT_EQ(SafeArrayGetUBound(a, 3, &hi), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(a, 0, &lo), DISP_E_BADINDEX);
    SafeArrayDestroy(a);
}

TEST(SafeArray, ElementsAreAddressedRowThenColumnAndStartEmpty) {
    SAFEARRAY* a = grid(2, 3);
    Variant value = Variant::adopt(var_text("cell 1,2"));
    LONG at[2] = {1, 2};
    ASSERT_EQ(SafeArrayPutElement(a, at, value.get()), S_OK);
    Variant back;
    ASSERT_EQ(SafeArrayGetElement(a, at, back.out()), S_OK);
    EXPECT_EQ(bstr_utf8(back->bstrVal), "cell 1,2");
    EXPECT_NE(back->bstrVal, value->bstrVal);  // copied out, not shared
    LONG other[2] = {2, 1};
    EXPECT_EQ(SafeArrayGetElement(a, other, back.out()), DISP_E_BADINDEX);
    LONG negative[2] = {-1, 0};
    EXPECT_EQ(SafeArrayPutElement(a, negative, value.get()), DISP_E_BADINDEX);
    LONG first[2] = {0, 0};
    ASSERT_EQ(SafeArrayGetElement(a, first, back.out()), S_OK);
    EXPECT_EQ(back->vt, VT_EMPTY);
    SafeArrayDestroy(a);
}

TEST(SafeArray, TheNullArrayHasNoDimensions) {
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
    LONG b;
    EXPECT_EQ(SafeArrayGetUBound(nullptr, 1, &b), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
    EXPECT_EQ(copy, nullptr);
}

TEST(SafeArray, ZeroRowsHaveAnUpperBoundBelowTheLower) {
    SAFEARRAY* a = grid(0, 4);
    ASSERT_NE(a, nullptr);
    LONG hi;
    ASSERT_EQ(SafeArrayGetUBound(a, 1, &hi), S_OK);
    EXPECT_EQ(hi, -1);
    LONG at[2] = {0, 0};
    Variant v;
    EXPECT_EQ(SafeArrayGetElement(a, at, v.out()), DISP_E_BADINDEX);
    SafeArrayDestroy(a);
}

TEST(SafeArray, CopiesDeeplyAndTravelsInsideAVariant) {
    SAFEARRAY* a = grid(1, 1);
    LONG at[2] = {0, 0};
    Variant value = Variant::adopt(var_i4(7));
    SafeArrayPutElement(a, at, value.get());
    VARIANT holder = var_empty();
    holder.vt = VT_ARRAY | VT_VARIANT;
    holder.parray = a;
    Variant owner = Variant::adopt(holder);
    Variant copy(*owner);
    ASSERT_NE(copy->parray, a);
    Variant back;
    ASSERT_EQ(SafeArrayGetElement(copy->parray, at, back.out()), S_OK);
    EXPECT_EQ(back->lVal, 7);
}

TEST(SafeArray, LargeArraysStartEmptyCopyAndFreeLikeSmallOnes) {
    SAFEARRAY* a = grid(400, 300);  // 1.9 MB of cells: mapped storage
    ASSERT_NE(a, nullptr);
    LONG last[2] = {399, 299}, middle[2] = {200, 150};
    Variant back;
    ASSERT_EQ(SafeArrayGetElement(a, last, back.out()), S_OK);
    EXPECT_EQ(back->vt, VT_EMPTY);
    Variant text = Variant::adopt(var_text("最后一格"));
    ASSERT_EQ(SafeArrayPutElement(a, last, text.get()), S_OK);
    ASSERT_EQ(SafeArrayPutElement(a, middle, text.get()), S_OK);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);  // frees the texts and the storage
    ASSERT_EQ(SafeArrayGetElement(copy, last, back.out()), S_OK);
    EXPECT_EQ(bstr_utf8(back->bstrVal), "最后一格");
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    SAFEARRAYBOUND huge[2] = {{0x80000000u, 0}, {0x80000000u, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);  // cannot be addressed
}

TEST(SafeArray, RefusesOtherShapes) {
    SAFEARRAYBOUND b[3] = {{1, 0}, {1, 0}, {1, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 3, b), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_BSTR, 1, b), nullptr);
}

}  // namespace
