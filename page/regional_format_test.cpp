// Reading the regional settings, against a locale made of a table.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "page/date_time.h"
#include "page/date_value.h"

namespace ostrivel {
namespace {

constexpr uint32_t kChinaLcid = 0x0804;
constexpr uint32_t kTaiwanLcid = 0x0404;
constexpr uint32_t kJapanLcid = 0x0411;

const double kMorning = DateFromParts(2018, 12, 8) + TimeFromParts(9, 5, 3, 250);
const double kEvening = DateFromParts(2018, 12, 8) + TimeFromParts(21, 5, 3, 0);
const double kMidnight = DateFromParts(2018, 12, 8);
const double kHalfPastNoon = DateFromParts(2018, 12, 8) + TimeFromParts(12, 30, 0, 0);

class FakeLocaleSource final : public LocaleSource {
 public:
  uint32_t threadLocale = kEnglishUnitedStates;
  std::set<uint32_t> installed{kEnglishUnitedStates, kChinaLcid, kTaiwanLcid, kJapanLcid};
  std::map<std::pair<uint32_t, uint32_t>, Text> items;  // (lcid, item) -> value
  std::map<Text, Text> eras;                            // picture -> text
  std::vector<uint32_t> setThreadLocaleCalls;
  std::vector<uint32_t> itemsAsked;
  int eraCalls = 0;

  void Set(uint32_t item, Text value, uint32_t lcid = kEnglishUnitedStates) {
    items[{lcid, item}] = std::move(value);
  }

  uint32_t ThreadLocale() override { return threadLocale; }
  void SetThreadLocale(uint32_t lcid) override { setThreadLocaleCalls.push_back(lcid); }
  bool IsValidLocale(uint32_t lcid) override { return installed.count(lcid) != 0; }
  bool LocaleInfo(uint32_t lcid, uint32_t item, Text& value) override {
    itemsAsked.push_back(item);
    const auto it = items.find({lcid, item});
    if (it == items.end()) return false;
    value = it->second;
    return true;
  }
  bool AltCalendarDateText(int year, int month, int day, TextView picture, Text& text) override {
    ++eraCalls;
    lastEraDate = {year, month, day};
    const auto it = eras.find(Text(picture));
    if (it == eras.end()) return false;
    text = it->second;
    return true;
  }
  std::array<int, 3> lastEraDate{};
};

LocaleFacts FactsOf(uint32_t lcid, int primary, int sub) {
  LocaleFacts facts;
  facts.lcid = lcid;
  facts.primaryLanguage = primary;
  facts.subLanguage = sub;
  return facts;
}

TEST(RegionalFormat, EveryItemUnreadableGivesTheDefaults) {
  FakeLocaleSource source;
  const RegionalFormat f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
  const RegionalFormat defaults;
  EXPECT_EQ(f.dateSeparator, u'/');
  EXPECT_EQ(f.timeSeparator, u':');
  EXPECT_EQ(f.shortDateFormat, u"m/d/yy");
  EXPECT_EQ(f.longDateFormat, u"mmmm d, yyyy");
  EXPECT_EQ(f.shortTimeFormat, u"h:mm AMPM");
  EXPECT_EQ(f.longTimeFormat, u"h:mm:ss AMPM");
  EXPECT_EQ(f.amText, u"am");
  EXPECT_EQ(f.pmText, u"pm");
  EXPECT_EQ(f.shortDayNames, defaults.shortDayNames);
  EXPECT_EQ(f.longDayNames, defaults.longDayNames);
  EXPECT_EQ(f.shortMonthNames, defaults.shortMonthNames);
  EXPECT_EQ(f.longMonthNames, defaults.longMonthNames);
  EXPECT_EQ(f.shortDayNames[0], u"Sun");
  EXPECT_EQ(f.longMonthNames[11], u"December");
  EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMorning), u"9:05:03 am");
  EXPECT_EQ(DateTimeText(f, f.shortDateFormat, kMorning), u"12/8/18");
}

