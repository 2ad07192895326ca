// The automation boundary: no C++ exception crosses an Invoke or a method of an interface.
// Objects run each call through guard(); the kinds of failure they know are turned into
// their own codes inside the body, and whatever escapes it becomes a code with error
// information through `report`: E_OUTOFMEMORY when memory ran out, E_FAIL with the text of
// any other standard exception, E_UNEXPECTED for anything else.
#pragma once

#include <exception>
#include <new>
#include <string_view>

#include "platform/com/types.h"

namespace com {

// `body` returns the call's HRESULT; `report(code, text)` records a failure and returns the
// HRESULT the caller gets.
template <class Body, class Report>
HRESULT guard(Body&& body, Report&& report) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return report(E_OUTOFMEMORY, std::string_view("out of memory"));
    } catch (const std::exception& e) {
        return report(E_FAIL, std::string_view(e.what()));
    } catch (...) {
        return report(E_UNEXPECTED, std::string_view("an unexpected failure"));
    }
}

}  // namespace com
