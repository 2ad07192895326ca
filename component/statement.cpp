#include "component/statement.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "component/failure.h"
#include "platform/com/bstr.h"

namespace tarvo {

using namespace com;

namespace {

const char* kind_name(VARTYPE vt) {
    if (vt & VT_ARRAY) return "an array";
    switch (vt & VT_TYPEMASK) {
        case VT_BOOL:
            return "a Boolean";
        case VT_DATE:
            return "a date";
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return "an object";
        case VT_ERROR:
            return "an error value";
        case VT_BSTR:
            return "text";
        default:
            return "a value of another kind";
    }
}

[[noreturn]] void conversion_failure(std::u16string_view param, const std::string& why) {
    fail(TARVO_E_CONVERSION, "Parameter " + to_utf8(param) + ": " + why);
}

VARIANT dereferenced(std::u16string_view param, const VARIANT& value) {
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT h = VariantCopyInd(&copy, &value);
    if (h == E_OUTOFMEMORY) fail(E_OUTOFMEMORY, "out of memory");
    if (FAILED(h)) conversion_failure(param, "the by-reference value cannot be read");
    return copy;
}

// The number as given, when it has a fraction: a Single or a Double that is not whole
// (written in full, not as rounded for the statement), or decimal text with a digit other
// than 0 after its point.
std::optional<std::string> fraction(const VARIANT& v, std::u16string_view text) {
    if (v.vt == VT_R4 || v.vt == VT_R8) {
        const double d = v.vt == VT_R4 ? v.fltVal : v.dblVal;
        if (d == std::trunc(d)) return std::nullopt;
        char digits[32];
        auto end = v.vt == VT_R4 ? std::to_chars(digits, digits + sizeof digits, v.fltVal).ptr
                                 : std::to_chars(digits, digits + sizeof digits, d).ptr;
        return std::string(digits, end);
    }
    const auto point = text.find(u'.');
    if (point == std::u16string_view::npos ||
        text.find_first_not_of(u'0', point + 1) == std::u16string_view::npos)
        return std::nullopt;
    return to_utf8(text);
}

}  // namespace

bool is_decimal_number(std::u16string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i, ++digits;
    if (digits == 0) return false;
    if (i < t.size() && t[i] == u'.') {
        ++i;
        std::size_t fraction = 0;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i, ++fraction;
        if (fraction == 0) return false;
    }
    return i == t.size();
}

std::u16string quoted_text(std::u16string_view param, const VARIANT& value) {
    Variant v = Variant::adopt(dereferenced(param, value));
    Variant text;
    const HRESULT h = VariantChangeType(text.get(), v.get(), VARIANT_ALPHABOOL, VT_BSTR);
    if (h == E_OUTOFMEMORY) fail(E_OUTOFMEMORY, "out of memory");
    if (FAILED(h))
        conversion_failure(param, std::string(kind_name(v->vt)) + " cannot be written as text");
    return std::u16string(bstr_view(text->bstrVal));
}

std::u16string bare_text(std::u16string_view param, const VARIANT& value) {
    Variant v = Variant::adopt(dereferenced(param, value));
    switch (v->vt) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_UI1:
            return quoted_text(param, *v);
        case VT_R4:
        case VT_R8: {
            double d = v->vt == VT_R4 ? v->fltVal : v->dblVal;
            if (!std::isfinite(d)) conversion_failure(param, "the number is not finite");
            return quoted_text(param, *v);
        }
        case VT_BSTR: {
            std::u16string_view t = bstr_view(v->bstrVal);
            if (t.empty() || is_decimal_number(t)) return std::u16string(t);
            conversion_failure(param, "the text \"" + to_utf8(t) + "\" is not a number");
        }
        default:
            conversion_failure(param, std::string(kind_name(v->vt)) + " cannot stand as a number");
    }
}

std::u16string whole_text(std::u16string_view param, const VARIANT& value) {
    Variant v = Variant::adopt(dereferenced(param, value));
    std::u16string text = bare_text(param, *v);
    if (auto number = fraction(*v, text))
        conversion_failure(param,
                           *number + " is not a whole number (the column holds whole numbers)");
    return text;
}

Statement& Statement::text(std::u16string_view literal) {
    segments_.push_back({Kind::literal, std::u16string(literal)});
    return *this;
}

Statement& Statement::quoted(std::u16string_view param, const VARIANT& value) {
    std::u16string text = quoted_text(param, value);
    // A database client would cut the statement at a zero character.
    if (text.find(u'\0') != std::u16string::npos)
        conversion_failure(param, "the text contains a zero character");
    std::u16string escaped;
    for (char16_t c : text) {
        escaped += c;
        if (c == u'\'') escaped += u'\'';
    }
    segments_.push_back({Kind::quoted, std::move(escaped)});
    return *this;
}

Statement& Statement::bare(std::u16string_view param, const VARIANT& value) {
    segments_.push_back({Kind::bare, bare_text(param, value)});
    return *this;
}

Statement& Statement::whole(std::u16string_view param, const VARIANT& value) {
    segments_.push_back({Kind::bare, whole_text(param, value)});
    return *this;
}

Statement& Statement::integer(long value) {
    std::string digits = std::to_string(value);
    segments_.push_back({Kind::literal, std::u16string(digits.begin(), digits.end())});
    return *this;
}

std::u16string Statement::str(std::span<const NullRule> rules) const {
    std::u16string out;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        const Segment& s = segments_[i];
        if (s.kind != Kind::bare || !s.text.empty() || rules.empty()) {
            out += s.text;
            continue;
        }
        // The text after this value as written so far (a following empty value adds nothing).
        std::u16string after;
        for (std::size_t j = i + 1; j < segments_.size(); ++j) after += segments_[j].text;
        for (const NullRule& r : rules) {
            if (out.ends_with(r.before) && std::u16string_view(after).starts_with(r.after)) {
                out += r.word;
                break;
            }
        }
    }
    return out;
}

}  // namespace tarvo