TEST(RegionalFormat, NamesInTheirOrder) {
  FakeLocaleSource source;
  const char16_t* const days[7] = {u"一", u"二", u"三", u"四", u"五", u"六", u"日"};
  for (uint32_t i = 0; i < 7; ++i) {  // item 1 is Monday, item 7 Sunday
    source.Set(kLocaleSAbbrevDayName1 + i, Text(u"周") + days[i]);
    source.Set(kLocaleSDayName1 + i, Text(u"星期") + days[i]);
  }
  for (uint32_t i = 0; i < 12; ++i) {
    source.Set(kLocaleSAbbrevMonthName1 + i, Decimal(i + 1) + u"月");
    source.Set(kLocaleSMonthName1 + i, u"M" + Decimal(i + 1));
  }
  source.Set(kLocaleSDayName1 + 2, u"");          // Wednesday empty: the English name
  source.Set(kLocaleSAbbrevMonthName1 + 4, u"");  // May empty: the English name
  const RegionalFormat f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
  EXPECT_EQ(f.shortDayNames[0], u"周日");
  EXPECT_EQ(f.shortDayNames[1], u"周一");
  EXPECT_EQ(f.shortDayNames[6], u"周六");
  EXPECT_EQ(f.longDayNames[0], u"星期日");
  EXPECT_EQ(f.longDayNames[3], u"Wednesday");
  EXPECT_EQ(f.shortMonthNames[0], u"1月");
  EXPECT_EQ(f.shortMonthNames[4], u"May");
  EXPECT_EQ(f.shortMonthNames[11], u"12月");
  EXPECT_EQ(f.longMonthNames[11], u"M12");
  EXPECT_EQ(DateTimeText(f, u"dddd ddd mmm", kMorning), u"星期六 周六 12月");

  // Sunday is asked first, then Monday to Saturday; the separator before the pictures.
  ASSERT_GE(source.itemsAsked.size(), 2u);
  EXPECT_EQ(source.itemsAsked[0], kLocaleSAbbrevDayName1 + 6);
  EXPECT_EQ(source.itemsAsked[1], kLocaleSAbbrevDayName1);
  const auto at = [&](uint32_t item) {
    return std::find(source.itemsAsked.begin(), source.itemsAsked.end(), item) -
           source.itemsAsked.begin();
  };
  EXPECT_LT(at(kLocaleSDate), at(kLocaleSShortDate));
  EXPECT_LT(at(kLocaleSDate), at(kLocaleSLongDate));
  EXPECT_EQ(at(kLocaleSTimeFormat), static_cast<ptrdiff_t>(source.itemsAsked.size()));
}

