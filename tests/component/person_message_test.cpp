#include "component/interfaces.h"
#include "tests/component/component_fixture.h"

using namespace com;
using namespace testing_support;

namespace {

class PersonTest : public OperationsTest {
  protected:
    void SetUp() override {
        OperationsTest::SetUp();
        if (!HasFatalFailure() && !IsSkipped()) person = create("Tarvo.Person");
    }

    // The fourteen AddData values: DeptID, then the texts given, the rest "v<i>".
    std::vector<Variant> values(VARIANT dept, const char* name) {
        std::vector<Variant> v;
        v.push_back(Variant(dept));
        v.push_back(txt(name));
        for (int i = 2; i < 14; ++i) v.push_back(txt("v" + std::to_string(i)));
        return v;
    }
    static std::vector<VARIANT> raw(const std::vector<Variant>& v) {
        std::vector<VARIANT> out;
        for (const auto& x : v) out.push_back(*x);
        return out;
    }

    Ptr<IDispatch> person;
};

TEST_P(PersonTest, AddDataWritesBareAndQuotedValues) {
    auto v = values(var_i4(3), "张三");
    EXPECT_EQ(ok(person.get(), u"AddData", raw(v)).value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(value("SELECT DeptID FROM HR_Person"), "3");
    EXPECT_EQ(value("SELECT PersonName FROM HR_Person"), "张三");
    EXPECT_EQ(value("SELECT PersonPhoto FROM HR_Person"), "v9");  // stored as text
    EXPECT_EQ(value("SELECT PersonPwd FROM HR_Person"), "v13");

    auto empty = values(*txt(""), "");
    ok(person.get(), u"AddData", raw(empty));
    EXPECT_EQ(value("SELECT DeptID FROM HR_Person WHERE PersonID = 2"), "<null>");
    EXPECT_EQ(value("SELECT PersonName FROM HR_Person WHERE PersonID = 2"), "");  // not null
}

TEST_P(PersonTest, UpdateDataClearsThePhotoAndNullsEmptyNumbers) {
    ok(person.get(), u"AddData", raw(values(var_i4(1), "a")));
    auto v = values(var_i4(2), "b");
    v[11] = Variant::adopt(var_i4(3));  // PersonType, bare in the update
    std::vector<VARIANT> args{var_i4(1)};
    for (auto x : raw(v)) args.push_back(x);
    EXPECT_EQ(ok(person.get(), u"UpdateData", args).value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(value("SELECT PersonName FROM HR_Person"), "b");
    EXPECT_EQ(value("SELECT DeptID FROM HR_Person"), "2");
    EXPECT_EQ(value("SELECT PersonPhoto FROM HR_Person"), "<null>");
    EXPECT_EQ(value("SELECT PersonType FROM HR_Person"), "3");

    args[1] = var_empty();  // DeptID
    args[12] = var_null();  // PersonType
    ok(person.get(), u"UpdateData", args);
    EXPECT_EQ(value("SELECT DeptID FROM HR_Person"), "<null>");
    EXPECT_EQ(value("SELECT PersonType FROM HR_Person"), "<null>");

    args[0] = var_i4(42);  // no such person
    EXPECT_EQ(ok(person.get(), u"UpdateData", args).value->boolVal, VARIANT_TRUE);
    Variant missing = Variant::adopt(var_i4(42));
    EXPECT_EQ(ok(person.get(), u"DelData", {var_ref(missing.get())}).value->boolVal, VARIANT_TRUE);
}

TEST_P(PersonTest, AFractionalDepartmentFailsTheCallAndChangesNothing) {
    ok(person.get(), u"AddData", raw(values(var_i4(5), "a")));
    std::vector<VARIANT> args{var_i4(1)};
    auto v = values(*txt("3.7"), "b");  // PostgreSQL would store department 4
    v[11] = Variant::adopt(var_i4(3));  // PersonType, bare in the update
    for (auto x : raw(v)) args.push_back(x);
    auto r = call(person.get(), u"UpdateData", args);
    EXPECT_EQ(r.scode, tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(r.description,
              "Parameter DeptID: 3.7 is not a whole number (the column holds whole numbers)");
    EXPECT_EQ(value("SELECT DeptID FROM HR_Person"), "5");
    EXPECT_EQ(value("SELECT PersonName FROM HR_Person"), "a");
    EXPECT_EQ(call(person.get(), u"AddData", raw(values(var_r8(1.5), "c"))).scode,
              tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(value("SELECT COUNT(*) FROM HR_Person"), "1");
}

TEST_P(PersonTest, ListingsRecordsAndDepartments) {
    Cells none = read(person.get(), u"GetAllData");
    ASSERT_EQ(none.rows, 1);  // the header alone
    EXPECT_EQ(none.cols, 15);
    EXPECT_EQ(none.lower(0, 0), "personid");
    EXPECT_EQ(none.lower(0, 14), "personpwd");
    EXPECT_TRUE(read(person.get(), u"GetPageData", {var_i4(10), var_i4(1)}).empty_array);

    for (int i = 1; i <= 3; ++i)
        db->execute("INSERT INTO HR_Person (DeptID, PersonName) VALUES (?, ?)",
                    {i == 3 ? 2 : 1, "员工" + std::to_string(i)});
    Cells all = read(person.get(), u"GetAllData");
    ASSERT_EQ(all.rows, 4);
    EXPECT_EQ(all.text(1, 2), "员工1");
    EXPECT_EQ(all.text(3, 2), "员工3");
    EXPECT_EQ(all.at(1, 5).vt, VT_NULL);  // an SQL NULL is Null, never Empty

    Variant dept = Variant::adopt(var_i4(1));
    Cells of_one = read(person.get(), u"GetDeptData", {var_ref(dept.get())});
    ASSERT_EQ(of_one.rows, 3);
    EXPECT_EQ(of_one.text(2, 2), "员工2");
    Cells of_none = read(person.get(), u"GetDeptData", {var_i4(9)});
    EXPECT_EQ(of_none.rows, 1);
    auto no_dept = call(person.get(), u"GetDeptData", {*txt("")});
    EXPECT_EQ(no_dept.scode, ado::E_ADO_DATABASE);
    EXPECT_EQ(call(person.get(), u"GetDeptData", {*txt("1 or 1=1")}).scode,
              tarvo::TARVO_E_CONVERSION);

    Cells rec = read(person.get(), u"GetData", {var_i2(3)});
    ASSERT_EQ(rec.rows, 2);
    EXPECT_EQ(rec.number(1, 1), 2);
    EXPECT_EQ(read(person.get(), u"GetData", {var_i2(4)}).rows, 1);
    Cells page = read(person.get(), u"GetPageData", {var_i4(2), var_i4(2)});
    ASSERT_EQ(page.rows, 1);
    EXPECT_EQ(page.text(0, 2), "员工3");
}

INSTANTIATE_TEST_SUITE_P(Backends, PersonTest, ::testing::ValuesIn(backend_names()),
                         testing_support::backend_name);

class MessageTest : public OperationsTest {
  protected:
    void SetUp() override {
        OperationsTest::SetUp();
        if (!HasFatalFailure() && !IsSkipped()) message = create("Tarvo.Message");
    }
    Ptr<IDispatch> message;
};

TEST_P(MessageTest, AddDataNullsAnEmptySenderButNotAnEmptyOwner) {
    Cells none = read(message.get(), u"GetAllData");
    EXPECT_EQ(none.rows, 1);
    EXPECT_EQ(none.cols, 5);
    EXPECT_TRUE(read(message.get(), u"GetPageData", {var_i4(10), var_i4(1)}).empty_array);

    ok(message.get(), u"AddData", {var_i4(1), *txt("内容"), *txt(""), *txt("")});
    EXPECT_EQ(value("SELECT MsgFromPersonID FROM DATA_Msg"), "<null>");
    EXPECT_EQ(value("SELECT MsgTitle FROM DATA_Msg"), "");
    auto r = call(message.get(), u"AddData", {*txt(""), *txt("x"), var_i4(2), *txt("t")});
    EXPECT_EQ(r.scode, ado::E_ADO_DATABASE);
    EXPECT_EQ(variant_text(*call(message.get(), u"GetError", {}).value), r.description);
    EXPECT_EQ(value("SELECT COUNT(*) FROM DATA_Msg"), "1");
}

TEST_P(MessageTest, UpdateDataSetsTheMessagesOwnColumnsByPosition) {
    ok(message.get(), u"AddData", {var_i4(1), *txt("c"), var_i4(2), *txt("t")});
    auto r = ok(message.get(), u"UpdateData",
                {var_i4(1), var_i4(7), *txt("it's new"), var_i4(8), *txt("标题")});
    EXPECT_EQ(r.value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(value("SELECT PersonID FROM DATA_Msg"), "7");
    EXPECT_EQ(value("SELECT MsgContent FROM DATA_Msg"), "it's new");
    EXPECT_EQ(value("SELECT MsgFromPersonID FROM DATA_Msg"), "8");
    EXPECT_EQ(value("SELECT MsgTitle FROM DATA_Msg"), "标题");

    // By name, with empty person identifiers: both become null.
    std::vector<Named> named{{u"DeptParentID", var_empty()}, {u"DeptName", var_null()}};
    auto by_name = call(message.get(), u"UpdateData", {var_i4(1)},
                        {{u"DeptMomo", *txt("")}, {u"DeptOrder", *txt("")}, named[0], named[1]});
    ASSERT_EQ(by_name.hr, S_OK) << by_name.description;
    EXPECT_EQ(value("SELECT PersonID FROM DATA_Msg"), "<null>");
    EXPECT_EQ(value("SELECT MsgFromPersonID FROM DATA_Msg"), "<null>");
    EXPECT_EQ(value("SELECT MsgTitle FROM DATA_Msg"), "");

    EXPECT_EQ(
        ok(message.get(), u"UpdateData", {var_i4(9), var_i4(1), *txt(""), var_i4(1), *txt("")})
            .value->boolVal,
        VARIANT_TRUE);
    Cells rec = read(message.get(), u"GetData", {var_i2(1)});
    ASSERT_EQ(rec.rows, 2);
    EXPECT_EQ(rec.lower(0, 4), "msgtitle");
    EXPECT_EQ(rec.at(1, 1).vt, VT_NULL);
}

TEST_P(MessageTest, FractionalPersonIdentifiersFailTheCallAndChangeNothing) {
    ok(message.get(), u"AddData", {var_i4(1), *txt("c"), var_i4(2), *txt("t")});
    auto r = call(message.get(), u"UpdateData",
                  {var_i4(1), var_i4(1), *txt("d"), var_r8(2.5), *txt("t")});
    EXPECT_EQ(r.scode, tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(value("SELECT MsgFromPersonID FROM DATA_Msg"), "2");
    EXPECT_EQ(value("SELECT MsgContent FROM DATA_Msg"), "c");
}

TEST_P(MessageTest, TheTypedInterfaceHandsOverTheArrays) {
    Ptr<tarvo::_Message> typed;
    ASSERT_EQ(message->QueryInterface(tarvo::IID__Message, typed.out_void()), S_OK);
    SAFEARRAY* rows = reinterpret_cast<SAFEARRAY*>(1);
    ASSERT_EQ(typed->GetPageData(var_i4(5), var_i4(1), &rows), S_OK);
    EXPECT_EQ(rows, nullptr);  // the empty array
    ASSERT_EQ(typed->GetAllData(&rows), S_OK);
    ASSERT_NE(rows, nullptr);
    LONG hi;
    SafeArrayGetUBound(rows, 1, &hi);
    EXPECT_EQ(hi, 0);  // the header row alone
    SafeArrayGetUBound(rows, 2, &hi);
    EXPECT_EQ(hi, 4);
    SafeArrayDestroy(rows);
    rows = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(typed->GetPageData(var_i4(0), var_i4(1), &rows), static_cast<HRESULT>(0x800A0BB9));
    EXPECT_EQ(rows, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, MessageTest, ::testing::ValuesIn(backend_names()),
                         testing_support::backend_name);

}  // namespace
