#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// Calendar date and time to seconds since 1970-01-01 00:00:00, with the
// fields taken as given (no time zone or daylight-saving correction).
//
// Fields outside year 1970.., month 1..12, day 1..31, hour 0..23, minute
// and second 0..59, and results past the 32-bit range, give 0. A day past
// its month's end counts on into the next month.
std::uint32_t secondsSince1970(int year, int month, int day, int hour, int minute, int second);

// Date text "YYYY-MM-DD" and time text "HH:MM:SS" (any separators) to
// seconds as above. Empty, short or garbled texts (a field that does not
// start with a digit) give 0.
std::uint32_t parseDateTimeText(const CVXLString& date, const CVXLString& time);