TEST(RegionalFormat, TextAndCharacterItemLimits) {
  struct Case {
    const char* name;
    uint32_t item;
    bool readable;
    Text value;
    char16_t dateSeparator, timeSeparator;
    Text amText;
  };
  const Text long255(255, u'x');
  const Text long256(256, u'x');
  const Case cases[] = {
      {"one-character date separator", kLocaleSDate, true, u".", u'.', u':', u"am"},
      {"empty date separator is NUL", kLocaleSDate, true, u"", u'\0', u':', u"am"},
      {"two characters do not fit", kLocaleSDate, true, u"--", u'/', u':', u"am"},
      {"unreadable date separator", kLocaleSDate, false, u"", u'/', u':', u"am"},
      {"one-character time separator", kLocaleSTime, true, u".", u'/', u'.', u"am"},
      {"two-character time separator", kLocaleSTime, true, u"h.", u'/', u':', u"am"},
      {"empty time separator is NUL", kLocaleSTime, true, u"", u'/', u'\0', u"am"},
      {"AM text", kLocaleS1159, true, u"上午", u'/', u':', u"上午"},
      {"empty AM text stays empty", kLocaleS1159, true, u"", u'/', u':', u""},
      {"255 characters fit", kLocaleS1159, true, long255, u'/', u':', long255},
      {"256 characters do not", kLocaleS1159, true, long256, u'/', u':', u"am"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLocaleSource source;
    if (c.readable) source.Set(c.item, c.value);
    const RegionalFormat f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
    EXPECT_EQ(f.dateSeparator, c.dateSeparator);
    EXPECT_EQ(f.timeSeparator, c.timeSeparator);
    EXPECT_EQ(f.amText, c.amText);
  }
}

TEST(RegionalFormat, TimeFormatsFromThreeNumbers) {
  struct Case {
    const char* name;
    const char16_t *leadingZero, *clock, *markerPosition;  // nullptr: unreadable
    Text shortTime, longTime;
    Text morning, evening, midnight, halfPastNoon;
  };
  const Case cases[] = {
      {"24-hour", u"0", u"1", nullptr, u"h:mm", u"h:mm:ss", u"9:05:03", u"21:05:03", u"0:00:00",
       u"12:30:00"},
      {"24-hour, leading zero", u"1", u"1", u"1", u"hh:mm", u"hh:mm:ss", u"09:05:03", u"21:05:03",
       u"00:00:00", u"12:30:00"},
      {"12-hour, suffix", u"0", u"0", u"0", u"h:mm AMPM", u"h:mm:ss AMPM", u"9:05:03 AM",
       u"9:05:03 PM", u"12:00:00 AM", u"12:30:00 PM"},
      {"12-hour, prefix", u"0", u"0", u"1", u"AMPM h:mm", u"AMPM h:mm:ss", u"AM 9:05:03",
       u"PM 9:05:03", u"AM 12:00:00", u"PM 12:30:00"},
      {"12-hour, prefix, leading zero", u"1", u"0", u"2", u"AMPM hh:mm", u"AMPM hh:mm:ss",
       u"AM 09:05:03", u"PM 09:05:03", u"AM 12:00:00", u"PM 12:30:00"},
      {"nothing readable", nullptr, nullptr, nullptr, u"h:mm AMPM", u"h:mm:ss AMPM", u"9:05:03 AM",
       u"9:05:03 PM", u"12:00:00 AM", u"12:30:00 PM"},
      {"not numbers count as 0", u"x", u"", u"yes", u"h:mm AMPM", u"h:mm:ss AMPM", u"9:05:03 AM",
       u"9:05:03 PM", u"12:00:00 AM", u"12:30:00 PM"},
      {"any other number is not 0", u"-1", u"2", nullptr, u"hh:mm", u"hh:mm:ss", u"09:05:03",
       u"21:05:03", u"00:00:00", u"12:30:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLocaleSource source;
    source.Set(kLocaleS1159, u"AM");
    source.Set(kLocaleS2359, u"PM");
    if (c.leadingZero) source.Set(kLocaleITLZero, c.leadingZero);
    if (c.clock) source.Set(kLocaleITime, c.clock);
    if (c.markerPosition) source.Set(kLocaleITimeMarkPosn, c.markerPosition);
    const RegionalFormat f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
    EXPECT_EQ(f.shortTimeFormat, c.shortTime);
    EXPECT_EQ(f.longTimeFormat, c.longTime);
    EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMorning), c.morning);
    EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kEvening), c.evening);
    EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMidnight), c.midnight);
    EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kHalfPastNoon), c.halfPastNoon);
  }
}

TEST(RegionalFormat, TimePictureIsNeverRead) {
  FakeLocaleSource source;
  source.Set(kLocaleSTimeFormat, u"H:mm:ss");
  source.Set(kLocaleITLZero, u"0");
  source.Set(kLocaleITime, u"1");
  RegionalFormat f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
  EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMorning), u"9:05:03");

  source.Set(kLocaleSTimeFormat, u"tt hh:mm:ss");
  source.Set(kLocaleS1159, u"AM");
  f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
  EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMorning), u"9:05:03");
  source.Set(kLocaleITime, u"0");
  f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
  EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMorning), u"9:05:03 AM");
}

TEST(RegionalFormat, EmptyAmTextLeavesTheSpace) {
  FakeLocaleSource source;
  source.Set(kLocaleS1159, u"");
  source.Set(kLocaleITime, u"0");
  const RegionalFormat f = LoadRegionalFormat(source, kEnglishUnitedStates, LocaleFacts{});
  EXPECT_EQ(DateTimeText(f, f.longTimeFormat, kMorning), u"9:05:03 ");
}

