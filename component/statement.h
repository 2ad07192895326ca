// Statement text built from literal fragments and argument values, left to right.
//
// A quoted value stands between apostrophes that belong to the literal fragments around it;
// an apostrophe inside the value is doubled, so the stored text equals the value and the
// value cannot end its literal. A bare value stands without apostrophes and must be Null,
// Empty, the empty text or a number (a numeric variant, or text of an optional sign, digits
// and an optional fraction); anything else fails the call with TARVO_E_CONVERSION, so only
// numbers reach the SQL text there. A bare value that goes into an integer column must be a
// whole number besides ("3.0" is one, "1.5" is not): PostgreSQL would round a fraction into
// the column where SQLite refuses it, so the call fails before either sees it.
//
// Null substitution: each operation may give a list of rules; an empty bare value whose
// neighbouring text matches a rule (`before` ends the text before it, `after` starts the text
// after it) is written as that rule's word, the first matching rule winning. Quoted values
// are never touched, and two empty bare values side by side both become the word.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/variant.h"

namespace tarvo {

struct NullRule {
    std::u16string_view before;
    std::u16string_view after;
    std::u16string_view word;
};

class Statement {
  public:
    Statement& text(std::u16string_view literal);
    Statement& quoted(std::u16string_view param, const com::VARIANT& value);
    Statement& bare(std::u16string_view param, const com::VARIANT& value);
    // A bare value for an integer column (see above).
    Statement& whole(std::u16string_view param, const com::VARIANT& value);
    // A 16-bit identifier in decimal, with a minus sign when negative.
    Statement& integer(long value);

    std::u16string str(std::span<const NullRule> rules = {}) const;

  private:
    enum class Kind { literal, quoted, bare };
    struct Segment {
        Kind kind;
        std::u16string text;
    };
    std::vector<Segment> segments_;
};

// The text form of a value in a quoted position: text unchanged, numbers in decimal,
// Null and Empty empty, Booleans True/False, dates YYYY-MM-DD[ HH:MM:SS]. Objects, arrays
// and error values fail with TARVO_E_CONVERSION.
std::u16string quoted_text(std::u16string_view param, const com::VARIANT& value);
// The text form of a value in a bare position (see above).
std::u16string bare_text(std::u16string_view param, const com::VARIANT& value);
// The text form of a value for an integer column: bare_text of a whole number.
std::u16string whole_text(std::u16string_view param, const com::VARIANT& value);
// Whether text reads as a decimal number: optional sign, digits, optional fraction.
bool is_decimal_number(std::u16string_view text);

}  // namespace tarvo
