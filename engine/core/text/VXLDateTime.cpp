#include "engine/core/text/VXLDateTime.h"

namespace {

constexpr int kFirstYear = 1970;
// 2106-02-07 06:28:15 is the last second that fits 32 bits.
constexpr int kLastYear = 2106;
constexpr std::uint32_t kDateTextLength = 10; // YYYY-MM-DD
constexpr std::uint32_t kTimeTextLength = 8; // HH:MM:SS

// Days before the first of each month: common year, leap year.
constexpr std::uint16_t kDaysBeforeMonth[2][12] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// The decimal number in at most count characters from start, stopping at the
// first non-digit; -1 when the piece does not start with a digit.
int numberAt(const char* text, std::uint32_t start, std::uint32_t count)
{
    const char* p = text + start;
    if (*p < '0' || *p > '9')
        return -1;
    int value = 0;
    for (std::uint32_t i = 0; i < count && p[i] >= '0' && p[i] <= '9'; ++i)
        value = value * 10 + (p[i] - '0');
    return value;
}

} // namespace

std::uint32_t secondsSince1970(int year, int month, int day, int hour, int minute, int second)
{
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0
        || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return 0;
    std::uint64_t days = 0;
    for (int y = kFirstYear; y < year; ++y)
        days += isLeapYear(y) ? 366 : 365;
    days += kDaysBeforeMonth[isLeapYear(year) ? 1 : 0][month - 1] + static_cast<std::uint64_t>(day);
    const std::uint64_t hours = days * 24 + static_cast<std::uint64_t>(hour) - 24;
    const std::uint64_t minutes = hours * 60 + static_cast<std::uint64_t>(minute);
    const std::uint64_t seconds = minutes * 60 + static_cast<std::uint64_t>(second);
    return seconds > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(seconds);
}

std::uint32_t parseDateTimeText(const CVXLString& date, const CVXLString& time)
{
    if (date.length() < kDateTextLength || time.length() < kTimeTextLength)
        return 0;
    const char* d = date.c_str();
    const char* t = time.c_str();
    const int year = numberAt(d, 0, 5);
    const int month = numberAt(d, 5, 2);
    const int day = numberAt(d, 8, 2);
    const int hour = numberAt(t, 0, 2);
    const int minute = numberAt(t, 3, 3);
    const int second = numberAt(t, 6, 2);
    // Negative (garbled) fields fall out of range there.
    return secondsSince1970(year, month, day, hour, minute, second);
}
