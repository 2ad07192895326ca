#include "component/type_library.h"

namespace tarvo {

namespace {

using com::VT_ARRAY;
using com::VT_BOOL;
using com::VT_BSTR;
using com::VT_DISPATCH;
using com::VT_EMPTY;
using com::VT_I2;
using com::VT_VARIANT;

constexpr com::VARTYPE array_result = VT_ARRAY | VT_VARIANT;

std::vector<ParamInfo> by_value(std::initializer_list<std::u16string_view> names) {
    std::vector<ParamInfo> out;
    for (auto n : names) out.push_back({n, VT_VARIANT, false});
    return out;
}

const std::vector<std::u16string_view> person_fields = {
    u"DeptID",     u"PersonName",  u"PersonSex",     u"PersonBirthday", u"PersonDuty",
    u"PersonAddr", u"PersonPhone", u"PersonEmail",   u"PersonWeb",      u"PersonPhoto",
    u"PersonMomo", u"PersonType",  u"PersonAccount", u"PersonPwd"};

std::vector<ParamInfo> person_params(bool with_id) {
    std::vector<ParamInfo> out;
    if (with_id) out.push_back({u"ID", VT_VARIANT, false});
    for (auto n : person_fields) out.push_back({n, VT_VARIANT, false});
    return out;
}

// Slots 1, 2, 4, 7: the same in every class.
MethodInfo set_conn() {
    return {1, u"SetConn", {{u"pConn", VT_DISPATCH, true}}, VT_EMPTY};
}
MethodInfo get_error() {
    return {2, u"GetError", {}, VT_BSTR};
}
MethodInfo del_data() {
    return {4, u"DelData", {{u"ID", VT_VARIANT, true}}, VT_BOOL};
}
MethodInfo get_page_data() {
    return {7, u"GetPageData", by_value({u"nPageSize", u"nPage"}), array_result};
}
MethodInfo get_data() {
    return {8, u"GetData", {{u"ID", VT_I2, false}}, array_result};
}

ClassInfo make_department() {
    return {"Department",
            "Tarvo.Department",
            CLSID_Department,
            {"_Department",
             IID__Department,
             {set_conn(),
              get_error(),
              {3, u"AddData", by_value({u"DeptName", u"DeptOrder", u"DeptParentID", u"DeptMemo"}),
               VT_BOOL},
              del_data(),
              {5, u"UpdateData",
               by_value({u"ID", u"DeptName", u"DeptOrder", u"DeptParentID", u"DeptMomo"}), VT_BOOL},
              {6, u"GetAllData", {{u"ParentID", VT_I2, false}}, array_result},
              get_page_data(),
              get_data()}}};
}

ClassInfo make_person() {
    return {"Person",
            "Tarvo.Person",
            CLSID_Person,
            {"_Person",
             IID__Person,
             {set_conn(),
              get_error(),
              {3, u"AddData", person_params(false), VT_BOOL},
              del_data(),
              {5, u"UpdateData", person_params(true), VT_BOOL},
              {6, u"GetAllData", {}, array_result},
              get_page_data(),
              get_data(),
              {9, u"GetDeptData", {{u"DeptID", VT_VARIANT, true}}, array_result}}}};
}

ClassInfo make_message() {
    return {"Message",
            "Tarvo.Message",
            CLSID_Message,
            {"_Message",
             IID__Message,
             {set_conn(),
              get_error(),
              {3, u"AddData",
               by_value({u"PersonID", u"MsgContent", u"MsgFromPersonID", u"MsgTitle"}), VT_BOOL},
              del_data(),
              {5, u"UpdateData",
               by_value({u"ID", u"DeptName", u"DeptOrder", u"DeptParentID", u"DeptMomo"}), VT_BOOL},
              {6, u"GetAllData", {}, array_result},
              get_page_data(),
              get_data()}}};
}

}  // namespace

const TypeLibraryInfo& type_library() {
    static const TypeLibraryInfo library{
        "Tarvo",
        LIBID_Tarvo,
        1,
        0,
        0x0409,
        {{"stdole", com::GUID("00020430-0000-0000-C000-000000000046")},
         {"ADODB", ado::LIBID_ADODB}},
        {make_department(), make_person(), make_message()}};
    return library;
}

const ClassInfo& department_class() {
    return type_library().classes[0];
}
const ClassInfo& person_class() {
    return type_library().classes[1];
}
const ClassInfo& message_class() {
    return type_library().classes[2];
}

}  // namespace tarvo
