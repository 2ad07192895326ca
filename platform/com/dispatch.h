// A table-driven IDispatch: member names -> DISPIDs, parameter names -> positions, and
// Invoke with positional arguments (given last-first), named arguments, by-reference
// arguments and coercion of each argument to its declared kind before the typed method runs.
#pragma once

#include <string_view>
#include <vector>

#include "platform/com/interfaces.h"

namespace com {

struct ParamDesc {
    std::u16string_view name;
    VARTYPE type;         // VT_VARIANT accepts any value unchanged
    bool by_ref = false;  // the method gets a pointer to the caller's storage
    // A missing optional argument is VT_ERROR/DISP_E_PARAMNOTFOUND for VT_VARIANT, the
    // empty text for VT_BSTR, and `fallback` for numbers.
    bool optional = false;
    LONG fallback = 0;
};

enum class MemberKind { method, property_get, property_put };

// Calls the typed method. `args[i]` is parameter i: by value, a VARIANT of the declared
// kind; by reference, VT_BYREF|kind pointing at the storage. `result` starts Empty.
using Invoker = HRESULT (*)(IDispatch* self, VARIANT* args, VARIANT* result);

struct MemberDesc {
    DISPID id;
    std::u16string_view name;
    MemberKind kind;
    std::vector<ParamDesc> params;
    Invoker call;
};

class DispatchTable {
  public:
    explicit DispatchTable(std::vector<MemberDesc> members) : members_(std::move(members)) {}

    // names[0] is a member, names[1..] its parameters; unknown names get DISPID_UNKNOWN and
    // the call returns DISP_E_UNKNOWNNAME.
    HRESULT ids_of_names(LPOLESTR* names, UINT count, DISPID* ids) const;
    // On a failure of the method, fills `excepinfo` from the thread's error information and
    // returns DISP_E_EXCEPTION (without `excepinfo`, returns the method's own code).
    HRESULT invoke(IDispatch* self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepinfo, UINT* arg_error) const;

    const std::vector<MemberDesc>& members() const { return members_; }

  private:
    const MemberDesc* find(DISPID id, WORD flags) const;

    std::vector<MemberDesc> members_;
};

}  // namespace com
