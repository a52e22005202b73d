#pragma once
// The POSIX locale back end's pieces that do not depend on the environment,
// open to tests.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text.h"

namespace ostrivel {

// The ICU locale name of a POSIX locale value ("zh_CN.UTF-8" -> "zh_CN");
// the C and POSIX locales (and an empty value) read as en_US.
std::string IcuLocaleName(std::string_view posixLocale);

// The LCID Windows gives the locale: a table of common ones, the language's
// primary language with the default sublanguage otherwise, and 0x1000 (a
// custom locale) for a language Windows has no number for.
uint32_t LocaleIdOf(std::string_view icuLocaleName);
// The locale name for an LCID of that table; empty when unknown.
std::string LocaleNameOf(uint32_t lcid);

// An ICU date pattern in the picture letters of Windows: "y/M/d" is written
// "yyyy/M/d", "EEEE" "dddd", an era "gg"; quoted text stays quoted.
Text WindowsDatePicture(std::u16string_view icuPattern);

// The first separator character outside quotes after the first field of a
// picture; NUL when there is none.
char16_t FirstSeparator(std::u16string_view picture, std::u16string_view fieldLetters);

// What the three number items of the time format say about an ICU time
// pattern.
struct ClockStyle {
  bool twentyFourHour = false;  // H or k
  bool leadingZero = false;     // hour of two letters
  bool markerFirst = false;     // a, b or B before the hour
};
ClockStyle ClockStyleOf(std::u16string_view icuTimePattern);

}  // namespace ostrivel
