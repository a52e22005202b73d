#pragma once
// The locale services behind the regional settings, as a seam: Windows answers
// them itself, the POSIX back end answers from ICU the way Windows would, and
// tests answer from a table.

#include <cstdint>

#include "core/text.h"

namespace ostrivel {

// Locale items, numbered as Windows numbers them (LOCALE_*), so that the Win32
// back end passes them on unchanged.
inline constexpr uint32_t kLocaleSDate = 0x001D;
inline constexpr uint32_t kLocaleSTime = 0x001E;
inline constexpr uint32_t kLocaleSShortDate = 0x001F;
inline constexpr uint32_t kLocaleSLongDate = 0x0020;
inline constexpr uint32_t kLocaleITime = 0x0023;
inline constexpr uint32_t kLocaleITLZero = 0x0025;
inline constexpr uint32_t kLocaleS1159 = 0x0028;
inline constexpr uint32_t kLocaleS2359 = 0x0029;
inline constexpr uint32_t kLocaleSDayName1 = 0x002A;        // Monday; ...7 = Sunday is +6
inline constexpr uint32_t kLocaleSAbbrevDayName1 = 0x0031;  // Monday; ...7 = Sunday is +6
inline constexpr uint32_t kLocaleSMonthName1 = 0x0038;      // January; December is +11
inline constexpr uint32_t kLocaleSAbbrevMonthName1 = 0x0044;
inline constexpr uint32_t kLocaleSTimeFormat = 0x1003;  // never read: see LoadRegionalFormat
inline constexpr uint32_t kLocaleITimeMarkPosn = 0x1005;
inline constexpr uint32_t kLocaleICalendarType = 0x1009;

inline constexpr uint32_t kLocaleUserDefault = 0x0400;
inline constexpr uint32_t kEnglishUnitedStates = 0x0409;

// Primary languages tested by the date pictures and era names.
inline constexpr int kLangChinese = 0x04;
inline constexpr int kLangEnglish = 0x09;
inline constexpr int kLangJapanese = 0x11;
inline constexpr int kLangKorean = 0x12;
inline constexpr int kSublangChineseTraditional = 0x01;

// Calendar types whose era replaces the year in a date picture.
inline constexpr int kCalJapan = 3;
inline constexpr int kCalTaiwan = 4;
inline constexpr int kCalKorea = 5;

// The locale the settings were read under: the thread locale, its primary
// language (low 10 bits) and its sublanguage (next 6 bits).
struct LocaleFacts {
  uint32_t lcid = kEnglishUnitedStates;
  int primaryLanguage = kLangEnglish;
  int subLanguage = 1;
};

// The locale services the regional settings are read from. Windows answers
// them itself; elsewhere a back end answers the way Windows would.
class LocaleSource {
 public:
  virtual ~LocaleSource() = default;
  virtual uint32_t ThreadLocale() = 0;              // GetThreadLocale
  virtual void SetThreadLocale(uint32_t lcid) = 0;  // SetThreadLocale
  virtual bool IsValidLocale(uint32_t lcid) = 0;    // IsValidLocale(lcid, LCID_INSTALLED)
  // GetLocaleInfoW: the whole value without its NUL; false when the item
  // cannot be read. The callers apply the buffer limits.
  virtual bool LocaleInfo(uint32_t lcid, uint32_t item, Text& value) = 0;
  // GetDateFormatW(ThreadLocale(), DATE_USE_ALT_CALENDAR) of that day with a
  // picture of g and y letters; false when the call fails.
  virtual bool AltCalendarDateText(int year, int month, int day, TextView picture, Text& text) = 0;
};

// The platform's locale services (back end chosen by the build).
LocaleSource& SystemLocaleSource();

}  // namespace ostrivel
