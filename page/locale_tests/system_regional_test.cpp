// The regional settings of the platform under the locale this binary runs in
// (LANG and LC_ALL set by the build): Windows' own settings under Wine, ICU's
// (ICU 72, CLDR 42) natively.

#include <gtest/gtest.h>

#include <cstring>

#include "page/date_time.h"
#include "page/date_value.h"

namespace ostrivel {
namespace {

const double kMorning = DateFromParts(2018, 12, 8) + TimeFromParts(9, 5, 3, 250);
const double kEvening = DateFromParts(2018, 12, 8) + TimeFromParts(21, 5, 3, 0);

struct Expected {
  const char* platform;
  const char* locale;
  uint32_t lcid;
  int primaryLanguage, subLanguage;
  char16_t dateSeparator, timeSeparator;
  Text shortDateFormat, longTimeFormat;
  Text shortDate, morning, evening;  // ShortDateText, LongTimeText
  Text sunday, december, era;        // dddd, mmmm, gg
};

// Wine's GetDateFormatW writes the era once for every g of the picture "gg"
// (Windows writes it once), so under Wine the era name comes out twice.

const Expected kExpected[] = {
    // Wine: en-US M/d/yyyy, ITIME 0, ITLZERO 0, AM/PM.
    {"win32", "en_US", 0x0409, 0x09, 1, u'/', u':', u"M/d/yyyy", u"h:mm:ss AMPM", u"12/8/2018",
     u"9:05:03 AM", u"9:05:03 PM", u"Sunday", u"December", u"ADAD"},
    // Wine: zh-CN yyyy/M/d, ITIME 1, ITLZERO 1, 上午/下午.
    {"win32", "zh_CN", 0x0804, 0x04, 2, u'/', u':', u"yyyy/M/d", u"hh:mm:ss", u"2018/12/8",
     u"09:05:03", u"21:05:03", u"星期日", u"十二月", u"公元公元"},
    // ICU: short date M/d/yy, time h:mm:ss a (12-hour, no leading zero, marker after).
    {"posix", "en_US", 0x0409, 0x09, 1, u'/', u':', u"M/d/yy", u"h:mm:ss AMPM", u"12/8/18",
     u"9:05:03 AM", u"9:05:03 PM", u"Sunday", u"December", u"AD"},
    // ICU: short date y/M/d, time HH:mm:ss (24-hour, leading zero).
    {"posix", "zh_CN", 0x0804, 0x04, 2, u'/', u':', u"yyyy/M/d", u"hh:mm:ss", u"2018/12/8",
     u"09:05:03", u"21:05:03", u"星期日", u"十二月", u"公元"},
};

const Expected& ThisLocale() {
  for (const Expected& e : kExpected) {
    if (std::strcmp(e.platform, OSTRIVEL_TEST_PLATFORM) == 0 &&
        std::strcmp(e.locale, OSTRIVEL_TEST_LOCALE) == 0) {
      return e;
    }
  }
  std::abort();
}

TEST(SystemRegionalSettings, ThisLocale) {
  const Expected& e = ThisLocale();
  RegionalSettings settings(SystemLocaleSource());
  const RegionalFormat& f = settings.Format();
  EXPECT_EQ(f.facts.lcid, e.lcid);
  EXPECT_EQ(f.facts.primaryLanguage, e.primaryLanguage);
  EXPECT_EQ(f.facts.subLanguage, e.subLanguage);
  EXPECT_EQ(f.dateSeparator, e.dateSeparator);
  EXPECT_EQ(f.timeSeparator, e.timeSeparator);
  EXPECT_EQ(f.shortDateFormat, e.shortDateFormat);
  EXPECT_EQ(f.longTimeFormat, e.longTimeFormat);
  EXPECT_EQ(settings.ShortDateText(kMorning), e.shortDate);
  EXPECT_EQ(settings.LongTimeText(kMorning), e.morning);
  EXPECT_EQ(settings.LongTimeText(kEvening), e.evening);
  EXPECT_EQ(settings.DateTimeText(u"dddd", DateFromParts(2018, 12, 9)), e.sunday);
  EXPECT_EQ(settings.DateTimeText(u"mmmm", kMorning), e.december);
  EXPECT_EQ(settings.DateTimeText(u"gg", kMorning), e.era);
  // The system's own formats do not depend on the locale here.
  EXPECT_EQ(settings.DateTimeText(u"yyyy/m/d h:nn:ss", kEvening), u"2018/12/8 21:05:03");
  EXPECT_EQ(settings.DateTimeText(u"yymmddhhnnss", kMorning), u"181208090503");
}

TEST(SystemRegionalSettings, RefreshReadsTheSameUserLocale) {
  const Expected& e = ThisLocale();
  RegionalSettings settings(SystemLocaleSource());
  settings.Refresh();
  EXPECT_EQ(settings.Format().facts.lcid, e.lcid);
  EXPECT_EQ(settings.ShortDateText(kMorning), e.shortDate);
  EXPECT_EQ(settings.LongTimeText(kEvening), e.evening);
}

// Another installed locale is read as asked; one that is not installed gives
// the thread locale's settings.
TEST(SystemRegionalSettings, LoadByLocaleId) {
  const Expected& e = ThisLocale();
  LocaleSource& source = SystemLocaleSource();
  const LocaleFacts facts = ReadLocaleFacts(source);
  const RegionalFormat german = LoadRegionalFormat(source, 0x0407, facts);
  EXPECT_EQ(german.dateSeparator, u'.');
  // Windows (Wine) pictures d.M.yyyy, ICU dd.MM.yy: both held with "/".
  const bool windows = std::strcmp(OSTRIVEL_TEST_PLATFORM, "win32") == 0;
  EXPECT_EQ(german.shortDateFormat, windows ? u"d/M/yyyy" : u"dd/MM/yy");
  EXPECT_EQ(DateTimeText(german, german.shortDateFormat, kMorning),
            windows ? u"8.12.2018" : u"08.12.18");
  EXPECT_EQ(german.longDayNames[0], u"Sonntag");

  const RegionalFormat unknown = LoadRegionalFormat(source, 0x7F7F, facts);
  EXPECT_EQ(unknown.shortDateFormat, e.shortDateFormat);
  EXPECT_EQ(unknown.longTimeFormat, e.longTimeFormat);
}

}  // namespace
}  // namespace ostrivel
