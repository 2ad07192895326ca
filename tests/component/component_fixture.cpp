#include "tests/component/component_fixture.h"

using namespace com;

namespace testing_support {

std::string Cells::text(long r, long c) const {
    const VARIANT& v = at(r, c);
    if (v.vt == VT_EMPTY) return "<empty>";
    if (v.vt == VT_NULL) return "<null>";
    return variant_text(v);
}

std::string Cells::lower(long r, long c) const {
    std::string s = text(r, c);
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

long long Cells::number(long r, long c) const {
    Variant v;
    if (FAILED(VariantChangeType(v.get(), &at(r, c), 0, VT_I8))) return -999999;
    return v->llVal;
}

bool Cells::row_is_empty(long r) const {
    for (long c = 0; c < cols; ++c)
        if (at(r, c).vt != VT_EMPTY) return false;
    return true;
}

Cells unpack(const CallResult& r) {
    Cells out;
    EXPECT_EQ(r.value->vt, VT_ARRAY | VT_VARIANT);
    SAFEARRAY* a = r.value->parray;
    if (!a) return out;
    EXPECT_EQ(SafeArrayGetDim(a), 2u);
    LONG lo_r, hi_r, lo_c, hi_c;
    SafeArrayGetLBound(a, 1, &lo_r);
    SafeArrayGetUBound(a, 1, &hi_r);
    SafeArrayGetLBound(a, 2, &lo_c);
    SafeArrayGetUBound(a, 2, &hi_c);
    EXPECT_EQ(lo_r, 0);
    EXPECT_EQ(lo_c, 0);
    out.empty_array = false;
    out.rows = hi_r + 1;
    out.cols = hi_c + 1;
    for (LONG i = 0; i < out.rows; ++i)
        for (LONG j = 0; j < out.cols; ++j) {
            LONG at[2] = {i, j};
            Variant v;
            SafeArrayGetElement(a, at, v.out());
            out.cells.push_back(std::move(v));
        }
    return out;
}

Variant txt(std::string_view s) {
    return Variant::adopt(var_text(s));
}

void OperationsTest::SetUp() {
    TARVO_REQUIRE_DB(database);
    db = database.connect();
    schema::create(*db);
    ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
    auto cs = txt(ado_connection_string(database.url()));
    auto opened = call(conn.get(), u"Open", {*cs});
    ASSERT_EQ(opened.hr, S_OK) << opened.description;
}

Ptr<IDispatch> OperationsTest::create(const char* progid) {
    Ptr<IDispatch> object;
    EXPECT_EQ(CreateObject(progid, object.out()), S_OK) << progid;
    IDispatch* slot = conn.get();
    VARIANT ref = var_empty();
    ref.vt = VT_BYREF | VT_DISPATCH;
    ref.ppdispVal = &slot;
    EXPECT_EQ(call(object.get(), u"SetConn", {ref}).hr, S_OK);
    return object;
}

CallResult OperationsTest::ok(IDispatch* d, std::u16string name, std::vector<VARIANT> args) {
    std::string method = to_utf8(name);
    CallResult r = call(d, std::move(name), std::move(args));
    EXPECT_EQ(r.hr, S_OK) << method << ": " << r.description;
    return r;
}

Cells OperationsTest::read(IDispatch* d, std::u16string name, std::vector<VARIANT> args) {
    return unpack(ok(d, std::move(name), std::move(args)));
}

std::string OperationsTest::value(const std::string& sql) {
    auto r = db->query_all(sql);
    if (r.rows.empty()) return "<no row>";
    const db::Value& v = r.rows[0][0];
    if (v.is_null()) return "<null>";
    if (v.is_integer()) return std::to_string(v.as_integer());
    return v.as_text();
}

}  // namespace testing_support
