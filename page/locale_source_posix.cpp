// The regional settings from the user's locale (LC_ALL, LC_TIME, LANG) through
// ICU, answered item by item the way GetLocaleInfoW would answer them.

#include "page/locale_source_posix.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "page/locale_source.h"

namespace ostrivel {
namespace {

constexpr uint32_t kLocaleCustomUnspecified = 0x1000;

struct KnownLocale {
  const char* name;
  uint32_t lcid;
};
// Full LCIDs of common locales, the first of a language being its default.
constexpr KnownLocale kKnownLocales[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009}, {"zh_CN", 0x0804}, {"zh_TW", 0x0404},
    {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412},
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"fr_FR", 0x040C},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
    {"es_AR", 0x2C0A}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"it_IT", 0x0410}, {"it_CH", 0x0810},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"sv_SE", 0x041D}, {"sv_FI", 0x081D}, {"nb_NO", 0x0414},
    {"nn_NO", 0x0814}, {"da_DK", 0x0406}, {"fi_FI", 0x040B}, {"pl_PL", 0x0415}, {"cs_CZ", 0x0405},
    {"sk_SK", 0x041B}, {"hu_HU", 0x040E}, {"ro_RO", 0x0418}, {"ru_RU", 0x0419}, {"uk_UA", 0x0422},
    {"bg_BG", 0x0402}, {"el_GR", 0x0408}, {"tr_TR", 0x041F}, {"he_IL", 0x040D}, {"ar_SA", 0x0401},
    {"th_TH", 0x041E}, {"vi_VN", 0x042A}, {"id_ID", 0x0421}, {"hi_IN", 0x0439}, {"fa_IR", 0x0429},
    {"ca_ES", 0x0403}, {"hr_HR", 0x041A}, {"sl_SI", 0x0424}, {"et_EE", 0x0425}, {"lv_LV", 0x0426},
    {"lt_LT", 0x0427}, {"is_IS", 0x040F},
};

struct KnownLanguage {
  const char* code;
  uint32_t primary;
};
constexpr KnownLanguage kKnownLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"rm", 0x17}, {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sr", 0x1A}, {"bs", 0x1A},
    {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20},
    {"id", 0x21}, {"uk", 0x22}, {"be", 0x23}, {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26},
    {"lt", 0x27}, {"fa", 0x29}, {"vi", 0x2A}, {"hy", 0x2B}, {"az", 0x2C}, {"eu", 0x2D},
    {"mk", 0x2F}, {"af", 0x36}, {"ka", 0x37}, {"fo", 0x38}, {"hi", 0x39}, {"ms", 0x3E},
    {"kk", 0x3F}, {"sw", 0x41}, {"bn", 0x45}, {"ta", 0x49}, {"mn", 0x50}, {"cy", 0x52},
    {"gl", 0x56}, {"ga", 0x3C},
};

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsSpaceLike(char16_t c) {
  return c == u' ' || c == 0x00A0 || c == 0x202F || c == 0x2009 || c == 0x200E || c == 0x200F;
}

Text ToText(const icu::UnicodeString& s) { return Text(s.getBuffer(), s.length()); }

// The user's locale for dates, as the C library would choose it.
std::string UserLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return IcuLocaleName(value);
  }
  return IcuLocaleName("");
}

// The calendar Windows offers beside the Gregorian one for the locale, which
// is where the era tokens come from.
std::string AltCalendarOf(const std::string& localeName) {
  if (localeName.rfind("ja", 0) == 0) return "japanese";
  if (localeName == "zh_TW") return "roc";
  if (localeName.rfind("th", 0) == 0) return "buddhist";
  return "";
}

int CalendarTypeOf(const char* icuType) {
  if (icuType == nullptr) return 1;
  const std::string type = icuType;
  if (type == "japanese") return 3;
  if (type == "roc") return 4;
  if (type.rfind("islamic", 0) == 0) return 6;
  if (type == "buddhist") return 7;
  if (type == "hebrew") return 8;
  return 1;
}

