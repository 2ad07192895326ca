// What the three classes share: reference counting, QueryInterface, the dispatch table built
// from the type library, SetConn, GetError, and running an operation so that any failure
// gives the failure code with error information, Boolean False or the empty array.
#pragma once

#include <utility>
#include <vector>

#include "component/failure.h"
#include "component/gateway.h"
#include "component/result_array.h"
#include "component/statement.h"
#include "component/type_library.h"
#include "platform/com/bstr.h"
#include "platform/com/guard.h"
#include "platform/com/object.h"

namespace tarvo {

com::ModuleState& module_state();

// The dispatch table of a class: the members of its interface in the type library, each
// calling the typed method through `invokers[slot - 1]`.
com::DispatchTable make_dispatch_table(const ClassInfo& info,
                                       const std::vector<com::Invoker>& invokers);

// Also answers ISupportErrorInfo, so clients know to look for error information.
template <class Interface>
class ClassObject : public com::DispatchObject<Interface>, public com::ISupportErrorInfo {
  public:
    explicit ClassObject(const ClassInfo& info)
        : com::DispatchObject<Interface>(module_state()), info_(info) {}

    HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (iid == com::IID_ISupportErrorInfo && object) {
            AddRef();
            *object = static_cast<com::ISupportErrorInfo*>(this);
            return com::S_OK;
        }
        return com::query_as<Interface>(this, iid, object,
                                        {com::IID_IUnknown, com::IID_IDispatch, info_.iface.iid});
    }
    com::ULONG AddRef() override { return com::DispatchObject<Interface>::AddRef(); }
    com::ULONG Release() override { return com::DispatchObject<Interface>::Release(); }

    HRESULT InterfaceSupportsErrorInfo(const com::IID& iid) override {
        return iid == info_.iface.iid ? com::S_OK : com::S_FALSE;
    }

    // A missing or null object clears the connection.
    HRESULT SetConn(ado::_Connection** pConn) override {
        gateway_.set_connection(pConn ? *pConn : nullptr);
        return com::S_OK;
    }

    // Never fails and never clears the text.
    HRESULT GetError(BSTR* result) override {
        if (!result) return com::E_POINTER;
        *result = com::make_bstr(std::u16string_view(last_error()));
        return com::S_OK;
    }

  protected:
    // Runs a write: True when `body` returns, False and the failure otherwise.
    template <class Body>
    HRESULT write(VARIANT_BOOL* result, Body&& body) {
        if (result) *result = com::VARIANT_FALSE;
        return boundary([&] {
            body();
            if (result) *result = com::VARIANT_TRUE;
        });
    }

    // Runs a read: the array `body` builds, or the empty array and the failure.
    template <class Body>
    HRESULT read(SAFEARRAY** result, Body&& body) {
        if (result) *result = nullptr;
        return boundary([&] {
            ResultArray array = body();
            if (result) *result = array.release();
        });
    }

    // Runs an operation at the automation boundary: its Failure, or any exception (out of
    // memory, say), becomes the last error and a code with error information.
    template <class Body>
    HRESULT boundary(Body&& body) {
        return com::guard(
            [&]() -> HRESULT {
                try {
                    body();
                } catch (const Failure& f) {
                    return report(f, info_.progid, info_.iface.iid);
                }
                return com::S_OK;
            },
            [&](HRESULT code, std::string_view text) {
                return report(Failure{code, com::to_utf16(text)}, info_.progid, info_.iface.iid);
            });
    }

    // The value a by-reference parameter points to; a null pointer fails the call.
    static const com::VARIANT& required(const com::VARIANT* value, std::u16string_view param) {
        if (!value) {
            std::u16string text = u"Parameter ";
            text += param;
            text += u": no value was passed";
            fail(com::E_POINTER, text);
        }
        return *value;
    }

    const ClassInfo& info_;
    Gateway gateway_;
};

com::HRESULT create_department(const com::IID& iid, void** object);
com::HRESULT create_person(const com::IID& iid, void** object);
com::HRESULT create_message(const com::IID& iid, void** object);

}  // namespace tarvo
