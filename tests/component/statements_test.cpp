// Every statement of the three classes, letter for letter, with its null substitution.
#include <gtest/gtest.h>

#include "component/statements.h"
#include "platform/com/bstr.h"

using namespace com;
using namespace tarvo;

namespace {

Variant txt(std::string_view s) {
    return Variant::adopt(var_text(s));
}

TEST(Statements, Department) {
    EXPECT_EQ(department_insert(*txt("Sales"), var_i4(3), var_i4(1), *txt("m")),
              u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' Sales "
              u"',3,1,'m')");
    EXPECT_EQ(department_insert(*txt("S"), var_i4(3), *txt(""), *txt("")),
              u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' S "
              u"',3,null,'')");
    EXPECT_EQ(department_delete(var_i4(4)), u"Delete from HR_Dept where DeptID=4");
    EXPECT_EQ(department_update(var_i4(2), *txt("S"), var_i4(1), var_i4(5), *txt("m")),
              u"update HR_Dept set DeptName ='S',DeptOrder=1,DeptParentID= 5 ,DeptMemo=' m' "
              u"where DeptID=2");
    const std::u16string top =
        u"update HR_Dept set DeptName ='S',DeptOrder=null,DeptParentID= null ,DeptMemo=' m' "
        u"where DeptID=2";
    EXPECT_EQ(department_update(var_i4(2), *txt("S"), *txt(""), var_empty(), *txt("m")), top);
    EXPECT_EQ(department_update(var_i4(2), *txt("S"), var_null(), var_null(), *txt("m")), top);
    Variant blank = txt("");
    EXPECT_EQ(department_update(var_i4(2), *txt("S"), var_null(), var_ref(blank.get()), *txt("m")),
              top);
    EXPECT_EQ(department_level(0), u"Select * from HR_Dept where DeptParentID IS NULL");
    EXPECT_EQ(department_level(-12), u"Select * from HR_Dept where DeptParentID=-12 ");
    EXPECT_EQ(department_page(), u"Select * from HR_Dept");
    EXPECT_EQ(department_record(7), u"Select * From HR_Dept Where DeptID=7");
}

TEST(Statements, Person) {
    std::vector<Variant> v;
    v.push_back(Variant::adopt(var_i4(1)));
    for (int i = 1; i < 14; ++i) v.push_back(txt("v" + std::to_string(i)));
    std::vector<VARIANT> raw;
    for (auto& x : v) raw.push_back(*x);
    EXPECT_EQ(person_insert(raw.data()),
              u"Insert into "
              u"HR_Person(DeptID,PersonName,PersonSex,PersonBirthday,PersonDuty,PersonAddr,"
              u"PersonPhone,PersonEmail,PersonWeb,PersonPhoto,PersonMomo,PersonType,"
              u"PersonAccount,PersonPwd) values "
              u"(1,'v1','v2','v3','v4','v5' ,'v6','v7','v8','v9','v10','v11','v12','v13') ");
    raw[0] = var_empty();
    EXPECT_TRUE(person_insert(raw.data()).find(u"values (null,'v1'") != std::u16string::npos);
    raw[0] = var_i4(2);
    raw[11] = var_i4(3);
    EXPECT_EQ(person_update(var_i4(9), raw.data()),
              u"update HR_Person set "
              u"DeptID=2,PersonName='v1',PersonSex='v2',PersonBirthday='v3',PersonDuty='v4',"
              u"PersonAddr='v5',PersonPhone='v6',PersonEmail='v7',PersonWeb='v8',PersonPhoto= "
              u"Null,PersonMomo='v10',PersonType=3,PersonAccount='v12',PersonPwd='v13'  where "
              u"personID=9");
    raw[0] = var_null();
    raw[11] = var_empty();
    std::u16string nulls = person_update(var_i4(9), raw.data());
    EXPECT_TRUE(nulls.starts_with(u"update HR_Person set DeptID=NULL,PersonName='v1'"));
    EXPECT_NE(nulls.find(u",PersonType=NULL,PersonAccount="), std::u16string::npos);
    EXPECT_EQ(person_delete(var_i4(3)), u"Delete from HR_Person where PersonID=3");
    EXPECT_EQ(person_listing(), u"Select * from Hr_Person ");
    EXPECT_EQ(person_page(), u"Select * from HR_Person ");
    EXPECT_EQ(person_record(-2), u"Select * From HR_Person Where PersonID=-2");
    EXPECT_EQ(person_of_department(var_i4(4)), u"Select * from Hr_Person where DeptID=4");
    EXPECT_EQ(person_of_department(var_empty()), u"Select * from Hr_Person where DeptID=");
}

TEST(Statements, Message) {
    EXPECT_EQ(message_insert(var_i4(1), *txt("c"), var_i4(2), *txt("t")),
              u"Insert into DATA_Msg(PersonID,MsgContent,MsgFromPersonID,MsgTitle) values "
              u"(1,'c',2,'t') ");
    EXPECT_EQ(message_insert(var_empty(), *txt("c"), var_null(), *txt("t")),
              u"Insert into DATA_Msg(PersonID,MsgContent,MsgFromPersonID,MsgTitle) values "
              u"(,'c',null,'t') ");
    EXPECT_EQ(message_delete(var_i4(5)), u"Delete from DATA_Msg where MsgID=5");
    EXPECT_EQ(message_update(var_i4(5), var_i4(1), *txt("c"), var_i4(2), *txt("t")),
              u"update DATA_Msg set PersonID=1,MsgContent='c',MsgFromPersonID=2,MsgTitle='t' "
              u"where MsgID=5");
    EXPECT_EQ(message_update(var_i4(5), var_null(), *txt(""), *txt(""), *txt("")),
              u"update DATA_Msg set PersonID=null,MsgContent='',MsgFromPersonID=null,MsgTitle='' "
              u"where MsgID=5");
    EXPECT_EQ(message_listing(), u"Select * from DATA_Msg");
    EXPECT_EQ(message_page(), u"Select * from DATA_Msg");
    EXPECT_EQ(message_record(1), u"Select * From DATA_Msg Where MsgID=1");
}

}  // namespace
