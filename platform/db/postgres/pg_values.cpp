#include "platform/db/postgres/pg_values.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/calendar/calendar.h"

namespace db::pg {
namespace {

// Type OIDs from PostgreSQL's catalogue (pg_type.h); stable across versions.
constexpr Oid kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23,
              kText = 25, kOid = 26, kJson = 114, kXml = 142, kFloat4 = 700, kFloat8 = 701,
              kUnknown = 705, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083,
              kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700, kVoid = 2278, kUuid = 2950,
              kJsonb = 3802;
// Types made in a database (enums, extension types such as citext) send their text.
constexpr Oid kFirstUserOid = 16384;

std::uint64_t big_endian(std::string_view raw) {
    std::uint64_t v = 0;
    for (unsigned char c : raw) v = (v << 8) | c;
    return v;
}
std::int64_t integer_of(std::string_view raw) {
    switch (raw.size()) {
        case 2:
            return static_cast<std::int16_t>(big_endian(raw));
        case 4:
            return static_cast<std::int32_t>(big_endian(raw));
        default:
            return static_cast<std::int64_t>(big_endian(raw));
    }
}
double real_of(Oid type, std::string_view raw) {
    if (type == kFloat4) {
        float f;
        std::uint32_t bits = static_cast<std::uint32_t>(big_endian(raw));
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double d;
    std::uint64_t bits = big_endian(raw);
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// Shortest text that reads back as the same number, in the server's layout (exponent
// below 1e-4 and from 1e15 on).
std::string_view real_text(double v, bool single, std::string& out) {
    if (v != v) return out = "NaN";
    if (v == std::numeric_limits<double>::infinity()) return out = "Infinity";
    if (v == -std::numeric_limits<double>::infinity()) return out = "-Infinity";
    char buf[64];
    auto r = single ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(v),
                                    std::chars_format::scientific)
                    : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    std::string_view sci(buf, r.ptr - buf);  // [-]d[.ddd]e±XX
    const auto e = sci.find('e');
    const int exp = std::atoi(sci.data() + e + 1);
    const bool negative = sci[0] == '-';
    std::string digits;
    for (char c : sci.substr(0, e))
        if (c >= '0' && c <= '9') digits += c;
    out = negative ? "-" : "";
    if (exp < -4 || exp >= 15) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        char x[16];
        std::snprintf(x, sizeof x, "e%c%02d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
        return out += x;
    }
    if (exp < 0) return out += "0." + std::string(-exp - 1, '0') + digits;
    if (digits.size() <= static_cast<std::size_t>(exp)) digits.append(exp + 1 - digits.size(), '0');
    out += digits.substr(0, exp + 1);
    if (digits.size() > static_cast<std::size_t>(exp) + 1) out += "." + digits.substr(exp + 1);
    return out;
}

// numeric: ndigits, weight, sign, dscale (16 bits each), then base-10000 digits.
std::string_view numeric_text(std::string_view raw, std::string& out) {
    auto word = [&](std::size_t i) { return static_cast<int>(big_endian(raw.substr(2 * i, 2))); };
    const int ndigits = word(0), sign = word(2), dscale = word(3);
    const int weight = static_cast<std::int16_t>(word(1));
    if (sign == 0xC000) return out = "NaN";
    if (sign == 0xD000) return out = "Infinity";
    if (sign == 0xF000) return out = "-Infinity";
    auto digit = [&](int i) { return i >= 0 && i < ndigits ? word(4 + i) : 0; };
    out = sign == 0x4000 ? "-" : "";
    if (weight < 0) out += '0';
    char group[8];
    for (int i = 0; i <= weight; ++i) {
        std::snprintf(group, sizeof group, i == 0 ? "%d" : "%04d", digit(i));
        out += group;
    }
    if (dscale > 0) {
        out += '.';
        std::string fraction;
        for (int i = weight + 1; static_cast<int>(fraction.size()) < dscale; ++i) {
            std::snprintf(group, sizeof group, "%04d", digit(i));
            fraction += group;
        }
        out += fraction.substr(0, dscale);
    }
    return out;
}

constexpr std::int64_t kDaysTo2000 = calendar::days_from_date(2000, 1, 1);  // the server's epoch
constexpr std::int64_t kMicrosPerDay = 86400LL * 1000000;

void append_date(std::string& out, const calendar::Date& c) {
    char buf[32];
    const bool bc = c.year <= 0;
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", bc ? 1 - c.year : c.year, c.month, c.day);
    out += buf;
    if (bc) out += " BC";
}
void append_time(std::string& out, std::int64_t micros_of_day) {
    char buf[32];
    const std::int64_t s = micros_of_day / 1000000;
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    out += buf;
    if (const int micro = static_cast<int>(micros_of_day % 1000000); micro != 0) {
        std::snprintf(buf, sizeof buf, ".%06d", micro);
        std::string_view f(buf);
        out += f.substr(0, f.find_last_not_of('0') + 1);
    }
}
void append_zone(std::string& out, int offset) {
    char buf[16];
    const int a = offset < 0 ? -offset : offset;
    std::snprintf(buf, sizeof buf, "%c%02d", offset < 0 ? '-' : '+', a / 3600);
    out += buf;
    if (a % 3600) {
        std::snprintf(buf, sizeof buf, ":%02d", a / 60 % 60);
        out += buf;
    }
    if (a % 60) {
        std::snprintf(buf, sizeof buf, ":%02d", a % 60);
        out += buf;
    }
}

// Days (date) or microseconds (timestamps) from 2000-01-01 as a local date-time; nullopt for
// infinity and for years the system does not keep (before year 1).
std::optional<DateTime> moment(const Cell& cell) {
    std::int64_t v = integer_of(cell.raw);
    if (cell.type == kDate) {
        if (v == std::numeric_limits<std::int32_t>::max() ||
            v == std::numeric_limits<std::int32_t>::min())
            return std::nullopt;
        v *= kMicrosPerDay;
    } else if (v == std::numeric_limits<std::int64_t>::max() ||
               v == std::numeric_limits<std::int64_t>::min()) {
        return std::nullopt;
    }
    if (cell.type == kTimestampTz) v += static_cast<std::int64_t>(cell.utc_offset) * 1000000;
    const std::int64_t day = calendar::floor_div(v, kMicrosPerDay);
    const std::int64_t in_day = v - day * kMicrosPerDay;
    const calendar::Date c = calendar::date_from_days(day + kDaysTo2000);
    if (c.year <= 0) return std::nullopt;
    const int s = static_cast<int>(in_day / 1000000);
    return DateTime{
        c.year, static_cast<int>(c.month), static_cast<int>(c.day), s / 3600, s / 60 % 60, s % 60};
}

std::string_view datetime_text(const Cell& cell, std::string& out) {
    std::int64_t v = integer_of(cell.raw);
    const bool is_date = cell.type == kDate;
    const std::int64_t top = is_date ? std::numeric_limits<std::int32_t>::max()
                                     : std::numeric_limits<std::int64_t>::max();
    if (v == top) return out = "infinity";
    if (v == (is_date ? std::numeric_limits<std::int32_t>::min()
                      : std::numeric_limits<std::int64_t>::min()))
        return out = "-infinity";
    if (is_date) v *= kMicrosPerDay;
    if (cell.type == kTimestampTz) v += static_cast<std::int64_t>(cell.utc_offset) * 1000000;
    const std::int64_t day = calendar::floor_div(v, kMicrosPerDay);
    out.clear();
    append_date(out, calendar::date_from_days(day + kDaysTo2000));
    if (is_date) return out;
    const bool bc = out.ends_with(" BC");
    if (bc) out.resize(out.size() - 3);
    out += ' ';
    append_time(out, v - day * kMicrosPerDay);
    if (cell.type == kTimestampTz) append_zone(out, cell.utc_offset);
    if (bc) out += " BC";
    return out;
}

std::string_view uuid_text(std::string_view raw, std::string& out) {
    static const char hex[] = "0123456789abcdef";
    out.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        out += hex[static_cast<unsigned char>(raw[i]) >> 4];
        out += hex[static_cast<unsigned char>(raw[i]) & 15];
    }
    return out;
}

bool textual(Oid type) {
    switch (type) {
        case kChar:
        case kName:
        case kText:
        case kJson:
        case kXml:
        case kUnknown:
        case kBpchar:
        case kVarchar:
        case kVoid:
            return true;
        default:
            return type >= kFirstUserOid;
    }
}

}  // namespace

bool readable(Oid type) {
    switch (type) {
        case kBool:
        case kBytea:
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
        case kFloat4:
        case kFloat8:
        case kNumeric:
        case kDate:
        case kTime:
        case kTimestamp:
        case kTimestampTz:
        case kUuid:
        case kJsonb:
            return true;
        default:
            return textual(type);
    }
}

std::string_view text_of(const Cell& cell, std::string& scratch) {
    const std::string_view raw = cell.raw;
    switch (cell.type) {
        case kBool:
            return raw.size() == 1 && raw[0] ? "t" : "f";
        case kInt2:
        case kInt4:
        case kInt8:
            return scratch = std::to_string(integer_of(raw));
        case kOid:
            return scratch = std::to_string(static_cast<std::uint32_t>(big_endian(raw)));
        case kFloat4:
        case kFloat8:
            return real_text(real_of(cell.type, raw), cell.type == kFloat4, scratch);
        case kNumeric:
            return numeric_text(raw, scratch);
        case kDate:
        case kTimestamp:
        case kTimestampTz:
            return datetime_text(cell, scratch);
        case kTime:
            scratch.clear();
            append_time(scratch, integer_of(raw));
            return scratch;
        case kUuid:
            return uuid_text(raw, scratch);
        case kJsonb:
            return raw.empty() ? raw : raw.substr(1);  // a version byte, then the text
        default:
            return raw;
    }
}

ValueView decode(const Cell& cell, std::string& scratch) {
    switch (cell.type) {
        case kBool:
            return ValueView::of_integer(cell.raw.size() == 1 && cell.raw[0]);
        case kInt2:
        case kInt4:
        case kInt8:
            return ValueView::of_integer(integer_of(cell.raw));
        case kOid:
            return ValueView::of_integer(static_cast<std::uint32_t>(big_endian(cell.raw)));
        case kFloat4:
        case kFloat8:
            return ValueView::of_real(real_of(cell.type, cell.raw));
        case kNumeric:
            return ValueView::of_real(std::strtod(numeric_text(cell.raw, scratch).data(), nullptr));
        case kBytea:
            return ValueView::of_bytes(cell.raw);
        case kDate:
        case kTimestamp:
        case kTimestampTz:
            if (auto dt = moment(cell)) return ValueView::of_datetime(*dt);
            return ValueView::of_text(datetime_text(cell, scratch));
        default:
            return ValueView::of_text(text_of(cell, scratch));
    }
}

std::string trimmed(const char* msg) {
    std::string s = msg ? msg : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

Error error_of(const PGresult* res) {
    const char* state = PQresultErrorField(res, PG_DIAG_SQLSTATE);
    return Error(0, state ? state : "", trimmed(PQresultErrorMessage(res)));
}

Error connection_error(const PGconn* conn) {
    return Error(-1, "", trimmed(PQerrorMessage(conn)));
}

}  // namespace db::pg
