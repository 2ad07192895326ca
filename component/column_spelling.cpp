#include "component/column_spelling.h"

#include <algorithm>

namespace tarvo {
namespace {

constexpr std::u16string_view kDeclared[] = {
    // HR_Dept
    u"DeptID", u"DeptName", u"DeptOrder", u"DeptParentID", u"DeptMemo",
    // HR_Person
    u"PersonID", u"PersonName", u"PersonSex", u"PersonBirthday", u"PersonDuty", u"PersonAddr",
    u"PersonPhone", u"PersonEmail", u"PersonWeb", u"PersonPhoto", u"PersonMomo", u"PersonType",
    u"PersonAccount", u"PersonPwd",
    // DATA_Msg
    u"MsgID", u"MsgContent", u"MsgFromPersonID", u"MsgTitle"};

bool same_letters(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](auto x, auto y) { return lower(x) == lower(y); });
}

}  // namespace

std::u16string declared_spelling(std::u16string_view reported) {
    for (std::u16string_view name : kDeclared)
        if (same_letters(name, reported)) return std::u16string(name);
    return std::u16string(reported);
}

}  // namespace tarvo
