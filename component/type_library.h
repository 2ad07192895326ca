// The type library `Tarvo` 1.0 as data: classes, interfaces, methods in slot order with their
// DISPIDs, parameter names, kinds and passing. Registration and dispatch both read it.
#pragma once

#include <string_view>
#include <vector>

#include "component/interfaces.h"

namespace tarvo {

struct ParamInfo {
    std::u16string_view name;
    com::VARTYPE type;  // VT_VARIANT, VT_I2, or VT_DISPATCH for the connection
    bool by_ref;
};

struct MethodInfo {
    int slot;  // 1 = the first slot after IDispatch's
    std::u16string_view name;
    std::vector<ParamInfo> params;
    com::VARTYPE result;  // VT_EMPTY (none), VT_BSTR, VT_BOOL or VT_ARRAY|VT_VARIANT
    com::DISPID dispid() const { return dispid_of_slot(slot); }
};

struct InterfaceInfo {
    std::string_view name;
    com::IID iid;
    std::vector<MethodInfo> methods;
    // Hidden, non-extensible, dual, OLE Automation compatible, derived from IDispatch.
};

struct ClassInfo {
    std::string_view name;
    std::string_view progid;
    com::CLSID clsid;
    InterfaceInfo iface;  // the only and default interface
};

struct ImportedLibrary {
    std::string_view name;
    com::GUID libid;
};

struct TypeLibraryInfo {
    std::string_view name;
    com::GUID libid;
    int major, minor;
    com::LCID lcid;
    std::vector<ImportedLibrary> imports;
    std::vector<ClassInfo> classes;
};

const TypeLibraryInfo& type_library();
const ClassInfo& department_class();
const ClassInfo& person_class();
const ClassInfo& message_class();

}  // namespace tarvo
