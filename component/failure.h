// How an operation fails: a Failure (code + description) ends it, the description becomes
// the thread's last error for GetError, and the caller gets the code with error information.
#pragma once

#include <string>
#include <string_view>

#include "component/interfaces.h"

namespace tarvo {

struct Failure {
    HRESULT code;
    std::u16string description;
};

[[noreturn]] void fail(HRESULT code, std::u16string_view description);
[[noreturn]] void fail(HRESULT code, std::string_view description);
// Turns the failure of a data-access call into a Failure with that layer's own code and
// description (taken from the thread's error information).
[[noreturn]] void raise_failure(HRESULT code, std::string_view what);
// Inline: reads check every value they take.
inline void check(HRESULT code, std::string_view what) {
    if (com::FAILED(code)) raise_failure(code, what);
}

// The description of the last failure on this thread, for every instance of every class.
const std::u16string& last_error();

// Records `f` as the last error, leaves error information from `source` (a ProgID) for
// interface `iid`, and returns the failure's code.
HRESULT report(const Failure& f, std::string_view source, const com::IID& iid);

}  // namespace tarvo
