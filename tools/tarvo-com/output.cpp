#include "tools/tarvo-com/output.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/safearray.h"
#include "platform/text/utf8.h"

namespace tarvo_com {

using namespace com;

namespace {

// A two-dimensional array of VARIANT as rows of cells; false for other arrays.
bool matrix(const SAFEARRAY* a, long& rows, long& cols, std::vector<const VARIANT*>& cells) {
    rows = cols = 0;
    cells.clear();
    if (!a) return true;  // the empty array
    if (SafeArrayGetDim(a) != 2 || a->cbElements != sizeof(VARIANT)) return false;
    LONG lo_r, hi_r, lo_c, hi_c;
    SafeArrayGetLBound(a, 1, &lo_r);
    SafeArrayGetUBound(a, 1, &hi_r);
    SafeArrayGetLBound(a, 2, &lo_c);
    SafeArrayGetUBound(a, 2, &hi_c);
    rows = hi_r - lo_r + 1;
    cols = hi_c - lo_c + 1;
    for (LONG r = lo_r; r <= hi_r; ++r)
        for (LONG c = lo_c; c <= hi_c; ++c) {
            LONG at[2] = {r, c};
            void* element = nullptr;
            SafeArrayPtrOfIndex(a, at, &element);
            cells.push_back(static_cast<const VARIANT*>(element));
        }
    return true;
}

bool is_variant_array(const VARIANT& v) {
    return (v.vt & ~VT_BYREF) == (VT_ARRAY | VT_VARIANT);
}

std::string json_value(const VARIANT& v) {
    if (is_variant_array(v)) {
        long rows, cols;
        std::vector<const VARIANT*> cells;
        const SAFEARRAY* a = v.vt & VT_BYREF ? *v.pparray : v.parray;
        if (!matrix(a, rows, cols, cells)) return text::json_quote(variant_text(v));
        std::string out = "{\"rows\":" + std::to_string(rows) +
                          ",\"cols\":" + std::to_string(cols) + ",\"cells\":[";
        for (long r = 0; r < rows; ++r) {
            out += r ? ",[" : "[";
            for (long c = 0; c < cols; ++c) {
                if (c) out += ',';
                out += json_value(*cells[r * cols + c]);
            }
            out += ']';
        }
        return out + "]}";
    }
    switch (v.vt) {
        case VT_EMPTY:
            return "{\"empty\":true}";
        case VT_NULL:
            return "null";
        case VT_BOOL:
            return v.boolVal ? "true" : "false";
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_UI1:
            return variant_text(v);
        case VT_R4:
        case VT_R8: {
            double d = v.vt == VT_R4 ? v.fltVal : v.dblVal;
            return std::isfinite(d) ? variant_text(v) : text::json_quote(variant_text(v));
        }
        default:
            return text::json_quote(variant_text(v));
    }
}

// The text of a cell or value for the text formats; `null_word` stands for Null.
std::string plain(const VARIANT& v, const char* null_word) {
    if (v.vt == VT_EMPTY) return "";
    if (v.vt == VT_NULL) return null_word;
    return variant_text(v);
}

// Columns a text takes on a terminal: East Asian wide characters take two.
std::size_t display_width(const std::string& s) {
    std::size_t width = 0;
    for (const std::u16string u = to_utf16(s); char16_t c : u) {
        if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair
        bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                    (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                    (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                    (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0xD800 && c <= 0xDBFF);
        width += wide ? 2 : 1;
    }
    return width;
}

std::string tsv_escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

void print_table(const VARIANT& v, std::ostream& out) {
    long rows, cols;
    std::vector<const VARIANT*> cells;
    if (!is_variant_array(v) ||
        !matrix(v.vt & VT_BYREF ? *v.pparray : v.parray, rows, cols, cells)) {
        if (v.vt == VT_EMPTY)
            out << "(no value)\n";
        else
            out << plain(v, "NULL") << '\n';
        return;
    }
    if (rows == 0) {
        out << "(empty array)\n";
        return;
    }
    std::vector<std::string> text;
    std::vector<std::size_t> width(cols, 0);
    for (long i = 0; i < rows * cols; ++i) {
        text.push_back(plain(*cells[i], "NULL"));
        width[i % cols] = std::max(width[i % cols], display_width(text.back()));
    }
    for (long r = 0; r < rows; ++r) {
        std::string line;
        for (long c = 0; c < cols; ++c) {
            const std::string& t = text[r * cols + c];
            line += t;
            if (c + 1 < cols) line += std::string(width[c] - display_width(t) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    }
}

void print_tsv(const VARIANT& v, std::ostream& out) {
    long rows, cols;
    std::vector<const VARIANT*> cells;
    if (!is_variant_array(v) ||
        !matrix(v.vt & VT_BYREF ? *v.pparray : v.parray, rows, cols, cells)) {
        out << tsv_escape(plain(v, "\\N")) << '\n';
        return;
    }
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < cols; ++c) {
            if (c) out << '\t';
            const VARIANT& cell = *cells[r * cols + c];
            out << (cell.vt == VT_NULL ? "\\N" : tsv_escape(plain(cell, "")));
        }
        out << '\n';
    }
}

}  // namespace

std::string to_json(const Outcome& o) {
    if (o.ok) return "{\"ok\":true,\"result\":" + json_value(*o.value) + "}";
    return "{\"ok\":false,\"hresult\":\"" + hresult_text(o.hresult) +
           "\",\"description\":" + text::json_quote(o.description) + "}";
}

void print(const Outcome& o, Format format, const std::string& what, std::ostream& out,
           std::ostream& err) {
    if (format == Format::json) {
        out << to_json(o) << '\n';
    } else if (!o.ok) {
        std::string_view why = o.description;
        if (why.starts_with(what + ": ")) why.remove_prefix(what.size() + 2);
        err << "tarvo-com: " << what << " failed: " << hresult_text(o.hresult) << ": " << why
            << '\n';
    } else if (format == Format::table) {
        print_table(*o.value, out);
    } else {
        print_tsv(*o.value, out);
    }
    out.flush();
}

}  // namespace tarvo_com
