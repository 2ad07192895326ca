// Per-thread error information: a failing call leaves an error object on its thread, and
// the caller picks it up to learn the failure's description.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/interfaces.h"

namespace com {

// Makes `info` the thread's current error (nullptr clears it).
HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info);
// Hands the thread's current error to the caller and clears it; S_FALSE when there is none.
HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info);

// Creates an error object, makes it the thread's current error and returns `code`, so a
// failing method can end with `return report_error(...)`.
HRESULT report_error(HRESULT code, REFIID iid, std::u16string_view source,
                     std::u16string_view description);
HRESULT report_error(HRESULT code, REFIID iid, std::string_view source,
                     std::string_view description);

struct ErrorText {
    std::u16string source;
    std::u16string description;
};
// Takes the thread's current error (clearing it); false when there is none.
bool take_error(ErrorText& out);

// "0x80020005", for messages.
std::string hresult_text(HRESULT code);

}  // namespace com
