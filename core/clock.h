#pragma once
#include <cstdint>

namespace ostrivel {

// Calendar fields as Windows' SYSTEMTIME holds them.
struct CalendarFields {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

// The local wall clock and the millisecond tick counter since system start.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual CalendarFields LocalTime() = 0;  // GetLocalTime
  virtual uint32_t TickCount() = 0;        // GetTickCount: wraps after 2^32 ms
};

// The platform's clock (back end chosen by the build).
Clock& SystemClock();

}  // namespace ostrivel
