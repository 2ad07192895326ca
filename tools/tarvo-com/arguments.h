// The arguments of a call as people and scripts write them: a decimal integer is a 4-byte
// integer, `null` is Null, `empty` is Empty, anything else (or anything in double quotes)
// is text, and `Name:=value` passes the value by name.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/com/variant.h"

namespace tarvo_com {

struct Argument {
    std::optional<std::u16string> name;  // set for Name:=value
    com::Variant value;
};

// A malformed argument or line; the message says which and why.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// `raw` is one argument as written, double quotes included when it was quoted.
Argument parse_argument(const std::string& raw);

// Splits one line of a batch into arguments at blanks and tabs. A double-quoted part may
// hold blanks; inside it \" stands for a quote and \\ for a backslash. Quotes stay in the
// pieces, so parse_argument still sees that a value was quoted.
std::vector<std::string> split_line(const std::string& line);

}  // namespace tarvo_com
