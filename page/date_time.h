#pragma once
// Date and time text: the regional format settings read from the locale, and
// the formatter that writes a date-time value (page/date_value.h) as text.

#include <array>
#include <cstdint>

#include "core/text.h"
#include "page/locale_source.h"

namespace ostrivel {

// The record of separators, formats, AM/PM texts and names that date and time
// text uses, with the start-up locale facts it was read under.
struct RegionalFormat {
  char16_t dateSeparator = u'/';  // written for "/"; NUL writes nothing
  char16_t timeSeparator = u':';  // written for ":"; NUL writes nothing
  Text shortDateFormat = u"m/d/yy";
  Text longDateFormat = u"mmmm d, yyyy";
  Text shortTimeFormat = u"h:mm AMPM";
  Text longTimeFormat = u"h:mm:ss AMPM";
  Text amText = u"am";
  Text pmText = u"pm";
  std::array<Text, 12> shortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                       u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::array<Text, 12> longMonthNames{u"January",   u"February", u"March",    u"April",
                                      u"May",       u"June",     u"July",     u"August",
                                      u"September", u"October",  u"November", u"December"};
  std::array<Text, 7> shortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<Text, 7> longDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                   u"Thursday", u"Friday", u"Saturday"};

  LocaleFacts facts;
};

// The start-up facts from GetThreadLocale (0x0409 when it answers 0).
LocaleFacts ReadLocaleFacts(LocaleSource& source);

// Every field read from the locale `lcid` (the thread locale when lcid is not
// installed), defaults where an item cannot be read; `facts` are kept in the
// record and decide the date pictures' eras.
RegionalFormat LoadRegionalFormat(LocaleSource& source, uint32_t lcid, const LocaleFacts& facts);

// A Windows date picture as a format of DateTimeText: era years for the
// Japanese, Taiwanese and Korean calendars, no era for Chinese, Japanese and
// Korean otherwise, the date separator held as "/".
Text AdaptDatePicture(LocaleSource& source, uint32_t lcid, uint32_t item, TextView defaultPicture,
                      char16_t dateSeparator, int primaryLanguage);

// The start-up facts and the record, read afresh from the thread locale.
RegionalFormat RefreshRegionalFormat(LocaleSource& source);

// The formatter. Never fails. `eras` answers the era tokens g and e; without
// it they write nothing. A value with no date in years 1 to 9999 (NaN and the
// infinities included) writes zeros for its numbers and nothing for its names
// and eras, so "yymmddhhnnss" still gives twelve digits.
Text DateTimeText(const RegionalFormat& regional, TextView format, double value,
                  LocaleSource* eras = nullptr);

// The text of DateTimeText(regional, u"yyyy/m/d h:nn:ss", value), appended to
// `out` without reading the format: the records write one per file.
void AppendNumericDateTime(Text& out, const RegionalFormat& regional, double value);

// The program-wide RegionalFormat with its start-up locale facts.
class RegionalSettings {
 public:
  explicit RegionalSettings(LocaleSource& source);

  const RegionalFormat& Format() const { return format_; }
  // After a change of the user's settings: the user's default locale becomes
  // the thread locale and the record is read again.
  void Refresh();

  Text DateTimeText(TextView format, double value) const;
  Text ShortDateText(double value) const;
  Text LongTimeText(double value) const;

 private:
  LocaleSource& source_;
  RegionalFormat format_;
};

}  // namespace ostrivel
