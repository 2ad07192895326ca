#include <gtest/gtest.h>

#include <thread>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/object.h"
#include "tests/platform/com/automation_client.h"

using namespace com;
using testing_support::call;
using testing_support::Named;
using testing_support::text;

namespace {

constexpr IID IID_ICalc{"E4F072CD-221E-4247-A0DF-211567CA3B8C"};

struct ICalc : IDispatch {
    virtual HRESULT Join(BSTR left, SHORT right, BSTR* result) = 0;
    virtual HRESULT Assign(VARIANT* target, VARIANT value) = 0;
    virtual HRESULT Fail(BSTR why) = 0;
    virtual HRESULT get_Total(LONG* total) = 0;
    virtual HRESULT put_Total(LONG total) = 0;
    virtual HRESULT Maybe(VARIANT value, BSTR* kind) = 0;
};

ModuleState test_module;

class Calc final : public DispatchObject<ICalc> {
  public:
    Calc() : DispatchObject(test_module) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return query_as<ICalc>(this, iid, object, {IID_IUnknown, IID_IDispatch, IID_ICalc});
    }
    HRESULT Join(BSTR left, SHORT right, BSTR* result) override {
        *result = make_bstr(bstr_utf8(left) + "|" + std::to_string(right));
        return S_OK;
    }
    HRESULT Assign(VARIANT* target, VARIANT value) override { return VariantCopy(target, &value); }
    HRESULT Fail(BSTR why) override {
        return report_error(E_FAIL, IID_ICalc, "Calc", bstr_utf8(why));
    }
    HRESULT get_Total(LONG* total) override { return *total = total_, S_OK; }
    HRESULT put_Total(LONG total) override { return total_ = total, S_OK; }
    HRESULT Maybe(VARIANT value, BSTR* kind) override {
        bool missing = value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND;
        *kind = make_bstr(missing ? "missing" : "given");
        return S_OK;
    }

  protected:
    const DispatchTable& dispatch_table() const override {
        static const DispatchTable table({
            {1,
             u"Join",
             MemberKind::method,
             {{u"Left", VT_BSTR}, {u"Right", VT_I2}},
             [](IDispatch* self, VARIANT* a, VARIANT* r) {
                 r->vt = VT_BSTR;
                 return static_cast<ICalc*>(self)->Join(a[0].bstrVal, a[1].iVal, &r->bstrVal);
             }},
            {2,
             u"Assign",
             MemberKind::method,
             {{u"Target", VT_VARIANT, true}, {u"Value", VT_VARIANT}},
             [](IDispatch* self, VARIANT* a, VARIANT*) {
                 return static_cast<ICalc*>(self)->Assign(a[0].pvarVal, a[1]);
             }},
            {3,
             u"Fail",
             MemberKind::method,
             {{u"Why", VT_BSTR}},
             [](IDispatch* self, VARIANT* a, VARIANT*) {
                 return static_cast<ICalc*>(self)->Fail(a[0].bstrVal);
             }},
            {4,
             u"Total",
             MemberKind::property_get,
             {},
             [](IDispatch* self, VARIANT*, VARIANT* r) {
                 r->vt = VT_I4;
                 return static_cast<ICalc*>(self)->get_Total(&r->lVal);
             }},
            {4,
             u"Total",
             MemberKind::property_put,
             {{u"Value", VT_I4}},
             [](IDispatch* self, VARIANT* a, VARIANT*) {
                 return static_cast<ICalc*>(self)->put_Total(a[0].lVal);
             }},
            {5,
             u"Maybe",
             MemberKind::method,
             {{u"Value", VT_VARIANT, false, true}},
             [](IDispatch* self, VARIANT* a, VARIANT* r) {
                 r->vt = VT_BSTR;
                 return static_cast<ICalc*>(self)->Maybe(a[0], &r->bstrVal);
             }},
        });
        return table;
    }

  private:
    LONG total_ = 0;
};

class DispatchTest : public ::testing::Test {
  protected:
    Ptr<Calc> calc{new Calc};
};

