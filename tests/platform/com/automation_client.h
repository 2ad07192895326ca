// Test-side helpers for calling objects through IDispatch by name, as an automation client
// does: positional arguments are passed last-first, named ones first with their DISPIDs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/interfaces.h"

namespace testing_support {

struct CallResult {
    com::HRESULT hr = com::S_OK;
    com::Variant value;
    std::string source, description;  // from EXCEPINFO on DISP_E_EXCEPTION
    com::SCODE scode = 0;
    com::UINT arg_error = ~0u;
};

struct Named {
    std::u16string name;
    com::VARIANT value;
};

// Calls member `name` of `d`. `args` are in declaration order; the caller keeps ownership.
inline CallResult call(com::IDispatch* d, std::u16string name, std::vector<com::VARIANT> args,
                       std::vector<Named> named = {}, com::WORD flags = com::DISPATCH_METHOD) {
    CallResult out;
    std::vector<std::u16string> names{name};
    for (const auto& n : named) names.push_back(n.name);
    std::vector<com::LPOLESTR> raw;
    for (auto& n : names) raw.push_back(n.data());
    std::vector<com::DISPID> ids(names.size());
    out.hr = d->GetIDsOfNames(com::GUID_NULL, raw.data(), static_cast<com::UINT>(raw.size()), 0,
                              ids.data());
    if (com::FAILED(out.hr)) return out;
    std::vector<com::VARIANT> rgvarg;
    std::vector<com::DISPID> named_ids;
    for (std::size_t i = 0; i < named.size(); ++i) {
        rgvarg.push_back(named[i].value);
        named_ids.push_back(ids[i + 1]);
    }
    for (auto it = args.rbegin(); it != args.rend(); ++it) rgvarg.push_back(*it);
    com::DISPPARAMS params{rgvarg.data(), named_ids.data(), static_cast<com::UINT>(rgvarg.size()),
                           static_cast<com::UINT>(named_ids.size())};
    com::EXCEPINFO ex{};
    out.hr =
        d->Invoke(ids[0], com::GUID_NULL, 0, flags, &params, out.value.out(), &ex, &out.arg_error);
    if (out.hr == com::DISP_E_EXCEPTION) {
        out.source = com::bstr_utf8(ex.bstrSource);
        out.description = com::bstr_utf8(ex.bstrDescription);
        out.scode = ex.scode;
        com::SysFreeString(ex.bstrSource);
        com::SysFreeString(ex.bstrDescription);
        com::SysFreeString(ex.bstrHelpFile);
    }
    return out;
}

// Reads a property.
inline CallResult get(com::IDispatch* d, std::u16string name, std::vector<com::VARIANT> args = {}) {
    return call(d, std::move(name), std::move(args), {}, com::DISPATCH_PROPERTYGET);
}

// Sets a property: the value travels as the named argument DISPID_PROPERTYPUT.
inline com::HRESULT put(com::IDispatch* d, std::u16string name, com::VARIANT value) {
    com::LPOLESTR raw = name.data();
    com::DISPID id;
    com::HRESULT h = d->GetIDsOfNames(com::GUID_NULL, &raw, 1, 0, &id);
    if (com::FAILED(h)) return h;
    com::DISPID put_id = com::DISPID_PROPERTYPUT;
    com::DISPPARAMS params{&value, &put_id, 1, 1};
    return d->Invoke(id, com::GUID_NULL, 0, com::DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                     nullptr);
}

// An owned text argument (freed by the test's Variant holder).
inline com::Variant text(std::string_view utf8) {
    return com::Variant::adopt(com::var_text(utf8));
}

}  // namespace testing_support
