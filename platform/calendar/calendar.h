// The one calendar of the module: the proleptic Gregorian calendar of C++20's <chrono>
// (year 0 is 1 BC), days counted from 1970-01-01, and the one reading of date text. Dates
// of automation variants, of the databases' values and of PostgreSQL's binary form all go
// through it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace calendar {

struct Date {
    int year;
    unsigned month, day;
};

// a / b rounded down (toward minus infinity), as counting days before an epoch needs.
constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

namespace detail {

// <chrono>'s years end at 32767 either way; the calendar repeats every 400 years (146097
// days), so whole cycles are taken out before it counts and put back after.
constexpr std::int64_t kCycleDays = 146097;
constexpr std::chrono::year_month_day ymd(int year_in_cycle, unsigned month, unsigned day) {
    return {std::chrono::year{year_in_cycle}, std::chrono::month{month}, std::chrono::day{day}};
}

}  // namespace detail

// Whether the date exists (2024-02-29 does, 2026-02-30 does not).
constexpr bool exists(int year, unsigned month, unsigned day) {
    const int cycles = static_cast<int>(floor_div(year, 400));
    return detail::ymd(year - cycles * 400, month, day).ok();
}

// Days from 1970-01-01 to the date (negative before it).
constexpr std::int64_t days_from_date(int year, unsigned month, unsigned day) {
    const std::int64_t cycles = floor_div(year, 400);
    const std::chrono::sys_days d{detail::ymd(static_cast<int>(year - cycles * 400), month, day)};
    return d.time_since_epoch().count() + cycles * detail::kCycleDays;
}

// The date of a day counted from 1970-01-01.
constexpr Date date_from_days(std::int64_t days) {
    const std::int64_t cycles = floor_div(days, detail::kCycleDays);
    const std::chrono::year_month_day ymd{
        std::chrono::sys_days{std::chrono::days{days - cycles * detail::kCycleDays}}};
    return {
        static_cast<int>(static_cast<std::int64_t>(static_cast<int>(ymd.year())) + cycles * 400),
        static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day())};
}

// A date with a time of day, as date text gives it.
struct DateTime {
    Date date{};
    int hour = 0, minute = 0, second = 0;
    bool fraction = false;  // the seconds had a fraction (".123"), which is not kept
};

// Reads "YYYY-MM-DD", optionally followed by " HH:MM" or " HH:MM:SS" (or 'T' for the blank)
// and a fraction of a second; nullopt for anything else, for a date that does not exist
// and for a time out of range.
constexpr std::optional<DateTime> parse(std::string_view s) {
    std::size_t i = 0;
    const auto number = [&](std::size_t digits, int& out) {
        out = 0;
        for (std::size_t k = 0; k < digits; ++k, ++i) {
            if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
            out = out * 10 + (s[i] - '0');
        }
        return true;
    };
    const auto mark = [&](char c) { return i < s.size() && s[i] == c && (++i, true); };
    DateTime t;
    int month = 0, day = 0;
    if (!number(4, t.date.year) || !mark('-') || !number(2, month) || !mark('-') || !number(2, day))
        return std::nullopt;
    if (i < s.size()) {
        if (!mark(' ') && !mark('T')) return std::nullopt;
        if (!number(2, t.hour) || !mark(':') || !number(2, t.minute)) return std::nullopt;
        if (mark(':')) {
            if (!number(2, t.second)) return std::nullopt;
            if (mark('.')) {
                t.fraction = true;
                while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
            }
        }
        if (i != s.size()) return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    t.date.month = static_cast<unsigned>(month);
    t.date.day = static_cast<unsigned>(day);
    if (!exists(t.date.year, t.date.month, t.date.day)) return std::nullopt;
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

}  // namespace calendar
