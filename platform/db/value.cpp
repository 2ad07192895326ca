#include "platform/db/value.h"

#include <charconv>
#include <cstdio>

namespace db {
namespace {

bool read_int(std::string_view s, std::size_t pos, std::size_t len, int& out) {
    if (pos + len > s.size()) return false;
    for (std::size_t i = pos; i < pos + len; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    std::from_chars(s.data() + pos, s.data() + pos + len, out);
    return true;
}

}  // namespace

bool DateTime::valid_date(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    int limit = days[m - 1] + (m == 2 && leap ? 1 : 0);
    return d <= limit;
}

std::string DateTime::to_string() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

std::optional<DateTime> DateTime::parse(std::string_view s) {
    DateTime dt;
    if (!read_int(s, 0, 4, dt.year) || s.size() < 10 || s[4] != '-' ||
        !read_int(s, 5, 2, dt.month) || s[7] != '-' || !read_int(s, 8, 2, dt.day))
        return std::nullopt;
    if (!valid_date(dt.year, dt.month, dt.day)) return std::nullopt;
    if (s.size() == 10) return dt;
    if ((s[10] != ' ' && s[10] != 'T') || !read_int(s, 11, 2, dt.hour) || s.size() < 16 ||
        s[13] != ':' || !read_int(s, 14, 2, dt.minute))
        return std::nullopt;
    std::size_t pos = 16;
    if (pos < s.size() && s[pos] == ':') {
        if (!read_int(s, pos + 1, 2, dt.second)) return std::nullopt;
        pos += 3;
        if (pos < s.size() && s[pos] == '.') {  // fractions of a second are dropped
            ++pos;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
        }
    }
    if (pos != s.size()) return std::nullopt;
    if (dt.hour > 23 || dt.minute > 59 || dt.second > 59) return std::nullopt;
    return dt;
}

Value ValueView::to_value() const {
    switch (kind) {
        case Kind::null:
            return Value();
        case Kind::integer:
            return Value(integer);
        case Kind::real:
            return Value(real);
        case Kind::text:
            return Value(data);
        case Kind::bytes:
            return Value(Bytes(data.begin(), data.end()));
        case Kind::datetime:
            return Value(datetime);
    }
    return Value();
}

std::string Value::to_string() const {
    struct Visitor {
        std::string operator()(const Null&) const { return {}; }
        std::string operator()(std::int64_t v) const { return std::to_string(v); }
        std::string operator()(double v) const {
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, v);
            return std::string(buf, r.ptr);
        }
        std::string operator()(const std::string& v) const { return v; }
        std::string operator()(const Bytes& v) const { return std::string(v.begin(), v.end()); }
        std::string operator()(const DateTime& v) const { return v.to_string(); }
    };
    return std::visit(Visitor{}, v_);
}

}  // namespace db
