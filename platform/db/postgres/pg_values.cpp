#include "platform/db/postgres/pg_values.h"

#include <cstdlib>

namespace db::pg {
namespace {

// Type OIDs from PostgreSQL's catalogue (pg_type.h); stable across versions.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// bytea arrives in the hex text form "\x0a1b..." (or the older escape form).
void decode_bytea(const char* s, int len, Bytes& out) {
    out.clear();
    if (len >= 2 && s[0] == '\\' && s[1] == 'x') {
        out.reserve((len - 2) / 2);
        for (int i = 2; i + 1 < len; i += 2)
            out.push_back(static_cast<std::uint8_t>(hex_digit(s[i]) * 16 + hex_digit(s[i + 1])));
        return;
    }
    std::size_t n = 0;
    unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(s), &n);
    if (raw) {
        out.assign(raw, raw + n);
        PQfreemem(raw);
    }
}

std::string_view bytes_view(const Bytes& b) {
    return std::string_view(reinterpret_cast<const char*>(b.data()), b.size());
}

}  // namespace

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

ValueView decode(Oid type, const char* s, int len, Bytes& scratch) {
    switch (type) {
        case kBool:
            return ValueView::of_integer(s[0] == 't');
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            return ValueView::of_integer(std::strtoll(s, nullptr, 10));
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return ValueView::of_real(std::strtod(s, nullptr));
        case kBytea:
            decode_bytea(s, len, scratch);
            return ValueView::of_bytes(bytes_view(scratch));
        case kDate:
        case kTimestamp:
        case kTimestampTz: {
            // Drop a time-zone suffix ("+00", "-05:30"); the system keeps local times.
            std::string_view t(s, len);
            if (type == kTimestampTz && t.size() > 19) {
                auto z = t.find_first_of("+-", 19);
                if (z != std::string_view::npos) t = t.substr(0, z);
            }
            if (auto dt = DateTime::parse(t)) return ValueView::of_datetime(*dt);
            return ValueView::of_text(std::string_view(s, len));
        }
        default:
            return ValueView::of_text(std::string_view(s, len));
    }
}

}  // namespace db::pg
