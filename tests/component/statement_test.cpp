#include <gtest/gtest.h>

#include <cmath>

#include "component/failure.h"
#include "component/result_array.h"
#include "component/statement.h"
#include "component/statements.h"
#include "component/type_library.h"
#include "platform/com/bstr.h"

using namespace com;
using namespace tarvo;

namespace {

Variant txt(std::string_view s) {
    return Variant::adopt(var_text(s));
}

// The failure a statement part raises, or an empty description when it raises none.
template <class F>
Failure failure_of(F&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure;
    }
    return {S_OK, u""};
}

TEST(Statement, OrdinaryValuesGiveTheTemplateLetterForLetter) {
    Statement del;
    del.text(u"Delete from HR_Dept where DeptID=").bare(u"ID", var_i4(17));
    EXPECT_EQ(del.str(), u"Delete from HR_Dept where DeptID=17");
    EXPECT_EQ(department_insert(*txt("Sales"), var_i2(3), var_i4(1), *txt("memo")),
              u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' Sales "
              u"',3,1,'memo')");
    Statement get;
    get.text(u"Select * From HR_Dept Where DeptID=").integer(-32768);
    EXPECT_EQ(get.str(), u"Select * From HR_Dept Where DeptID=-32768");
}

TEST(Statement, ApostrophesInQuotedValuesAreDoubled) {
    Statement s;
    s.text(u"values ('").quoted(u"Name", *txt("O'Brien'); drop table HR_Dept; --")).text(u"')");
    EXPECT_EQ(s.str(), u"values ('O''Brien''); drop table HR_Dept; --')");
    const char16_t zero[] = {u'a', 0, u'b'};
    Variant cut = Variant::adopt(var_text(std::u16string_view(zero, 3)));
    EXPECT_EQ(failure_of([&] { Statement().quoted(u"Name", *cut); }).code, TARVO_E_CONVERSION);
}

TEST(Statement, EmptyBareValuesBecomeNullEvenSideBySide) {
    // Both DeptOrder and DeptParentID empty: a top-level department with no order.
    EXPECT_EQ(department_insert(*txt("R&D"), var_empty(), var_null(), *txt("")),
              u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' R&D "
              u"',null,null,'')");
    EXPECT_EQ(department_insert(*txt("R&D"), var_i4(2), *txt(""), *txt("")),
              u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' R&D "
              u"',2,null,'')");
}

TEST(Statement, NullSubstitutionLeavesQuotedValuesAlone) {
    EXPECT_EQ(department_insert(*txt("a,,b"), var_i4(1), var_i4(2), *txt("=,(,,)")),
              u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' a,,b "
              u"',1,2,'=,(,,)')");
}

TEST(Statement, AnEmptyValueNoRuleMatchesStaysEmpty) {
    const NullRule only_double_comma[] = {{u",", u",", u"null"}};
    Statement s;
    s.text(u"values (")
        .bare(u"PersonID", var_empty())
        .text(u",'")
        .quoted(u"MsgContent", *txt("hi"))
        .text(u"',")
        .bare(u"MsgFromPersonID", var_empty())
        .text(u",'x') ");
    EXPECT_EQ(s.str(only_double_comma), u"values (,'hi',null,'x') ");
    Statement update;
    update.text(u"DeptOrder=").bare(u"DeptOrder", var_null()).text(u",DeptParentID= null");
    const NullRule update_rules[] = {{u"=", u",", u"null"}, {u"=", u" where", u" null"}};
    EXPECT_EQ(update.str(update_rules), u"DeptOrder=null,DeptParentID= null");
}

