#pragma once
// The date-time value: a double whose integral part counts days since
// 1899-12-30 and whose fraction is the time of day (local time, 1 ms resolution).

#include <cstdint>

#include "core/clock.h"

namespace ostrivel {

inline constexpr double kMsPerDay = 86400000.0;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The value of that day at 00:00. Raises Error "Invalid argument to date encode"
// unless 1 <= year <= 9999 and the month and day exist.
double DateFromParts(int year, int month, int day);
// The fraction of a day. Raises Error "Invalid argument to time encode" unless
// hour <= 23, minute <= 59, second <= 59, millisecond <= 999.
double TimeFromParts(int hour, int minute, int second, int millisecond);
// A date d and a time of day t: d + t when d >= 0, else d - t.
double CombineDateTime(double date, double time);
// Date and time of calendar fields combined (both must be valid).
double DateTimeFromFields(const CalendarFields& fields);

// GetLocalTime as a value; the day of the week is not read.
double CurrentDateTime(Clock& clock);

// A value split for formatting: milliseconds rounded to the nearest, the day
// truncated toward zero, the time of day from the absolute remainder.
struct SplitDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 1;   // 1 = Sunday ... 7 = Saturday
  bool valid = false;  // false when the value lies outside years 1 to 9999 or is not finite
};
SplitDateTime SplitValue(double value);

}  // namespace ostrivel
