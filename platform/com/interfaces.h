// The standard interfaces of the object model, in their fixed slot order: IUnknown (3 slots),
// IDispatch (4 more), IClassFactory, error information. Interfaces have no destructors, so
// every slot of the table of functions is a declared method, in declaration order.
#pragma once

#include "platform/com/types.h"
#include "platform/com/variant.h"

namespace com {

constexpr IID IID_IUnknown{"00000000-0000-0000-C000-000000000046"};
constexpr IID IID_IClassFactory{"00000001-0000-0000-C000-000000000046"};
constexpr IID IID_IDispatch{"00020400-0000-0000-C000-000000000046"};
constexpr IID IID_IErrorInfo{"1CF2B120-547D-101B-8E65-08002B2BD119"};
constexpr IID IID_ISupportErrorInfo{"DF0B3D60-548F-101B-8E65-08002B2BD119"};
// The class that marshals dual interfaces from their type library.
constexpr CLSID CLSID_AutomationMarshaler{"00020424-0000-0000-C000-000000000046"};

constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

struct DISPPARAMS {
    VARIANT* rgvarg;  // arguments in reverse order: the last one first
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct ITypeInfo;  // type information is carried as data by each server; not handed out

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepinfo, UINT* arg_error) = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

struct IErrorInfo : IUnknown {
    virtual HRESULT GetGUID(GUID* guid) = 0;
    virtual HRESULT GetSource(BSTR* source) = 0;
    virtual HRESULT GetDescription(BSTR* description) = 0;
    virtual HRESULT GetHelpFile(BSTR* file) = 0;
    virtual HRESULT GetHelpContext(DWORD* context) = 0;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID iid) = 0;
};

// The signatures of the four entry points of an in-process server.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

// Owns one interface reference.
template <class T>
class Ptr {
  public:
    Ptr() = default;
    explicit Ptr(T* p, bool add_ref = false) : p_(p) {
        if (p_ && add_ref) p_->AddRef();
    }
    Ptr(const Ptr& o) : Ptr(o.p_, true) {}
    Ptr(Ptr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Ptr& operator=(Ptr o) {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ptr() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** out() {
        reset();
        return &p_;
    }
    void** out_void() { return reinterpret_cast<void**>(out()); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T* detach() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

  private:
    T* p_ = nullptr;
};

}  // namespace com
