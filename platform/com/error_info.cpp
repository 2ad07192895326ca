#include "platform/com/error_info.h"

#include <atomic>
#include <cstdio>

#include "platform/com/bstr.h"

namespace com {

namespace {

class ErrorObject final : public IErrorInfo {
  public:
    ErrorObject(const IID& iid, std::u16string_view source, std::u16string_view description)
        : iid_(iid), source_(source), description_(description) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IErrorInfo) {
            AddRef();
            *object = static_cast<IErrorInfo*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    HRESULT GetGUID(GUID* guid) override { return guid ? (*guid = iid_, S_OK) : E_POINTER; }
    HRESULT GetSource(BSTR* s) override { return give(source_, s); }
    HRESULT GetDescription(BSTR* s) override { return give(description_, s); }
    HRESULT GetHelpFile(BSTR* s) override { return give(u"", s); }
    HRESULT GetHelpContext(DWORD* c) override { return c ? (*c = 0, S_OK) : E_POINTER; }

  private:
    static HRESULT give(std::u16string_view text, BSTR* out) {
        if (!out) return E_POINTER;
        *out = make_bstr(text);
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    IID iid_;
    std::u16string source_, description_;
};

thread_local Ptr<IErrorInfo> current_error;

}  // namespace

HRESULT SetErrorInfo(DWORD, IErrorInfo* info) {
    current_error = Ptr<IErrorInfo>(info, true);
    return S_OK;
}

HRESULT GetErrorInfo(DWORD, IErrorInfo** info) {
    if (!info) return E_POINTER;
    *info = current_error.detach();
    return *info ? S_OK : S_FALSE;
}

HRESULT report_error(HRESULT code, REFIID iid, std::u16string_view source,
                     std::u16string_view description) {
    current_error = Ptr<IErrorInfo>(new ErrorObject(iid, source, description));
    return code;
}

HRESULT report_error(HRESULT code, REFIID iid, std::string_view source,
                     std::string_view description) {
    return report_error(code, iid, std::u16string_view(to_utf16(source)),
                        std::u16string_view(to_utf16(description)));
}

bool take_error(ErrorText& out) {
    Ptr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK) return false;
    Bstr source, description;
    info->GetSource(source.out());
    info->GetDescription(description.out());
    out.source = source.view();
    out.description = description.view();
    return true;
}

std::string hresult_text(HRESULT code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(code));
    return buf;
}

}  // namespace com
