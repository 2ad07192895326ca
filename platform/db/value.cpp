#include "platform/db/value.h"

#include <charconv>
#include <cstdio>

#include "platform/calendar/calendar.h"

namespace db {
bool DateTime::valid_date(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31 &&
           calendar::exists(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
}

std::string DateTime::to_string() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

std::optional<DateTime> DateTime::parse(std::string_view s) {
    const std::optional<calendar::DateTime> t = calendar::parse(s);  // a fraction is dropped
    if (!t || t->date.year < 1) return std::nullopt;
    return DateTime{t->date.year,
                    static_cast<int>(t->date.month),
                    static_cast<int>(t->date.day),
                    t->hour,
                    t->minute,
                    t->second};
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
