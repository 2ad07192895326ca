// The one calendar: days and dates agree everywhere, from before the common era past the
// years <chrono> counts, leap days are where they belong, and date text is read strictly.
#include "platform/calendar/calendar.h"

#include <gtest/gtest.h>

namespace {

using calendar::Date;

bool operator==(const Date& a, const Date& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// The day after `d`, counted by hand.
Date next(Date d) {
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const unsigned lengths[] = {31, leap ? 29u : 28u, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (++d.day > lengths[d.month - 1]) d.day = 1, ++d.month;
    if (d.month > 12) d.month = 1, ++d.year;
    return d;
}

TEST(Calendar, EveryDayFollowsTheOneBeforeItAndRoundTrips) {
    // From 3000 BC past year 9999, day by day; then around the years PostgreSQL keeps.
    for (std::int64_t start :
         {calendar::days_from_date(-2999, 1, 1), calendar::days_from_date(5874000, 1, 1)}) {
        Date d = calendar::date_from_days(start);
        for (std::int64_t day = start; day < start + 5000000; day += 1) {
            ASSERT_EQ(calendar::days_from_date(d.year, d.month, d.day), day) << d.year;
            const Date n = next(d);
            ASSERT_TRUE(calendar::date_from_days(day + 1) == n) << n.year << "-" << n.month;
            d = n;
            if (start > 0 && day > start + 400000) break;
        }
    }
}

TEST(Calendar, FixedPointsLeapDaysAndTheEdgesOfTheYears) {
    EXPECT_EQ(calendar::days_from_date(1970, 1, 1), 0);
    EXPECT_EQ(calendar::days_from_date(2000, 1, 1), 10957);
    EXPECT_EQ(calendar::days_from_date(1899, 12, 30), -25569);
    EXPECT_TRUE(calendar::date_from_days(-719162) == (Date{1, 1, 1}));
    EXPECT_TRUE(calendar::date_from_days(2932896) == (Date{9999, 12, 31}));
    EXPECT_TRUE(calendar::date_from_days(-719163) == (Date{0, 12, 31}));  // 1 BC
    for (int leap : {2000, 2024, 1600, 0, -4}) EXPECT_TRUE(calendar::exists(leap, 2, 29)) << leap;
    for (int common : {1900, 2026, 2100, -1})
        EXPECT_FALSE(calendar::exists(common, 2, 29)) << common;
    EXPECT_FALSE(calendar::exists(2026, 4, 31));
    EXPECT_FALSE(calendar::exists(2026, 13, 1));
    EXPECT_EQ(calendar::floor_div(-1, 86400), -1);
    EXPECT_EQ(calendar::floor_div(86400, 86400), 1);
}

TEST(Calendar, DateTextIsReadStrictly) {
    const auto t = calendar::parse("2024-02-29 23:59:58.125");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->date == (Date{2024, 2, 29}));
    EXPECT_EQ(t->hour * 3600 + t->minute * 60 + t->second, 86398);
    EXPECT_TRUE(t->fraction);
    EXPECT_TRUE(calendar::parse("1990-05-01"));
    EXPECT_TRUE(calendar::parse("1990-05-01T08:30"));
    for (const char* bad : {"2026-02-29", "2026-02-30", "2026-13-01", "2026-00-10", "2026-1-1",
                            "2026-01-01 24:00", "2026-01-01 12:60", "2026-01-01 12:00:60",
                            "2026-01-01 12", "2026-01-01x", "2026-01-01 12:00:00x", "", "２０２６"})
        EXPECT_FALSE(calendar::parse(bad)) << bad;
}

}  // namespace
