#include "core/clock.h"
#include "core/windows.h"

namespace ostrivel {
namespace {

class Win32Clock final : public Clock {
 public:
  CalendarFields LocalTime() override {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return CalendarFields{st.wYear, st.wMonth,  st.wDay,          st.wHour,
                          st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek};
  }
  uint32_t TickCount() override { return GetTickCount(); }
};

}  // namespace

Clock& SystemClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace ostrivel
