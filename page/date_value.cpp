#include "page/date_value.h"

#include <cmath>

#include "core/error.h"

namespace ostrivel {
namespace {

constexpr int kCumulativeDays[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};
// Days from 0001-01-01 to 1899-12-30.
constexpr int64_t kDeltaDays = 693594;
// 9999-12-31 as a day number.
constexpr int64_t kMaxDay = 2958465;
constexpr int64_t kMinDay = 1 - kDeltaDays;  // 0001-01-01

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  const int leap = IsLeapYear(year) ? 1 : 0;
  return kCumulativeDays[leap][month] - kCumulativeDays[leap][month - 1];
}

double DateFromParts(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    throw Error(u"Invalid argument to date encode");
  }
  const int64_t y = year - 1;
  const int64_t dayOfYear = kCumulativeDays[IsLeapYear(year) ? 1 : 0][month - 1] + day;
  return static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDeltaDays);
}

double TimeFromParts(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    throw Error(u"Invalid argument to time encode");
  }
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / kMsPerDay;
}

double CombineDateTime(double date, double time) { return date >= 0 ? date + time : date - time; }

double DateTimeFromFields(const CalendarFields& f) {
  return CombineDateTime(DateFromParts(f.year, f.month, f.day),
                         TimeFromParts(f.hour, f.minute, f.second, f.millisecond));
}

double CurrentDateTime(Clock& clock) { return DateTimeFromFields(clock.LocalTime()); }

SplitDateTime SplitValue(double value) {
  SplitDateTime s;
  if (!std::isfinite(value)) return s;
  const double msDouble = std::round(value * kMsPerDay);
  // Keep far-out values away from integer overflow; they are invalid anyway.
  if (msDouble > (kMaxDay + 1) * kMsPerDay || msDouble < (kMinDay - 1) * kMsPerDay) return s;
  const int64_t ms = static_cast<int64_t>(msDouble);
  const int64_t dayNumber = ms / 86400000;  // truncates toward zero
  int64_t timeOfDay = (ms < 0 ? -ms : ms) % 86400000;
  if (dayNumber > kMaxDay || dayNumber < kMinDay) return s;
  s.hour = static_cast<int>(timeOfDay / 3600000);
  timeOfDay %= 3600000;
  s.minute = static_cast<int>(timeOfDay / 60000);
  timeOfDay %= 60000;
  s.second = static_cast<int>(timeOfDay / 1000);
  s.millisecond = static_cast<int>(timeOfDay % 1000);

  // Days since 0001-01-01, then the 400/100/4/1-year cycles.
  int64_t d = dayNumber + kDeltaDays - 1;
  s.dayOfWeek = static_cast<int>((dayNumber + 6) % 7 + 7) % 7 + 1;  // day 0 was a Saturday
  int64_t year = 1;
  year += (d / 146097) * 400;
  d %= 146097;
  int64_t c = d / 36524;
  if (c == 4) c = 3;
  year += c * 100;
  d -= c * 36524;
  year += (d / 1461) * 4;
  d %= 1461;
  int64_t k = d / 365;
  if (k == 4) k = 3;
  year += k;
  d -= k * 365;
  const int leap = IsLeapYear(static_cast<int>(year)) ? 1 : 0;
  int month = 1;
  while (d >= kCumulativeDays[leap][month]) ++month;
  s.year = static_cast<int>(year);
  s.month = month;
  s.day = static_cast<int>(d - kCumulativeDays[leap][month - 1] + 1);
  s.valid = true;
  return s;
}

}  // namespace ostrivel
