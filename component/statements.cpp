#include "component/statements.h"

#include "component/statement.h"
#include "platform/com/bstr.h"

namespace tarvo {

namespace {

// ",," -> ",null,"; ",)" -> ",NUll)"; "(," -> "(null,"
const NullRule department_insert_rules[] = {
    {u",", u",", u"null"}, {u",", u")", u"NUll"}, {u"(", u",", u"null"}};
// "=," -> "=null,"; "= where" -> "= null where"
const NullRule department_update_rules[] = {{u"=", u",", u"null"}, {u"=", u" where", u" null"}};
// ",," -> ",null,"; "(," -> "(null,"; ",)" -> ",null)"
const NullRule person_insert_rules[] = {
    {u",", u",", u"null"}, {u"(", u",", u"null"}, {u",", u")", u"null"}};
// "=," -> "=NULL,"; "= where" -> "= null where"
const NullRule person_update_rules[] = {{u"=", u",", u"NULL"}, {u"=", u" where", u" null"}};
// ",," -> ",null,"
const NullRule message_insert_rules[] = {{u",", u",", u"null"}};
// "=," -> "=null,"
const NullRule message_update_rules[] = {{u"=", u",", u"null"}};

// Empty, Null or the empty text, also behind a reference: the top-level form of the update.
bool is_empty_or_null(const VARIANT& value) {
    com::Variant v;
    if (com::FAILED(com::VariantCopyInd(v.get(), &value))) return false;
    return v->vt == com::VT_EMPTY || v->vt == com::VT_NULL ||
           (v->vt == com::VT_BSTR && com::SysStringLen(v->bstrVal) == 0);
}

std::u16string delete_by(std::u16string_view prefix, const VARIANT& id) {
    Statement s;
    s.text(prefix).bare(u"ID", id);
    return s.str();
}

std::u16string record_by(std::u16string_view prefix, short id) {
    Statement s;
    s.text(prefix).integer(id);
    return s.str();
}

}  // namespace

std::u16string department_insert(const VARIANT& name, const VARIANT& order, const VARIANT& parent,
                                 const VARIANT& memo) {
    Statement s;
    s.text(u"Insert into Hr_Dept(DeptName,DeptOrder,DeptParentID,DeptMemo) values (' ")
        .quoted(u"DeptName", name)
        .text(u" ',")
        .whole(u"DeptOrder", order)
        .text(u",")
        .whole(u"DeptParentID", parent)
        .text(u",'")
        .quoted(u"DeptMemo", memo)
        .text(u"')");
    return s.str(department_insert_rules);
}

std::u16string department_delete(const VARIANT& id) {
    return delete_by(u"Delete from HR_Dept where DeptID=", id);
}

std::u16string department_update(const VARIANT& id, const VARIANT& name, const VARIANT& order,
                                 const VARIANT& parent, const VARIANT& memo) {
    Statement s;
    s.text(u"update HR_Dept set DeptName ='")
        .quoted(u"DeptName", name)
        .text(u"',DeptOrder=")
        .whole(u"DeptOrder", order);
    if (is_empty_or_null(parent))
        s.text(u",DeptParentID= null ,DeptMemo=' ");
    else
        s.text(u",DeptParentID= ").whole(u"DeptParentID", parent).text(u" ,DeptMemo=' ");
    s.quoted(u"DeptMomo", memo).text(u"' where DeptID=").bare(u"ID", id);
    return s.str(department_update_rules);
}

std::u16string department_level(short parent) {
    if (parent == 0) return u"Select * from HR_Dept where DeptParentID IS NULL";
    Statement s;
    s.text(u"Select * from HR_Dept where DeptParentID=").integer(parent).text(u" ");
    return s.str();
}

std::u16string department_page() {
    return u"Select * from HR_Dept";
}

std::u16string department_record(short id) {
    return record_by(u"Select * From HR_Dept Where DeptID=", id);
}

std::u16string person_insert(const VARIANT* v) {
    Statement s;
    s.text(
         u"Insert into "
         u"HR_Person(DeptID,PersonName,PersonSex,PersonBirthday,PersonDuty,PersonAddr,PersonPhone,"
         u"PersonEmail,PersonWeb,PersonPhoto,PersonMomo,PersonType,PersonAccount,PersonPwd) "
         u"values (")
        .whole(u"DeptID", v[0])
        .text(u",'")
        .quoted(u"PersonName", v[1])
        .text(u"','")
        .quoted(u"PersonSex", v[2])
        .text(u"','")
        .quoted(u"PersonBirthday", v[3])
        .text(u"','")
        .quoted(u"PersonDuty", v[4])
        .text(u"','")
        .quoted(u"PersonAddr", v[5])
        .text(u"' ,'")
        .quoted(u"PersonPhone", v[6])
        .text(u"','")
        .quoted(u"PersonEmail", v[7])
        .text(u"','")
        .quoted(u"PersonWeb", v[8])
        .text(u"','")
        .quoted(u"PersonPhoto", v[9])
        .text(u"','")
        .quoted(u"PersonMomo", v[10])
        .text(u"','")
        .quoted(u"PersonType", v[11])
        .text(u"','")
        .quoted(u"PersonAccount", v[12])
        .text(u"','")
        .quoted(u"PersonPwd", v[13])
        .text(u"') ");
    return s.str(person_insert_rules);
}

std::u16string person_delete(const VARIANT& id) {
    return delete_by(u"Delete from HR_Person where PersonID=", id);
}

std::u16string person_update(const VARIANT& id, const VARIANT* v) {
    // The PersonPhoto value (v[9]) is accepted and not used: an update clears the photo.
    Statement s;
    s.text(u"update HR_Person set DeptID=")
        .whole(u"DeptID", v[0])
        .text(u",PersonName='")
        .quoted(u"PersonName", v[1])
        .text(u"',PersonSex='")
        .quoted(u"PersonSex", v[2])
        .text(u"',PersonBirthday='")
        .quoted(u"PersonBirthday", v[3])
        .text(u"',PersonDuty='")
        .quoted(u"PersonDuty", v[4])
        .text(u"',PersonAddr='")
        .quoted(u"PersonAddr", v[5])
        .text(u"',PersonPhone='")
        .quoted(u"PersonPhone", v[6])
        .text(u"',PersonEmail='")
        .quoted(u"PersonEmail", v[7])
        .text(u"',PersonWeb='")
        .quoted(u"PersonWeb", v[8])
        .text(u"',PersonPhoto= Null,PersonMomo='")
        .quoted(u"PersonMomo", v[10])
        .text(u"',PersonType=")
        .bare(u"PersonType", v[11])
        .text(u",PersonAccount='")
        .quoted(u"PersonAccount", v[12])
        .text(u"',PersonPwd='")
        .quoted(u"PersonPwd", v[13])
        .text(u"'  where personID=")
        .bare(u"ID", id);
    return s.str(person_update_rules);
}

std::u16string person_listing() {
    return u"Select * from Hr_Person ";
}

std::u16string person_page() {
    return u"Select * from HR_Person ";
}

std::u16string person_record(short id) {
    return record_by(u"Select * From HR_Person Where PersonID=", id);
}

std::u16string person_of_department(const VARIANT& dept) {
    Statement s;
    s.text(u"Select * from Hr_Person where DeptID=").bare(u"DeptID", dept);
    return s.str();
}

std::u16string message_insert(const VARIANT& person, const VARIANT& content, const VARIANT& from,
                              const VARIANT& title) {
    Statement s;
    s.text(u"Insert into DATA_Msg(PersonID,MsgContent,MsgFromPersonID,MsgTitle) values (")
        .whole(u"PersonID", person)
        .text(u",'")
        .quoted(u"MsgContent", content)
        .text(u"',")
        .whole(u"MsgFromPersonID", from)
        .text(u",'")
        .quoted(u"MsgTitle", title)
        .text(u"') ");
    return s.str(message_insert_rules);
}

std::u16string message_delete(const VARIANT& id) {
    return delete_by(u"Delete from DATA_Msg where MsgID=", id);
}

std::u16string message_update(const VARIANT& id, const VARIANT& person, const VARIANT& content,
                              const VARIANT& from, const VARIANT& title) {
    Statement s;
    s.text(u"update DATA_Msg set PersonID=")
        .whole(u"DeptName", person)
        .text(u",MsgContent='")
        .quoted(u"DeptOrder", content)
        .text(u"',MsgFromPersonID=")
        .whole(u"DeptParentID", from)
        .text(u",MsgTitle='")
        .quoted(u"DeptMomo", title)
        .text(u"' where MsgID=")
        .bare(u"ID", id);
    return s.str(message_update_rules);
}

std::u16string message_listing() {
    return u"Select * from DATA_Msg";
}

std::u16string message_page() {
    return u"Select * from DATA_Msg";
}

std::u16string message_record(short id) {
    return record_by(u"Select * From DATA_Msg Where MsgID=", id);
}

}  // namespace tarvo