TEST_F(DispatchTest, NamesResolveWithoutRegardToCase) {
    std::u16string names[] = {u"jOIN", u"right", u"LEFT"};
    LPOLESTR raw[] = {names[0].data(), names[1].data(), names[2].data()};
    DISPID ids[3];
    ASSERT_EQ(calc->GetIDsOfNames(GUID_NULL, raw, 3, 0, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[1], 1);  // parameter positions
    EXPECT_EQ(ids[2], 0);
    std::u16string unknown[] = {u"Join", u"Middle"};
    LPOLESTR raw2[] = {unknown[0].data(), unknown[1].data()};
    EXPECT_EQ(calc->GetIDsOfNames(GUID_NULL, raw2, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
}

TEST_F(DispatchTest, PositionalArgumentsArriveLastFirst) {
    auto left = text("x");
    auto r = call(calc.get(), u"Join", {*left, var_i2(5)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "x|5");
}

TEST_F(DispatchTest, NamedArgumentsInAnyOrderAndMixedWithPositional) {
    auto left = text("n");
    auto r = call(calc.get(), u"Join", {}, {{u"Right", var_i2(9)}, {u"Left", *left}});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "n|9");
    r = call(calc.get(), u"Join", {*left}, {{u"right", var_i2(-1)}});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "n|-1");
}

TEST_F(DispatchTest, ArgumentsAreCoercedToTheDeclaredKind) {
    auto digits = text("12");
    auto r = call(calc.get(), u"Join", {var_i4(3), *digits});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "3|12");

    auto word = text("abc");
    r = call(calc.get(), u"Join", {var_i4(3), *word});
    EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(r.arg_error, 0u);  // rgvarg index: the last argument comes first
    r = call(calc.get(), u"Join", {var_i4(3), var_i4(70000)});
    EXPECT_EQ(r.hr, DISP_E_OVERFLOW);
    r = call(calc.get(), u"Join", {}, {{u"Left", *word}, {u"Right", *word}});
    EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(r.arg_error, 1u);
}

TEST_F(DispatchTest, CountsAndNamesOfArgumentsAreChecked) {
    auto left = text("x");
    EXPECT_EQ(call(calc.get(), u"Join", {*left}).hr, DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(call(calc.get(), u"Join", {*left, var_i2(1), var_i2(2)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(calc.get(), u"Join", {*left}, {{u"Left", *left}}).hr, DISP_E_PARAMNOTFOUND);

    VARIANT arg = var_i2(1);
    DISPID bad_name = 7;
    DISPPARAMS params{&arg, &bad_name, 1, 1};
    UINT err = 99;
    EXPECT_EQ(calc->Invoke(1, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, &err),
              DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(err, 0u);
    EXPECT_EQ(calc->Invoke(42, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, ByReferenceArgumentsReachTheCallersVariable) {
    Variant target = Variant::adopt(var_i4(1));
    auto value = text("written");
    auto r = call(calc.get(), u"Assign", {var_ref(target.get()), *value});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(bstr_utf8(target->bstrVal), "written");
    // A value passed where a reference is declared works on a copy.
    r = call(calc.get(), u"Assign", {var_i4(5), *value});
    EXPECT_EQ(r.hr, S_OK);
}

TEST_F(DispatchTest, FailuresComeBackAsExceptionsWithTheirDescription) {
    auto why = text("division by zero");
    auto r = call(calc.get(), u"Fail", {*why});
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, E_FAIL);
    EXPECT_EQ(r.source, "Calc");
    EXPECT_EQ(r.description, "division by zero");

    VARIANT arg = *why;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    EXPECT_EQ(calc->Invoke(3, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              E_FAIL);
    ErrorText left;
    ASSERT_TRUE(take_error(left));  // without EXCEPINFO the error stays on the thread
    EXPECT_EQ(left.description, u"division by zero");
}

TEST_F(DispatchTest, PropertiesGetAndPut) {
    ASSERT_EQ(testing_support::put(calc.get(), u"Total", var_i2(41)), S_OK);
    auto r = testing_support::get(calc.get(), u"Total");
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value->vt, VT_I4);
    EXPECT_EQ(r.value->lVal, 41);
}

TEST_F(DispatchTest, OptionalArgumentsMayBeLeftOut) {
    auto r = call(calc.get(), u"Maybe", {});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "missing");
    r = call(calc.get(), u"Maybe", {var_error(DISP_E_PARAMNOTFOUND)});
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "missing");
    r = call(calc.get(), u"Maybe", {var_null()});
    EXPECT_EQ(bstr_utf8(r.value->bstrVal), "given");
}

TEST(ReferenceCounting, ObjectsDieAtZeroAndTheModuleCountsThem) {
    long before = test_module.objects();
    auto* c = new Calc;
    EXPECT_EQ(test_module.objects(), before + 1);
    EXPECT_EQ(c->AddRef(), 2u);
    void* other = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IDispatch, &other), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(other)->Release(), 2u);
    EXPECT_EQ(c->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(c->Release(), 1u);
    EXPECT_EQ(c->Release(), 0u);
    EXPECT_EQ(test_module.objects(), before);
    EXPECT_TRUE(test_module.can_unload() || before > 0);
}

TEST(ErrorInfo, BelongsToTheThreadThatFailed) {
    report_error(E_FAIL, GUID_NULL, "here", "failed here");
    bool other_saw = true;
    std::thread([&] {
        ErrorText t;
        other_saw = take_error(t);
    }).join();
    EXPECT_FALSE(other_saw);
    ErrorText mine;
    ASSERT_TRUE(take_error(mine));
    EXPECT_EQ(mine.description, u"failed here");
    EXPECT_FALSE(take_error(mine));  // taking clears it
}

}  // namespace