TEST(Statement, BareValuesAcceptOnlyNumbers) {
    EXPECT_EQ(bare_text(u"ID", var_r8(2.5)), u"2.5");
    EXPECT_EQ(bare_text(u"ID", *txt("-12.75")), u"-12.75");
    EXPECT_EQ(bare_text(u"ID", *txt("+3")), u"+3");
    EXPECT_EQ(bare_text(u"ID", *txt("")), u"");
    EXPECT_EQ(bare_text(u"ID", var_null()), u"");
    Variant inner = Variant::adopt(var_i4(8));
    EXPECT_EQ(bare_text(u"ID", var_ref(inner.get())), u"8");

    Failure f = failure_of([] { bare_text(u"ID", *txt("1 or 1=1")); });
    EXPECT_EQ(f.code, TARVO_E_CONVERSION);
    EXPECT_EQ(to_utf8(f.description), "Parameter ID: the text \"1 or 1=1\" is not a number");
    for (const char* bad : {"1e5", " 5", "5.", ".5", "0x10", "--1", "1,5"})
        EXPECT_EQ(failure_of([&] { bare_text(u"ID", *txt(bad)); }).code, TARVO_E_CONVERSION) << bad;
    EXPECT_EQ(to_utf8(failure_of([] { bare_text(u"DeptOrder", var_bool(true)); }).description),
              "Parameter DeptOrder: a Boolean cannot stand as a number");
    EXPECT_EQ(failure_of([] { bare_text(u"ID", var_r8(NAN)); }).code, TARVO_E_CONVERSION);
    EXPECT_EQ(failure_of([] { bare_text(u"ID", var_date(1)); }).code, TARVO_E_CONVERSION);
}

// The component's tests cover text and the plain cases; these are the forms around them.
TEST(Statement, IntegerColumnsTakeWholeNumbersOnly) {
    EXPECT_EQ(whole_text(u"DeptID", *txt("-0.00")), u"-0.00");
    EXPECT_EQ(whole_text(u"DeptID", var_r8(4.0)), u"4");
    // A Double is judged by its value, not by the digits the statement would show.
    EXPECT_EQ(
        to_utf8(failure_of([] { whole_text(u"DeptID", var_r8(3.0000000000000004)); }).description),
        "Parameter DeptID: 3.0000000000000004 is not a whole number (the column holds whole "
        "numbers)");
    Variant half = Variant::adopt(var_r8(2.5));
    VARIANT single = var_empty();
    single.vt = VT_R4;
    single.fltVal = 0.5f;
    for (const VARIANT& bad : {var_r8(1e-7), single, var_ref(half.get())})
        EXPECT_EQ(failure_of([&] { whole_text(u"DeptID", bad); }).code, TARVO_E_CONVERSION);
}

TEST(Statement, QuotedValuesUseTheTextConversion) {
    EXPECT_EQ(quoted_text(u"X", var_null()), u"");
    EXPECT_EQ(quoted_text(u"X", var_i2(-4)), u"-4");
    EXPECT_EQ(quoted_text(u"X", var_bool(true)), u"True");
    EXPECT_EQ(quoted_text(u"X", var_date(make_date(2024, 1, 5))), u"2024-01-05");
    EXPECT_EQ(quoted_text(u"X", *txt("张三")), u"张三");
    EXPECT_EQ(failure_of([] { quoted_text(u"X", var_error(1)); }).code, TARVO_E_CONVERSION);
}

TEST(ResultArray, BecomesATwoDimensionalSafeArrayFromZero) {
    ResultArray a(3, 2);
    a.put(0, 0, var_text("DeptID"));
    a.set(2, 1, var_i4(7));
    EXPECT_EQ(a.at(1, 1).vt, VT_EMPTY);
    EXPECT_EQ(failure_of([&] { a.set(3, 0, var_i4(1)); }).code, TARVO_E_INDEX);
    EXPECT_EQ(failure_of([&] { a.set(0, 2, var_i4(1)); }).code, TARVO_E_INDEX);
    SAFEARRAY* s = a.release();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(a.is_empty_array());
    LONG lo, hi;
    SafeArrayGetLBound(s, 1, &lo);
    SafeArrayGetUBound(s, 1, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 2);
    SafeArrayGetUBound(s, 2, &hi);
    EXPECT_EQ(hi, 1);
    LONG at[2] = {2, 1};
    Variant v;
    SafeArrayGetElement(s, at, v.out());
    EXPECT_EQ(v->lVal, 7);
    LONG head[2] = {0, 0};
    SafeArrayGetElement(s, head, v.out());
    EXPECT_EQ(bstr_utf8(v->bstrVal), "DeptID");
    SafeArrayDestroy(s);
}

