#include "engine/core/text/VXLDateTime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

namespace {

// Every day from 1970 to the end of 2105, each at a different time of day,
// against the C library's own UTC conversion; the same day also as text.
TEST(VXLDateTime, EveryDayAgreesWithTimegm)
{
    int checked = 0;
    for (int year = 1970; year <= 2105; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                std::tm tm {};
                tm.tm_year = year - 1900;
                tm.tm_mon = month - 1;
                tm.tm_mday = day;
                tm.tm_hour = checked % 24;
                tm.tm_min = (checked * 7) % 60;
                tm.tm_sec = (checked * 13) % 60;
                std::tm normalised = tm;
                const long long expected = static_cast<long long>(timegm(&normalised));
                if (normalised.tm_mon != month - 1)
                    continue; // past the month's end
                ++checked;
                ASSERT_EQ(secondsSince1970(year, month, day, tm.tm_hour, tm.tm_min, tm.tm_sec), expected)
                    << year << '-' << month << '-' << day;

                char date[16];
                char time[16];
                std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
                std::snprintf(time, sizeof time, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
                ASSERT_EQ(parseDateTimeText(date, time), expected) << date << ' ' << time;
            }
        }
    }
    EXPECT_EQ(checked, 49673); // days from 1970-01-01 to 2105-12-31
}

TEST(VXLDateTime, KnownDatesAndFieldLimits)
{
    struct Case {
        int year, month, day, hour, minute, second;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {1970, 1, 1, 0, 0, 0, 0}, {1970, 1, 2, 0, 0, 0, 86400},
        {2000, 3, 1, 0, 0, 0, 951868800}, // 2000 is a leap year
        {2100, 3, 1, 0, 0, 0, 4107542400}, // 2100 is not
        {2106, 2, 7, 6, 28, 15, 0xFFFFFFFFu}, {2106, 2, 7, 6, 28, 16, 0}, // past 32 bits
        {2107, 1, 1, 0, 0, 0, 0}, {1969, 12, 31, 23, 59, 59, 0}, {2008, 0, 17, 0, 0, 0, 0},
        {2008, 13, 17, 0, 0, 0, 0}, {2008, -1, 17, 0, 0, 0, 0}, {2008, 5, 0, 0, 0, 0, 0},
        {2008, 5, 32, 0, 0, 0, 0}, {2008, 5, 17, 24, 0, 0, 0}, {2008, 5, 17, 0, 60, 0, 0},
        {2008, 5, 17, 0, 0, 60, 0}, {2008, 5, 17, -1, 0, 0, 0},
        {2008, 2, 30, 0, 0, 0, 1204329600}, // counts on into March, as timegm does
    };
    for (const Case& c : cases) {
        EXPECT_EQ(secondsSince1970(c.year, c.month, c.day, c.hour, c.minute, c.second), c.expected)
            << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':'
            << c.second;
    }
}

TEST(VXLDateTime, DateAndTimeTexts)
{
    const std::uint32_t may17 = 1210982400 + 12 * 3600 + 34 * 60 + 56; // 2008-05-17 12:34:56
    struct Case {
        const char* date;
        const char* time;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"2008-05-17", "12:34:56", may17}, {"2008/05/17", "12.34.56", may17},
        {"2008-05-17T", "12:34:56Z", may17},
        {"2008-5-17x", "12:34:56", may17 - 10 * 86400}, // "5-" is 5, "7x" is 7
        {"", "12:34:56", 0}, {"2008-05-17", "", 0}, {"2008-05-1", "12:34:56", 0}, // short
        {"2008-05-17", "12:34:5", 0}, // short
        {"2008-00-17", "12:34:56", 0}, // month 0
        {"2008-13-17", "12:34:56", 0}, // month 13
        {"2008-xx-17", "12:34:56", 0}, // garbled
        {"abcd-05-17", "12:34:56", 0}, {"2008-05-17", "ab:34:56", 0}, {"2008-05-17", "12:-4:56", 0},
        {"20080-5-17", "12:34:56", 0}, // year 20080
        {"2008-05-17", "12:345:6", 0}, // minute 345
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseDateTimeText(c.date, c.time), c.expected) << '"' << c.date << "\" \"" << c.time << '"';
}

} // namespace
