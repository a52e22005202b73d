#include <time.h>

#include "core/clock.h"

namespace ostrivel {
namespace {

class PosixClock final : public Clock {
 public:
  CalendarFields LocalTime() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    CalendarFields f;
    f.year = local.tm_year + 1900;
    f.month = local.tm_mon + 1;
    f.day = local.tm_mday;
    f.hour = local.tm_hour;
    f.minute = local.tm_min;
    // A leap second reads as 60 on some systems; SYSTEMTIME never holds it.
    f.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    f.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    f.dayOfWeek = local.tm_wday;
    return f;
  }
  uint32_t TickCount() override {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000);
  }
};

}  // namespace

Clock& SystemClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace ostrivel