Text PatternOf(icu::DateFormat* format) {
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format);
  if (simple == nullptr) return Text();
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  return ToText(pattern);
}

// Every item of one locale, read once.
class LocaleItems {
 public:
  explicit LocaleItems(const std::string& name) {
    const icu::Locale locale(name.c_str());
    UErrorCode status = U_ZERO_ERROR;
    icu::DateFormatSymbols symbols(locale, status);
    if (U_SUCCESS(status)) {
      // Windows keeps the names as they stand alone ("Январь", not "января").
      constexpr auto kStandalone = icu::DateFormatSymbols::STANDALONE;
      constexpr auto kWide = icu::DateFormatSymbols::WIDE;
      constexpr auto kAbbreviated = icu::DateFormatSymbols::ABBREVIATED;
      int32_t count = 0;
      // ICU numbers the days 1 = Sunday; Windows 1 = Monday ... 7 = Sunday.
      const icu::UnicodeString* shortDays = symbols.getWeekdays(count, kStandalone, kAbbreviated);
      for (int32_t day = 1; day < count && day <= 7; ++day) {
        items_[kLocaleSAbbrevDayName1 + (day + 5) % 7] = ToText(shortDays[day]);
      }
      const icu::UnicodeString* longDays = symbols.getWeekdays(count, kStandalone, kWide);
      for (int32_t day = 1; day < count && day <= 7; ++day) {
        items_[kLocaleSDayName1 + (day + 5) % 7] = ToText(longDays[day]);
      }
      const icu::UnicodeString* shortMonths = symbols.getMonths(count, kStandalone, kAbbreviated);
      for (int32_t month = 0; month < count && month < 12; ++month) {
        items_[kLocaleSAbbrevMonthName1 + month] = ToText(shortMonths[month]);
      }
      const icu::UnicodeString* longMonths = symbols.getMonths(count, kStandalone, kWide);
      for (int32_t month = 0; month < count && month < 12; ++month) {
        items_[kLocaleSMonthName1 + month] = ToText(longMonths[month]);
      }
      const icu::UnicodeString* amPm = symbols.getAmPmStrings(count);
      if (count >= 2) {
        items_[kLocaleS1159] = ToText(amPm[0]);
        items_[kLocaleS2359] = ToText(amPm[1]);
      }
    }

    std::unique_ptr<icu::DateFormat> shortDate(
        icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    const Text shortPattern = PatternOf(shortDate.get());
    if (!shortPattern.empty()) {
      items_[kLocaleSShortDate] = WindowsDatePicture(shortPattern);
      if (char16_t separator = FirstSeparator(shortPattern, u"yMLdEcGu"); separator != u'\0') {
        items_[kLocaleSDate] = Text(1, separator);
      }
    }
    std::unique_ptr<icu::DateFormat> longDate(
        icu::DateFormat::createDateInstance(icu::DateFormat::kFull, locale));
    const Text longPattern = PatternOf(longDate.get());
    if (!longPattern.empty()) items_[kLocaleSLongDate] = WindowsDatePicture(longPattern);

    std::unique_ptr<icu::DateFormat> time(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale));
    const Text timePattern = PatternOf(time.get());
    if (!timePattern.empty()) {
      const ClockStyle style = ClockStyleOf(timePattern);
      items_[kLocaleITime] = style.twentyFourHour ? u"1" : u"0";
      items_[kLocaleITLZero] = style.leadingZero ? u"1" : u"0";
      items_[kLocaleITimeMarkPosn] = style.markerFirst ? u"1" : u"0";
      if (char16_t separator = FirstSeparator(timePattern, u"hHkK"); separator != u'\0') {
        items_[kLocaleSTime] = Text(1, separator);
      }
    }

    status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(locale, status));
    if (U_SUCCESS(status))
      items_[kLocaleICalendarType] = Decimal(CalendarTypeOf(calendar->getType()));
  }

  bool Get(uint32_t item, Text& value) const {
    const auto it = items_.find(item);
    if (it == items_.end()) return false;
    value = it->second;
    return true;
  }

 private:
  std::map<uint32_t, Text> items_;
};

