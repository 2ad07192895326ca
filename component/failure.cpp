#include "component/failure.h"

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"

namespace tarvo {

namespace {
thread_local std::u16string last_error_text;
}

void fail(HRESULT code, std::u16string_view description) {
    throw Failure{code, std::u16string(description)};
}

void fail(HRESULT code, std::string_view description) {
    throw Failure{code, com::to_utf16(description)};
}

void raise_failure(HRESULT code, std::string_view what) {
    com::ErrorText text;
    if (com::take_error(text) && !text.description.empty()) throw Failure{code, text.description};
    fail(code, std::string(what) + " failed with " + com::hresult_text(code));
}

const std::u16string& last_error() {
    return last_error_text;
}

HRESULT report(const Failure& f, std::string_view source, const com::IID& iid) {
    last_error_text = f.description;
    return com::report_error(f.code, iid, std::u16string_view(com::to_utf16(source)),
                             std::u16string_view(f.description));
}

}  // namespace tarvo
