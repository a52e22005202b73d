#pragma once
// Test doubles for the listing run and the page: a plain collation, a locale
// answered from a table, a clock that plays back readings, and a user
// interface that records what the run asks of it.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "page/locale_source.h"
#include "scan/collation.h"
#include "scan/listing_ui.h"

namespace ostrivel::testing {

// ASCII letters compared without case, everything else by code unit: enough
// name order for trees whose names sort the same way under any locale.
class PlainCollation : public Collation {
 public:
  int Compare(TextView a, TextView b) override {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      const char16_t x = Fold(a[i]), y = Fold(b[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }

 private:
  static char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; }
};

// Locale items from a table; what it lacks cannot be read (and so takes the
// regional settings' defaults).
class TableLocaleSource : public LocaleSource {
 public:
  std::map<uint32_t, Text> items;

  uint32_t ThreadLocale() override { return kEnglishUnitedStates; }
  void SetThreadLocale(uint32_t) override {}
  bool IsValidLocale(uint32_t) override { return true; }
  bool LocaleInfo(uint32_t, uint32_t item, Text& value) override {
    auto it = items.find(item);
    if (it == items.end()) return false;
    value = it->second;
    return true;
  }
  bool AltCalendarDateText(int, int, int, TextView, Text&) override { return false; }
};

// Separators "/" and ":", short date yyyy/M/d, 24-hour long time h:mm:ss.
inline void SetPlainDateFormats(TableLocaleSource& locale) {
  locale.items[kLocaleSDate] = u"/";
  locale.items[kLocaleSTime] = u":";
  locale.items[kLocaleSShortDate] = u"yyyy/M/d";
  locale.items[kLocaleITime] = u"1";
  locale.items[kLocaleITLZero] = u"0";
}

// Plays back the readings it is given; the last one repeats.
class ScriptedClock : public Clock {
 public:
  std::deque<CalendarFields> times{CalendarFields{2018, 12, 8, 9, 30, 0, 0, 6}};
  std::deque<uint32_t> ticks{0};
  int timeReadings = 0;
  int tickReadings = 0;

  CalendarFields LocalTime() override {
    ++timeReadings;
    return Next(times);
  }
  uint32_t TickCount() override {
    ++tickReadings;
    return Next(ticks);
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& queue) {
    T value = queue.front();
    if (queue.size() > 1) queue.pop_front();
    return value;
  }
};

class RecordingUi : public ListingUi {
 public:
  Text source;
  Text title = u"Title";
  bool accept = true;
  Text chosen = u"D:\\Out";
  std::function<void()> onPump;  // runs inside ProcessPendingMessages

  struct Choice {
    Text prompt, initialFolder;
  };
  std::vector<Choice> choices;
  std::vector<std::pair<Text, Text>> messages;  // text, caption
  std::vector<ListingProgress> progress;
  int pumps = 0;
  int titleReads = 0;

  bool ChooseFolder(const Text& prompt, Text& folder) override {
    choices.push_back({prompt, folder});
    if (!accept) return false;
    folder = chosen;
    return true;
  }
  void ShowMessageBox(const Text& text, const Text& caption) override {
    messages.emplace_back(text, caption);
  }
  void ProcessPendingMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  Text SourceText() override { return source; }
  Text TitleText() override {
    ++titleReads;
    return title;
  }
  void Progress(const ListingProgress& p) override { progress.push_back(p); }
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
inline int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// A FILETIME (100 ns since 1601-01-01 UTC) of a UTC date and time.
inline uint64_t FileTimeOf(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
  const int64_t days = DaysFromCivil(y, m, d) - DaysFromCivil(1601, 1, 1);
  return static_cast<uint64_t>(days * 86400 + h * 3600 + n * 60 + s) * 10000000ULL;
}

}  // namespace ostrivel::testing
