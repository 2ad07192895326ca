// The statement of every operation of the three classes, built from its literal fragments
// and argument values, with the operation's null substitution applied. Values written into
// integer columns must be whole numbers; identifiers after WHERE are only compared (a
// fraction matches no row) and PersonType is a text column, so those stay plain bare values.
#pragma once

#include <string>

#include "platform/com/variant.h"

namespace tarvo {

using com::VARIANT;

// Department (HR_Dept).
std::u16string department_insert(const VARIANT& name, const VARIANT& order, const VARIANT& parent,
                                 const VARIANT& memo);
std::u16string department_delete(const VARIANT& id);
// A Null DeptParentID makes the department top-level, as the empty text does.
std::u16string department_update(const VARIANT& id, const VARIANT& name, const VARIANT& order,
                                 const VARIANT& parent, const VARIANT& memo);
// The statement of one level of the tree: the top level for 0, else the children of `parent`.
std::u16string department_level(short parent);
std::u16string department_page();
std::u16string department_record(short id);

// Person (HR_Person); `v` holds the fourteen values of AddData in their order.
std::u16string person_insert(const VARIANT* v);
std::u16string person_delete(const VARIANT& id);
std::u16string person_update(const VARIANT& id, const VARIANT* v);
std::u16string person_listing();
std::u16string person_page();
std::u16string person_record(short id);
std::u16string person_of_department(const VARIANT& dept);

// Message (DATA_Msg).
std::u16string message_insert(const VARIANT& person, const VARIANT& content, const VARIANT& from,
                              const VARIANT& title);
std::u16string message_delete(const VARIANT& id);
// ID -> MsgID, DeptName -> PersonID, DeptOrder -> MsgContent, DeptParentID ->
// MsgFromPersonID, DeptMomo -> MsgTitle; empty person identifiers become null.
std::u16string message_update(const VARIANT& id, const VARIANT& person, const VARIANT& content,
                              const VARIANT& from, const VARIANT& title);
std::u16string message_listing();
std::u16string message_page();
std::u16string message_record(short id);

}  // namespace tarvo