class PosixLocaleSource final : public LocaleSource {
 public:
  PosixLocaleSource() { Select(UserLocaleName()); }

  uint32_t ThreadLocale() override { return lcid_; }

  void SetThreadLocale(uint32_t lcid) override {
    if (lcid == kLocaleUserDefault) {
      Select(UserLocaleName());
    } else if (std::string name = LocaleNameOf(lcid); !name.empty()) {
      Select(name);
    }
  }

  bool IsValidLocale(uint32_t lcid) override {
    return lcid == lcid_ || !LocaleNameOf(lcid).empty();
  }

  bool LocaleInfo(uint32_t lcid, uint32_t item, Text& value) override {
    if (lcid == lcid_ || lcid == kLocaleUserDefault) return items_->Get(item, value);
    const std::string name = LocaleNameOf(lcid);
    if (name.empty()) return false;
    std::unique_ptr<LocaleItems>& other = others_[name];
    if (!other) other = std::make_unique<LocaleItems>(name);
    return other->Get(item, value);
  }

  bool AltCalendarDateText(int year, int month, int day, TextView picture, Text& text) override {
    UErrorCode status = U_ZERO_ERROR;
    // The day itself, on the proleptic Gregorian calendar, at noon UTC.
    icu::GregorianCalendar gregorian(*icu::TimeZone::getGMT(), status);
    gregorian.setGregorianChange(-8.64e15, status);
    gregorian.clear();
    gregorian.set(year, month - 1, day, 12, 0, 0);
    const UDate date = gregorian.getTime(status);
    if (U_FAILURE(status)) return false;

    const std::string alt = AltCalendarOf(name_);
    icu::Locale locale(name_.c_str());
    if (!alt.empty()) locale.setKeywordValue("calendar", alt.c_str(), status);
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
    if (U_FAILURE(status)) return false;
    const std::string type = calendar->getType();
    if (type == "chinese" || type == "dangi") return false;  // cyclic years, no eras
    if (auto* g = dynamic_cast<icu::GregorianCalendar*>(calendar.get())) {
      g->setGregorianChange(-8.64e15, status);
    }
    // Japanese and Taiwanese eras are written whole, as Windows writes them.
    icu::UnicodeString pattern;
    if (picture == u"gg") {
      pattern = alt.empty() ? u"G" : u"GGGG";
    } else if (picture == u"yy") {
      pattern = u"yy";
    } else {
      pattern = u"y";
    }
    icu::SimpleDateFormat format(pattern, locale, status);
    if (U_FAILURE(status)) return false;
    format.adoptCalendar(calendar.release());
    icu::UnicodeString result;
    format.format(date, result);
    text = ToText(result);
    return !text.empty();
  }

 private:
  void Select(const std::string& name) {
    name_ = name;
    lcid_ = LocaleIdOf(name);
    items_ = std::make_unique<LocaleItems>(name);
  }

  std::string name_;
  uint32_t lcid_ = kEnglishUnitedStates;
  std::unique_ptr<LocaleItems> items_;
  std::map<std::string, std::unique_ptr<LocaleItems>> others_;  // locales asked by number
};

}  // namespace

std::string IcuLocaleName(std::string_view posixLocale) {
  std::string name(posixLocale.substr(0, posixLocale.find_first_of(".@")));
  if (name.empty() || name == "C" || name == "POSIX") return "en_US";
  return name;
}

