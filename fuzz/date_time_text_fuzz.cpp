// DateTimeText with arbitrary formats, regional settings and values: NaN,
// the infinities, values far outside the years 1 to 9999, and every bit
// pattern of a double. The formatter must return, with text of a size that
// the inputs bound, and the system's own formats must keep their shape.
//
// Input: a value selector and eight bytes of a double, the two separators,
// the regional formats, texts and names, an era answer, then the format.

#include <cmath>
#include <cstring>
#include <limits>

#include "fuzz/fuzz_support.h"
#include "page/date_time.h"
#include "page/date_value.h"

using namespace ostrivel;
using ostrivel::fuzzing::ConsumeText;
using ostrivel::fuzzing::Show;

namespace {

// What a format may hold beyond ASCII: a surrogate pair, its halves alone,
// CJK text and a combining mark.
constexpr TextView kExtras[] = {u"\U0001F600", TextView(u"\xD83D", 1), TextView(u"\xDE00", 1),
                                u"\u5E74", u"e\u0301"};

// Era answers from the input, as GetDateFormatW would give them.
class FuzzEras : public LocaleSource {
 public:
  bool answer = false;
  Text era;
  uint32_t ThreadLocale() override { return kEnglishUnitedStates; }
  void SetThreadLocale(uint32_t) override {}
  bool IsValidLocale(uint32_t) override { return true; }
  bool LocaleInfo(uint32_t, uint32_t, Text&) override { return false; }
  bool AltCalendarDateText(int year, int month, int day, TextView, Text& text) override {
    FUZZ_CHECK(year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31,
               "an era asked for a date that does not exist");
    text = era;
    return answer;
  }
};

double ConsumeValue(FuzzedDataProvider& in) {
  const uint8_t selector = in.ConsumeIntegral<uint8_t>();
  uint64_t bits = in.ConsumeIntegral<uint64_t>();
  switch (selector % 8) {
    case 0:
      return std::numeric_limits<double>::quiet_NaN();
    case 1:
      return selector & 0x80 ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity();
    case 2:  // near the ends of the calendar and of day 0
      return static_cast<double>(static_cast<int64_t>(bits % 6000000) - 3000000) / 997.0;
    case 3:  // a millisecond grid over years 1 to 9999 and a little beyond
      return (static_cast<double>(bits % 6000000000000000ULL) - 3000000000000000.0) / 86400000.0;
    default: {
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
  }
}

size_t LongestOf(const RegionalFormat& r) {
  size_t n = std::max(r.amText.size(), r.pmText.size());
  for (const Text& s : r.shortMonthNames) n = std::max(n, s.size());
  for (const Text& s : r.longMonthNames) n = std::max(n, s.size());
  for (const Text& s : r.shortDayNames) n = std::max(n, s.size());
  for (const Text& s : r.longDayNames) n = std::max(n, s.size());
  return n;
}

bool AllDigits(const Text& text) {
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const double value = ConsumeValue(in);

  RegionalFormat regional;
  const char16_t separators[] = {u'/', u':', u'.', u'-', u'\\', u'\0', u'"', u'\'', u'y', u'h'};
  regional.dateSeparator = separators[in.ConsumeIntegral<uint8_t>() % std::size(separators)];
  regional.timeSeparator = separators[in.ConsumeIntegral<uint8_t>() % std::size(separators)];
  const uint8_t which = in.ConsumeIntegral<uint8_t>();
  if (which & 1) regional.shortDateFormat = ConsumeText(in, 24, kExtras);
  if (which & 2) regional.longDateFormat = ConsumeText(in, 24, kExtras);
  if (which & 4) regional.shortTimeFormat = ConsumeText(in, 24, kExtras);
  if (which & 8) regional.longTimeFormat = ConsumeText(in, 24, kExtras);
  if (which & 16) {
    regional.amText = ConsumeText(in, 8, kExtras);
    regional.pmText = ConsumeText(in, 8, kExtras);
  }
  if (which & 32) {
    regional.shortMonthNames[in.ConsumeIntegral<uint8_t>() % 12] = ConsumeText(in, 8, kExtras);
    regional.longDayNames[in.ConsumeIntegral<uint8_t>() % 7] = ConsumeText(in, 8, kExtras);
  }
  const int languages[] = {kLangEnglish, kLangChinese, kLangJapanese, kLangKorean};
  regional.facts.primaryLanguage = languages[in.ConsumeIntegral<uint8_t>() % 4];
  regional.facts.subLanguage = in.ConsumeIntegral<uint8_t>() % 3;
  FuzzEras eras;
  eras.answer = in.ConsumeBool();
  eras.era = ConsumeText(in, 8, kExtras);
  const bool withEras = in.ConsumeBool();
  const Text format = ConsumeText(in, 256, kExtras);

  const Text text = DateTimeText(regional, format, value, withEras ? &eras : nullptr);

  // Every character of a format writes at most one atom (a name, a number of
  // at most four digits, a copied character) or one expansion of a regional
  // format, whose own characters write atoms only; quoted text is copied.
  const size_t atom = std::max<size_t>({LongestOf(regional), eras.era.size(), 4});
  const size_t nested = (regional.shortDateFormat.size() + regional.longDateFormat.size() +
                         regional.shortTimeFormat.size() + regional.longTimeFormat.size() + 1) *
                        atom;
  const size_t bound = (format.empty() ? 1 : format.size()) * (atom + nested + 2);
  FUZZ_CHECK(text.size() <= bound, "text of " + std::to_string(text.size()) +
                                       " units for a format of " + std::to_string(format.size()) +
                                       ": " + Show(format));

  // The page name's format: twelve digits, whatever the value and settings.
  const Text name = DateTimeText(regional, u"yymmddhhnnss", value, &eras);
  FUZZ_CHECK(name.size() == 12 && AllDigits(name), Show(name));

  // The record format, with plain separators, reads back as the value's
  // calendar fields, or as zeros for a value without a date.
  RegionalFormat plain;
  const Text record = DateTimeText(plain, u"yyyy/m/d h:nn:ss", value);
  const SplitDateTime parts = SplitValue(value);
  char expected[64];
  if (parts.valid) {
    std::snprintf(expected, sizeof expected, "%04d/%d/%d %d:%02d:%02d", parts.year, parts.month,
                  parts.day, parts.hour, parts.minute, parts.second);
  } else {
    std::snprintf(expected, sizeof expected, "0000/0/0 0:00:00");
  }
  FUZZ_CHECK(Utf8(record) == expected, Utf8(record) + " instead of " + expected);
  if (parts.valid) {
    FUZZ_CHECK(parts.month >= 1 && parts.month <= 12 && parts.day >= 1 &&
                   parts.day <= DaysInMonth(parts.year, parts.month) && parts.hour < 24 &&
                   parts.minute < 60 && parts.second < 60 && parts.millisecond < 1000 &&
                   parts.dayOfWeek >= 1 && parts.dayOfWeek <= 7,
               "split fields out of range");
    // The fields come back to the value, to the millisecond. (Between -1 and
    // 0 a value and its negative name the same moment of day 0.)
    if (value >= 0 || value <= -1) {
      const double back =
          CombineDateTime(DateFromParts(parts.year, parts.month, parts.day),
                          TimeFromParts(parts.hour, parts.minute, parts.second, parts.millisecond));
      // Half a millisecond of rounding, and the double's own spacing at the value.
      FUZZ_CHECK(std::fabs(back - value) * kMsPerDay <= 0.6, "fields do not give the value back");
    }
  }
  return 0;
}