TEST(ResultArray, TheEmptyArrayIsANullSafeArrayAndRowsCanBeCut) {
    ResultArray none;
    EXPECT_EQ(none.release(), nullptr);
    ResultArray page(10, 2);
    page.set(1, 0, var_i4(5));
    page.keep_rows(2);
    EXPECT_EQ(page.rows(), 2u);
    EXPECT_EQ(page.at(1, 0).lVal, 5);
    EXPECT_EQ(failure_of([&] { page.at(2, 0); }).code, TARVO_E_INDEX);
}

// The tree's rearrangement: rows after `first` are put in the order given, the others dropped.
TEST(ResultArray, RowsAreReorderedInPlaceAndTheRestDropped) {
    ResultArray a(5, 2);
    a.put(0, 0, var_text("DeptID"));
    for (int r = 1; r < 5; ++r) {
        a.set(r, 0, var_i4(r));
        a.put(r, 1, var_text("name " + std::to_string(r)));
    }
    a.reorder_rows(1, {3, 0, 2});  // rows 4, 1, 3; row 2 is dropped
    ASSERT_EQ(a.rows(), 4u);
    EXPECT_EQ(bstr_utf8(a.at(0, 0).bstrVal), "DeptID");
    const int expected[] = {4, 1, 3};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(a.at(k + 1, 0).lVal, expected[k]);
        EXPECT_EQ(bstr_utf8(a.at(k + 1, 1).bstrVal), "name " + std::to_string(expected[k]));
    }
    EXPECT_EQ(failure_of([&] { a.reorder_rows(1, {0, 5}); }).code, TARVO_E_INDEX);
    EXPECT_EQ(a.at(1, 0).lVal, 4);  // a refused order moves nothing
    a.reorder_rows(1, {});
    EXPECT_EQ(a.rows(), 1u);
}

TEST(TypeLibrary, SlotsDispidsAndParameterNames) {
    const auto& lib = type_library();
    EXPECT_EQ(lib.name, "Tarvo");
    EXPECT_EQ(lib.lcid, 0x0409u);
    EXPECT_EQ(lib.libid.to_string(), "{FE284729-8E08-44DB-B8C0-37D4F6CD4CE9}");
    const auto& dept = department_class().iface.methods;
    ASSERT_EQ(dept.size(), 8u);
    EXPECT_EQ(dept[0].name, u"SetConn");
    EXPECT_EQ(dept[0].dispid(), 0x60030000);
    EXPECT_TRUE(dept[0].params[0].by_ref);
    EXPECT_EQ(dept[3].name, u"DelData");
    EXPECT_EQ(dept[3].dispid(), 0x60030003);
    EXPECT_EQ(dept[4].params[4].name, u"DeptMomo");
    EXPECT_EQ(dept[5].params[0].type, VT_I2);
    const auto& person = person_class().iface.methods;
    ASSERT_EQ(person.size(), 9u);
    EXPECT_EQ(person[8].name, u"GetDeptData");
    EXPECT_EQ(person[8].dispid(), 0x60030008);
    EXPECT_EQ(person[2].params.size(), 14u);
    EXPECT_EQ(person[4].params.size(), 15u);
    EXPECT_EQ(person[4].params[14].name, u"PersonPwd");
    EXPECT_EQ(message_class().iface.methods[4].params[1].name, u"DeptName");
    EXPECT_EQ(message_class().progid, "Tarvo.Message");
}

}  // namespace
