// How tarvo-com prints the outcome of a call.
//  json:  one object per line, {"ok":true,"result":R} or
//         {"ok":false,"hresult":"0x...","description":"..."}; R is true/false, a string, a
//         number, null (Null), {"empty":true} (Empty), or for an array
//         {"rows":N,"cols":M,"cells":[[...],...]} ({"rows":0,"cols":0,"cells":[]} for the
//         empty array).
//  table: arrays as aligned columns (Null as NULL, Empty as nothing), other values as text;
//         failures on standard error.
//  tsv:   arrays as tab-separated lines (Null as \N, Empty as nothing; tab, line break and
//         backslash escaped as \t, \n, \\), other values on one line; failures on standard
//         error.
#pragma once

#include <iosfwd>
#include <string>

#include "tools/tarvo-com/session.h"

namespace tarvo_com {

enum class Format { table, json, tsv };

// `what` names the call (PROGID.METHOD) in failure messages of the text formats.
void print(const Outcome& outcome, Format format, const std::string& what, std::ostream& out,
           std::ostream& err);

std::string to_json(const Outcome& outcome);

}  // namespace tarvo_com