uint32_t LocaleIdOf(std::string_view icuLocaleName) {
  for (const KnownLocale& known : kKnownLocales) {
    if (icuLocaleName == known.name) return known.lcid;
  }
  const std::string_view language = icuLocaleName.substr(0, icuLocaleName.find_first_of("_-"));
  // A language without its region takes its first table entry (zh -> zh_CN).
  for (const KnownLocale& known : kKnownLocales) {
    if (std::string_view(known.name).substr(0, 3) == std::string(language) + "_") {
      return known.lcid;
    }
  }
  for (const KnownLanguage& known : kKnownLanguages) {
    if (language == known.code) return (1u << 10) | known.primary;
  }
  return kLocaleCustomUnspecified;
}

std::string LocaleNameOf(uint32_t lcid) {
  for (const KnownLocale& known : kKnownLocales) {
    if (known.lcid == lcid) return known.name;
  }
  for (const KnownLanguage& known : kKnownLanguages) {
    if ((1u << 10 | known.primary) == lcid) return known.code;
  }
  return "";
}

Text WindowsDatePicture(std::u16string_view p) {
  Text out;
  size_t i = 0;
  while (i < p.size()) {
    const char16_t c = p[i];
    if (c == u'\'') {
      // '' is a literal quote, which a picture cannot write: left out.
      if (i + 1 < p.size() && p[i + 1] == u'\'') {
        i += 2;
        continue;
      }
      const size_t close = p.find(u'\'', i + 1);
      const size_t end = close == std::u16string_view::npos ? p.size() : close;
      out += u'\'';
      out.append(p.substr(i + 1, end - i - 1));
      out += u'\'';
      i = end == p.size() ? end : end + 1;
      continue;
    }
    if (!IsAsciiLetter(c)) {
      // A double quote would start quoted text in a picture.
      if (c == u'"') {
        out += u"'\"'";
      } else {
        out += c;
      }
      ++i;
      continue;
    }
    size_t count = 1;
    while (i + count < p.size() && p[i + count] == c) ++count;
    i += count;
    switch (c) {
      case u'y':
      case u'u':
      case u'Y':
      case u'r':
        out += count == 2 ? u"yy" : u"yyyy";
        break;
      case u'M':
      case u'L':
        out += count == 1 ? u"M" : count == 2 ? u"MM" : count == 4 ? u"MMMM" : u"MMM";
        break;
      case u'd':
        out += count == 1 ? u"d" : u"dd";
        break;
      case u'E':
      case u'c':
      case u'e':
        out += count == 4 ? u"dddd" : u"ddd";
        break;
      case u'G':
        out += u"gg";
        break;
      default:
        break;  // fields a date picture has no letters for
    }
  }
  return out;
}

char16_t FirstSeparator(std::u16string_view picture, std::u16string_view fieldLetters) {
  size_t i = 0;
  bool quoted = false;
  while (i < picture.size() &&
         (quoted || fieldLetters.find(picture[i]) == std::u16string_view::npos)) {
    if (picture[i] == u'\'') quoted = !quoted;
    ++i;
  }
  if (i == picture.size()) return u'\0';
  const char16_t field = picture[i];
  while (i < picture.size() && picture[i] == field) ++i;
  while (i < picture.size() && IsSpaceLike(picture[i])) ++i;
  if (i == picture.size() || IsAsciiLetter(picture[i]) || picture[i] == u'\'') return u'\0';
  return picture[i];
}

ClockStyle ClockStyleOf(std::u16string_view pattern) {
  ClockStyle style;
  bool quoted = false;
  bool seenMarker = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\'') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if (c == u'a' || c == u'b' || c == u'B') seenMarker = true;
    if (c == u'h' || c == u'H' || c == u'k' || c == u'K') {
      style.twentyFourHour = c == u'H' || c == u'k';
      style.leadingZero = i + 1 < pattern.size() && pattern[i + 1] == c;
      style.markerFirst = seenMarker && !style.twentyFourHour;
      break;
    }
  }
  return style;
}

LocaleSource& SystemLocaleSource() {
  static PosixLocaleSource source;
  return source;
}

}  // namespace ostrivel
