// The values that cross the database boundary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace db {

using Bytes = std::vector<std::uint8_t>;

// A calendar date with a time of day, no time zone (what the screens enter and show).
struct DateTime {
    int year = 1900, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;

    bool operator==(const DateTime&) const = default;

    // "YYYY-MM-DD HH:MM:SS", the form both databases accept and return.
    std::string to_string() const;
    // Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" and the same with 'T'; rejects
    // dates that do not exist (2026-02-30) and out-of-range times.
    static std::optional<DateTime> parse(std::string_view s);
    static bool valid_date(int year, int month, int day);
};

struct Null {
    bool operator==(const Null&) const = default;
};

// null | integer | real | text (UTF-8) | bytes | date-time
class Value {
  public:
    using Storage = std::variant<Null, std::int64_t, double, std::string, Bytes, DateTime>;

    Value() = default;
    Value(Null) {}
    Value(int v) : v_(std::int64_t{v}) {}
    Value(std::int64_t v) : v_(v) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(std::string_view v) : v_(std::string(v)) {}
    Value(const char* v) : v_(std::string(v)) {}
    Value(Bytes v) : v_(std::move(v)) {}
    Value(DateTime v) : v_(v) {}

    bool is_null() const { return std::holds_alternative<Null>(v_); }
    bool is_integer() const { return std::holds_alternative<std::int64_t>(v_); }
    bool is_real() const { return std::holds_alternative<double>(v_); }
    bool is_text() const { return std::holds_alternative<std::string>(v_); }
    bool is_bytes() const { return std::holds_alternative<Bytes>(v_); }
    bool is_datetime() const { return std::holds_alternative<DateTime>(v_); }

    std::int64_t as_integer() const { return std::get<std::int64_t>(v_); }
    double as_real() const { return std::get<double>(v_); }
    const std::string& as_text() const { return std::get<std::string>(v_); }
    const Bytes& as_bytes() const { return std::get<Bytes>(v_); }
    const DateTime& as_datetime() const { return std::get<DateTime>(v_); }

    // The value as text: numbers in decimal, date-times as DateTime::to_string, bytes as
    // they are, null as the empty text.
    std::string to_string() const;

    const Storage& storage() const { return v_; }
    bool operator==(const Value&) const = default;

  private:
    Storage v_;
};

using Params = std::vector<Value>;

// A value as a cursor holds it, without a copy: `data` (text in UTF-8, or the bytes) points
// into the cursor and stays valid until the cursor moves.
struct ValueView {
    enum class Kind { null, integer, real, text, bytes, datetime };

    Kind kind = Kind::null;
    std::int64_t integer = 0;
    double real = 0;
    std::string_view data;
    DateTime datetime;

    static ValueView of_integer(std::int64_t v) { return {Kind::integer, v, 0, {}, {}}; }
    static ValueView of_real(double v) { return {Kind::real, 0, v, {}, {}}; }
    static ValueView of_text(std::string_view v) { return {Kind::text, 0, 0, v, {}}; }
    static ValueView of_bytes(std::string_view v) { return {Kind::bytes, 0, 0, v, {}}; }
    static ValueView of_datetime(const DateTime& v) { return {Kind::datetime, 0, 0, {}, v}; }

    // The value as an owned Value (text and bytes copied).
    Value to_value() const;
};

}  // namespace db
