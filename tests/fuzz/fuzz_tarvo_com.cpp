// tarvo-com's arguments and batch lines: a line splits into pieces or is refused as a usage
// error, every piece parses into a value or is refused so, and any words quoted as the help
// says split back into exactly those texts.
#include "platform/com/bstr.h"
#include "platform/text/utf8.h"
#include "tests/fuzz/fuzz.h"
#include "tools/tarvo-com/arguments.h"

namespace {

using tarvo_com::UsageError;

void any_line(std::string_view line) {
    std::vector<std::string> pieces;
    try {
        pieces = tarvo_com::split_line(std::string(line));
    } catch (const UsageError&) {
        return;
    }
    for (const auto& p : pieces) {
        fuzz::check(!p.empty(), "an empty piece");
        try {
            tarvo_com::parse_argument(p);
        } catch (const UsageError&) {
        }
    }
}

std::string quoted(std::string_view word) {
    std::string q = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

// The input cut at 0x01 bytes into words, each quoted, joined by blanks.
void round_trip(std::string_view input) {
    std::vector<std::string> words;
    std::string line;
    for (std::size_t start = 0;;) {
        std::size_t end = input.find('\x01', start);
        std::string word(input.substr(start, end - start));
        // A line ends at a line break, and a batch line is UTF-8 or refused before parsing.
        if (word.find_first_of("\n") != std::string::npos || !text::is_valid_utf8(word)) return;
        words.push_back(word);
        line += (line.empty() ? "" : " ") + quoted(word);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    const auto pieces = tarvo_com::split_line(line);
    fuzz::check(pieces.size() == words.size(), "quoted words split into another count");
    for (std::size_t i = 0; i < words.size(); ++i) {
        tarvo_com::Argument a = tarvo_com::parse_argument(pieces[i]);
        fuzz::check(!a.name, "a quoted word read as a named argument");
        fuzz::check(a.value->vt == com::VT_BSTR, "a quoted word is not text");
        fuzz::check(com::bstr_utf8(a.value->bstrVal) == words[i], "a quoted word changed");
    }
}

}  // namespace

std::vector<std::string> fuzz::seeds() {
    return {"Tarvo.Department AddData \"Sales\" 3 empty \"备注\"",
            "Tarvo.Person GetPageData nPageSize:=10 nPage:=1",
            "Tarvo.Message AddData 1 \"it's \\\"quoted\\\"\" null Title",
            "a\x01 b\x01\\\x01\"\x01null\x01"
            "5\x01Name:=x",
            "# comment",
            ""};
}

std::vector<std::string> fuzz::tokens() {
    return {":=", "\\\"", "\\\\", "null", "empty", "-2147483649", "2147483647", "\x01"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = fuzz::as_text(data, size);
    any_line(in);
    round_trip(in);
    return 0;
}