TEST(RegionalFormat, DatePicturesAndSeparators) {
  struct Case {
    const char* name;
    const char16_t* separator;  // nullptr: unreadable
    Text shortPicture;
    Text shortFormat;
    Text shortText;
    Text recordText;
  };
  const Case cases[] = {
      {"year first", u"/", u"yyyy/M/d", u"yyyy/M/d", u"2018/12/8", u"2018/12/8 9:05:03"},
      {"dots", u".", u"dd.MM.yyyy", u"dd/MM/yyyy", u"08.12.2018", u"2018.12.8 9:05:03"},
      {"dashes", u"-", u"yyyy-MM-dd", u"yyyy/MM/dd", u"2018-12-08", u"2018-12-8 9:05:03"},
      {"a picture with another separator", u".", u"d/M/yyyy", u"d/M/yyyy", u"8.12.2018",
       u"2018.12.8 9:05:03"},
      {"two-character separator is not used", u"--", u"yyyy--MM--dd", u"yyyy--MM--dd",
       u"2018--12--08", u"2018/12/8 9:05:03"},
      {"empty separator", u"", u"yyyyMMdd", u"yyyyMMdd", u"20181208", u"2018128 9:05:03"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLocaleSource source;
    if (c.separator) source.Set(kLocaleSDate, c.separator);
    source.Set(kLocaleSShortDate, c.shortPicture);
    source.Set(kLocaleITime, u"1");
    RegionalSettings settings(source);
    EXPECT_EQ(settings.Format().shortDateFormat, c.shortFormat);
    EXPECT_EQ(settings.ShortDateText(kMorning), c.shortText);
    EXPECT_EQ(settings.DateTimeText(u"yyyy/m/d h:nn:ss", kMorning), c.recordText);
    EXPECT_EQ(settings.DateTimeText(u"yymmddhhnnss", kMorning), u"181208090503");
  }
}

TEST(AdaptDatePicture, Table) {
  struct Case {
    const char* name;
    const char16_t* calendarType;  // nullptr: unreadable
    int primaryLanguage;
    char16_t separator;
    Text picture;
    Text expected;
  };
  const Case cases[] = {
      {"Gregorian, English", u"1", kLangEnglish, u'/', u"gg yyyy/M/d", u"gg yyyy/M/d"},
      {"Gregorian, Chinese drops g", u"1", kLangChinese, u'/', u"gg yyyy/M/d", u" yyyy/M/d"},
      {"Japanese drops g and G", u"1", kLangJapanese, u'/', u"Gg y'g'", u" y''"},
      {"Korean drops g", u"1", kLangKorean, u'/', u"ggyy", u"yy"},
      {"unreadable type counts as 1", nullptr, kLangChinese, u'/', u"gy", u"y"},
      {"type not a number counts as 1", u"x", kLangChinese, u'/', u"gy", u"y"},
      {"other calendar keeps it", u"2", kLangEnglish, u'/', u"gg yyyy", u"gg yyyy"},
      {"Japan calendar", u"3", kLangJapanese, u'/', u"gg y/M/d", u"ggg e/M/d"},
      {"Taiwan calendar", u"4", kLangChinese, u'/', u"gg yyyy/M/d", u"ggg eeee/M/d"},
      {"Korea calendar, English", u"5", kLangEnglish, u'/', u"yy/MM", u"ee/MM"},
      {"three y", u"3", kLangJapanese, u'/', u"yyy", u"eee"},
      {"five Y", u"3", kLangJapanese, u'/', u"YYYYY", u"eeeee"},
      {"capital GG", u"3", kLangJapanese, u'/', u"GGG", u"gggG"},
      {"single g stays", u"3", kLangJapanese, u'/', u"g", u"g"},
      {"quoted y is rewritten too", u"3", kLangJapanese, u'/', u"'y'", u"'e'"},
      {"surrogate pair copied", u"4", kLangChinese, u'/', u"y😀y", u"e😀e"},
      {"separator replaced", u"1", kLangEnglish, u'.', u"dd.MM.yyyy", u"dd/MM/yyyy"},
      {"not inside quotes", u"1", kLangEnglish, u'.', u"d.M.'d.M.'y", u"d/M/'d.M.'y"},
      {"double quotes do not count", u"1", kLangEnglish, u'.', u"d\".\"M", u"d\"/\"M"},
      {"dash", u"1", kLangEnglish, u'-', u"yyyy-MM-dd", u"yyyy/MM/dd"},
      {"slash stays", u"1", kLangEnglish, u'/', u"yyyy/MM/dd", u"yyyy/MM/dd"},
      {"NUL replaces nothing", u"1", kLangEnglish, u'\0', u"yyyy.MM", u"yyyy.MM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLocaleSource source;
    source.Set(kLocaleSShortDate, c.picture);
    if (c.calendarType) source.Set(kLocaleICalendarType, c.calendarType);
    EXPECT_EQ(AdaptDatePicture(source, kEnglishUnitedStates, kLocaleSShortDate, u"m/d/yy",
                               c.separator, c.primaryLanguage),
              c.expected);
  }
  FakeLocaleSource empty;
  EXPECT_EQ(AdaptDatePicture(empty, kEnglishUnitedStates, kLocaleSLongDate, u"mmmm d.yyyy", u'.',
                             kLangEnglish),
            u"mmmm d/yyyy");
}

TEST(RegionalFormat, LocaleFacts) {
  struct Case {
    uint32_t threadLocale;
    uint32_t lcid;
    int primary, sub;
  };
  const Case cases[] = {
      {0, 0x0409, 9, 1},         {0x0409, 0x0409, 9, 1},
      {0x0804, 0x0804, 4, 2},    {0x0404, 0x0404, 4, 1},
      {0x0411, 0x0411, 0x11, 1}, {0x0412, 0x0412, 0x12, 1},
      {0x1000, 0x1000, 0, 4},    {0x20804, 0x20804, 4, 2},
      {0x10000, 0x10000, 9, 1},  // no language in the low 16 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.threadLocale);
    FakeLocaleSource source;
    source.threadLocale = c.threadLocale;
    const LocaleFacts facts = ReadLocaleFacts(source);
    EXPECT_EQ(facts.lcid, c.lcid);
    EXPECT_EQ(facts.primaryLanguage, c.primary);
    EXPECT_EQ(facts.subLanguage, c.sub);
  }
}

TEST(RegionalFormat, StartUpLanguageDecidesTheEras) {
  FakeLocaleSource source;
  source.threadLocale = kChinaLcid;
  source.Set(kLocaleSShortDate, u"gg yyyy/M/d", kChinaLcid);
  source.Set(kLocaleSShortDate, u"gg yyyy/M/d", kEnglishUnitedStates);
  EXPECT_EQ(RefreshRegionalFormat(source).shortDateFormat, u" yyyy/M/d");
  // The facts, not the locale read, decide.
  EXPECT_EQ(
      LoadRegionalFormat(source, kEnglishUnitedStates, FactsOf(kChinaLcid, 4, 2)).shortDateFormat,
      u" yyyy/M/d");
  EXPECT_EQ(LoadRegionalFormat(source, kChinaLcid, LocaleFacts{}).shortDateFormat, u"gg yyyy/M/d");
}

TEST(RegionalFormat, LocaleNotInstalledReadsTheThreadLocale) {
  FakeLocaleSource source;
  source.threadLocale = kChinaLcid;
  source.Set(kLocaleS1159, u"上午", kChinaLcid);
  source.Set(kLocaleS1159, u"morning", 0x0407);
  const RegionalFormat f = LoadRegionalFormat(source, 0x0407, LocaleFacts{});
  EXPECT_EQ(f.amText, u"上午");
  source.installed.insert(0x0407);
  EXPECT_EQ(LoadRegionalFormat(source, 0x0407, LocaleFacts{}).amText, u"morning");
}

TEST(RegionalSettings, RefreshTakesTheUserDefaultLocale) {
  FakeLocaleSource source;
  source.Set(kLocaleSDate, u"/");
  source.Set(kLocaleSShortDate, u"M/d/yyyy");
  RegionalSettings settings(source);
  EXPECT_TRUE(source.setThreadLocaleCalls.empty());
  EXPECT_EQ(settings.Format().facts.lcid, kEnglishUnitedStates);
  EXPECT_EQ(settings.ShortDateText(kMorning), u"12/8/2018");
  EXPECT_EQ(settings.LongTimeText(kEvening), u"9:05:03 pm");

  // The user switches to Chinese (China).
  source.threadLocale = kChinaLcid;
  source.Set(kLocaleSShortDate, u"yyyy/M/d", kChinaLcid);
  source.Set(kLocaleITime, u"1", kChinaLcid);
  source.Set(kLocaleITLZero, u"1", kChinaLcid);
  const RegionalFormat before = settings.Format();
  settings.Refresh();
  EXPECT_EQ(source.setThreadLocaleCalls, std::vector<uint32_t>{kLocaleUserDefault});
  EXPECT_EQ(settings.Format().facts.lcid, kChinaLcid);
  EXPECT_EQ(settings.Format().facts.primaryLanguage, kLangChinese);
  EXPECT_EQ(settings.Format().facts.subLanguage, 2);
  EXPECT_EQ(settings.ShortDateText(kMorning), u"2018/12/8");
  EXPECT_EQ(settings.LongTimeText(kEvening), u"21:05:03");
  EXPECT_EQ(settings.LongTimeText(kMorning), u"09:05:03");
  EXPECT_EQ(before.shortDateFormat, u"M/d/yyyy");  // a copy taken before is untouched
}

TEST(EraTokens, Table) {
  struct Case {
    const char* name;
    LocaleFacts facts;
    Text eraName, twoDigits, fourDigits;  // empty: the call fails
    Text format;
    Text expected;
  };
  const LocaleFacts english = FactsOf(kEnglishUnitedStates, kLangEnglish, 1);
  const LocaleFacts japanese = FactsOf(kJapanLcid, kLangJapanese, 1);
  const LocaleFacts taiwan = FactsOf(kTaiwanLcid, kLangChinese, 1);
  const LocaleFacts china = FactsOf(kChinaLcid, kLangChinese, 2);
  const Case cases[] = {
      {"English g", english, u"A.D.", u"18", u"2018", u"g", u"A.D."},
      {"English gg", english, u"A.D.", u"18", u"2018", u"gg", u"A.D."},
      {"Japanese g is the first character", japanese, u"平成", u"30", u"30", u"g", u"平"},
      {"Japanese gg", japanese, u"平成", u"30", u"30", u"gg", u"平成"},
      {"Japanese ggg", japanese, u"平成", u"30", u"30", u"ggg", u"平成"},
      {"Taiwan g of four characters", taiwan, u"中華民國", u"107", u"107", u"g", u"民國"},
      {"Taiwan gg", taiwan, u"中華民國", u"107", u"107", u"gg", u"中華民國"},
      {"Taiwan g of two characters", taiwan, u"民國", u"107", u"107", u"g", u"民國"},
      {"China g stays whole", china, u"中華民國", u"18", u"2018", u"g", u"中華民國"},
      {"e drops a leading zero", english, u"A.D.", u"07", u"2007", u"e", u"7"},
      {"ee keeps it", english, u"A.D.", u"07", u"2007", u"ee", u"07"},
      {"eee asks yyyy", english, u"A.D.", u"07", u"2007", u"eee", u"2007"},
      {"eeee", english, u"A.D.", u"07", u"0007", u"eeee", u"0007"},
      {"e of one digit", japanese, u"平成", u"1", u"1", u"e", u"1"},
      {"failing calls write nothing", english, u"", u"", u"", u"[g e ee eee]", u"[   ]"},
      {"an adapted Taiwan picture", taiwan, u"中華民國", u"107", u"107", u"ggg eeee/m/d",
       u"中華民國 107/12/8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLocaleSource source;
    if (!c.eraName.empty()) source.eras[u"gg"] = c.eraName;
    if (!c.twoDigits.empty()) source.eras[u"yy"] = c.twoDigits;
    if (!c.fourDigits.empty()) source.eras[u"yyyy"] = c.fourDigits;
    RegionalFormat regional;
    regional.facts = c.facts;
    EXPECT_EQ(DateTimeText(regional, c.format, kMorning, &source), c.expected);
    EXPECT_EQ(source.lastEraDate, (std::array<int, 3>{2018, 12, 8}));
  }
}

TEST(EraTokens, WithoutASourceOrADateNothingIsAsked) {
  FakeLocaleSource source;
  source.eras[u"gg"] = u"A.D.";
  RegionalFormat regional;
  EXPECT_EQ(DateTimeText(regional, u"g-e", kMorning), u"-");
  EXPECT_EQ(DateTimeText(regional, u"g-e", 1e10, &source), u"-");
  EXPECT_EQ(source.eraCalls, 0);
  source.eras[u"gg"] = Text(256, u'x');  // does not fit the buffer
  EXPECT_EQ(DateTimeText(regional, u"g", kMorning, &source), u"");
  // RegionalSettings passes its own source.
  source.eras[u"gg"] = u"A.D.";
  RegionalSettings settings(source);
  EXPECT_EQ(settings.DateTimeText(u"gg", kMorning), u"A.D.");
}

}  // namespace
}  // namespace ostrivel
