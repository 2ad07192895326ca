// Building blocks of server objects: reference counting tied to the server's count of live
// objects (which DllCanUnloadNow reads), and IDispatch served from a DispatchTable.
#pragma once

#include <atomic>
#include <initializer_list>

#include "platform/com/dispatch.h"
#include "platform/com/guard.h"
#include "platform/com/interfaces.h"

namespace com {

// Live objects and lock count of one server module.
class ModuleState {
  public:
    void object_created() { ++objects_; }
    void object_destroyed() { --objects_; }
    void lock(bool on) { on ? ++locks_ : --locks_; }
    long objects() const { return objects_; }
    bool can_unload() const { return objects_ == 0 && locks_ == 0; }

  private:
    std::atomic<long> objects_{0};
    std::atomic<long> locks_{0};
};

// Hands out `self` as the interface asked for when `iid` is one of `iids`.
template <class I>
HRESULT query_as(I* self, REFIID iid, void** object, std::initializer_list<IID> iids) {
    if (!object) return E_POINTER;
    for (const IID& known : iids) {
        if (known == iid) {
            self->AddRef();
            *object = self;
            return S_OK;
        }
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// A reference-counted object implementing `Interface`; it deletes itself at count zero.
template <class Interface>
class ComObject : public Interface {
  public:
    explicit ComObject(ModuleState& module) : module_(module) { module_.object_created(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

  protected:
    virtual ~ComObject() { module_.object_destroyed(); }

  private:
    std::atomic<ULONG> refs_{1};
    ModuleState& module_;
};

// A ComObject whose interface derives from IDispatch, served by a table of its members.
template <class Interface>
class DispatchObject : public ComObject<Interface> {
  public:
    using ComObject<Interface>::ComObject;

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch_table().ids_of_names(names, count, ids);
    }
    // No exception crosses Invoke: one that escapes the call (memory running out while the
    // arguments are converted, say) becomes its code (guard.h).
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepinfo, UINT* arg_error) override {
        return guard(
            [&] {
                return dispatch_table().invoke(this, id, flags, params, result, excepinfo,
                                               arg_error);
            },
            [](HRESULT code, std::string_view) { return code; });
    }

  protected:
    virtual const DispatchTable& dispatch_table() const = 0;
};

}  // namespace com

namespace com {

// The class factory of one class: CreateInstance calls `create`; LockServer keeps the module
// loaded.
class ClassFactory final : public ComObject<IClassFactory> {
  public:
    using Create = HRESULT (*)(REFIID iid, void** object);
    ClassFactory(ModuleState& module, Create create)
        : ComObject(module), module_(module), create_(create) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return query_as<IClassFactory>(this, iid, object, {IID_IUnknown, IID_IClassFactory});
    }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, object);
    }
    HRESULT LockServer(BOOL lock) override {
        module_.lock(lock != 0);
        return S_OK;
    }

  private:
    ModuleState& module_;
    Create create_;
};

}  // namespace com
