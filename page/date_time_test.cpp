#include "page/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "page/date_value.h"

namespace ostrivel {
namespace {

// 2018-12-08 (a Saturday) at 09:05:03.250 and at 21:05:03.
const double kMorning = DateFromParts(2018, 12, 8) + TimeFromParts(9, 5, 3, 250);
const double kEvening = DateFromParts(2018, 12, 8) + TimeFromParts(21, 5, 3, 0);
const double kMidnight = DateFromParts(2018, 12, 8);
const double kHalfPastNoon = DateFromParts(2018, 12, 8) + TimeFromParts(12, 30, 0, 0);
// 2005-03-04 (a Friday) at 07:08:09.010: every field differs from its padding.
const double kSmall = DateFromParts(2005, 3, 4) + TimeFromParts(7, 8, 9, 10);

struct FormatCase {
  const char* name;
  Text format;
  double value;
  Text expected;
};

void CheckAll(const RegionalFormat& regional, const std::vector<FormatCase>& cases,
              LocaleSource* eras = nullptr) {
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DateTimeText(regional, c.format, c.value, eras), c.expected);
  }
}

TEST(DateTimeText, SystemFormats) {
  const RegionalFormat regional;
  CheckAll(
      regional,
      {
          {"record, morning", u"yyyy/m/d h:nn:ss", kMorning, u"2018/12/8 9:05:03"},
          {"file name, morning", u"yymmddhhnnss", kMorning, u"181208090503"},
          {"record, evening: 24-hour clock", u"yyyy/m/d h:nn:ss", kEvening, u"2018/12/8 21:05:03"},
          {"file name, evening", u"yymmddhhnnss", kEvening, u"181208210503"},
          {"fallback value 2", u"yyyy/m/d h:nn:ss", 2, u"1900/1/1 0:00:00"},
          {"before 1899-12-30", u"yyyy/m/d h:nn:ss", -1.25, u"1899/12/29 6:00:00"},
          {"day 0", u"yyyy/m/d h:nn:ss", 0, u"1899/12/30 0:00:00"},
          {"milliseconds never round up", u"yyyy/m/d h:nn:ss",
           kMidnight + TimeFromParts(23, 59, 59, 999), u"2018/12/8 23:59:59"},
          {"rounds to the next midnight", u"yyyy/m/d h:nn:ss", kMidnight + 0.9999999999,
           u"2018/12/9 0:00:00"},
          {"file name of year 2005", u"yymmddhhnnss", kSmall, u"050304070809"},
          {"first day", u"yyyy/m/d h:nn:ss", DateFromParts(1, 1, 1), u"0001/1/1 0:00:00"},
          {"last moment", u"yymmddhhnnss",
           DateFromParts(9999, 12, 31) + TimeFromParts(23, 59, 59, 999), u"991231235959"},
      });
}

TEST(DateTimeText, Tokens) {
  RegionalFormat regional;
  regional.amText = u"AM";
  regional.pmText = u"PM";
  CheckAll(regional, {
                         {"y", u"y", kSmall, u"05"},
                         {"yy", u"yy", kSmall, u"05"},
                         {"yyy", u"yyy", kSmall, u"2005"},
                         {"yyyyy", u"yyyyy", kSmall, u"2005"},
                         {"small year padded to four", u"yyyy", DateFromParts(5, 3, 4), u"0005"},
                         {"m", u"m", kSmall, u"3"},
                         {"mm", u"mm", kSmall, u"03"},
                         {"mmm", u"mmm", kSmall, u"Mar"},
                         {"mmmm", u"mmmm", kSmall, u"March"},
                         {"mmmmmm", u"mmmmmm", kSmall, u"March"},
                         {"d", u"d", kSmall, u"4"},
                         {"dd", u"dd", kSmall, u"04"},
                         {"ddd", u"ddd", kSmall, u"Fri"},
                         {"dddd", u"dddd", kSmall, u"Friday"},
                         {"ddddd", u"ddddd", kSmall, u"3/4/05"},
                         {"dddddd", u"dddddd", kSmall, u"March 4, 2005"},
                         {"ddddddd", u"ddddddd", kSmall, u"March 4, 2005"},
                         {"h", u"h", kSmall, u"7"},
                         {"hh", u"hh", kSmall, u"07"},
                         {"hhh", u"hhh", kSmall, u"07"},
                         {"n", u"n", kSmall, u"8"},
                         {"nn", u"nn", kSmall, u"08"},
                         {"nnn", u"nnn", kSmall, u"08"},
                         {"s", u"s", kSmall, u"9"},
                         {"sss", u"sss", kSmall, u"09"},
                         {"z", u"z", kSmall, u"10"},
                         {"zz", u"zz", kSmall, u"10"},
                         {"zzz", u"zzz", kSmall, u"010"},
                         {"zzzz", u"zzzz", kSmall, u"010"},
                         {"t", u"t", kSmall, u"7:08 AM"},
                         {"tt", u"tt", kSmall, u"7:08:09 AM"},
                         {"c with a time", u"c", kSmall, u"3/4/05 7:08:09 AM"},
                         {"cc is one token", u"cc", kSmall, u"3/4/05 7:08:09 AM"},
                         {"c at midnight", u"c", kMidnight, u"12/8/18"},
                         {"c with a millisecond only", u"c", kMidnight + TimeFromParts(0, 0, 0, 1),
                          u"12/8/18 12:00:00 AM"},
                         {"empty format is c", u"", kSmall, u"3/4/05 7:08:09 AM"},
                         {"capitals", u"YYYY-MM-DD HH:NN:SS", kSmall, u"2005-03-04 07:08:09"},
                         {"case splits a run", u"yYyy", kSmall, u"050505"},
                         {"date separator", u"d/m", kSmall, u"4/3"},
                         {"time separator", u"h:n", kSmall, u"7:8"},
                         {"other characters", u"[d] #1 ~", kSmall, u"[4] #1 ~"},
                         {"non-ASCII letters are copied", u"d日 é", kSmall, u"4日 é"},
                     });
}

TEST(DateTimeText, MinutesAfterHour) {
  const RegionalFormat regional;
  CheckAll(regional, {
                         {"h:m", u"h:m", kSmall, u"7:8"},
                         {"hmm", u"hmm", kSmall, u"708"},
                         {"h:mmm is minutes, two digits", u"h:mmm", kSmall, u"7:08"},
                         {"separators keep the hour", u"h - m", kSmall, u"7 - 8"},
                         {"quotes keep the hour", u"h'x'm", kSmall, u"7x8"},
                         {"a letter ends it", u"hxm", kSmall, u"7x3"},
                         {"minutes count as n", u"h:mm:m", kSmall, u"7:08:3"},
                         {"after d it is the month", u"d/m h", kSmall, u"4/3 7"},
                         {"capital H and M", u"H:M", kSmall, u"7:8"},
                         {"surrogate pair resets it", u"h😀m", kSmall, u"7😀3"},
                         {"c does not end a quote", u"h\"c\"m", kSmall, u"7c8"},
                     });
}

TEST(DateTimeText, AmPmForms) {
  RegionalFormat regional;
  regional.amText = u"morning";
  regional.pmText = u"evening";
  CheckAll(regional,
           {
               {"AM/PM before noon", u"h AM/PM", kMorning, u"9 AM"},
               {"AM/PM from noon", u"h AM/PM", kEvening, u"9 PM"},
               {"am/pm keeps its case", u"h am/pm", kEvening, u"9 pm"},
               {"mixed case", u"h Am/pM", kEvening, u"9 pM"},
               {"A/P", u"h A/P", kMorning, u"9 A"},
               {"a/p", u"h a/p", kEvening, u"9 p"},
               {"AMPM writes the texts", u"h AMPM", kMorning, u"9 morning"},
               {"ampm", u"h ampm", kEvening, u"9 evening"},
               {"midnight", u"h:nn AM/PM", kMidnight, u"12:00 AM"},
               {"half past noon", u"h:nn AM/PM", kHalfPastNoon, u"12:30 PM"},
               {"one o'clock", u"hh AM/PM", kMidnight + TimeFromParts(13, 0, 0, 0), u"01 PM"},
               {"AAAA", u"AAAA", kSmall, u"Friday"},
               {"aaa", u"aaa", kSmall, u"Fri"},
               {"AAAAA", u"AAAAA", kSmall, u"FridayA"},
               {"lone a", u"a", kSmall, u"a"},
               {"aa", u"aa", kSmall, u"aa"},
               {"AM/P is no form", u"am/p", kSmall, u"a3/p"},
               {"A/P takes three characters", u"A/PM", kEvening, u"P12"},
               {"marker first", u"AMPM h:nn", kEvening, u"evening 9:05"},
           });
}

TEST(DateTimeText, TwelveHourRule) {
  RegionalFormat regional;
  regional.amText = u"AM";
  regional.pmText = u"PM";
  CheckAll(regional,
           {
               {"look-ahead stops at h", u"h h AM/PM", kEvening, u"21 9 PM"},
               {"look-ahead stops at H", u"h H AM/PM", kEvening, u"21 9 PM"},
               {"written marker holds for later hours", u"AM/PM h h", kEvening, u"PM 9 9"},
               {"quoted marker is not seen", u"h 'AM/PM'", kEvening, u"21 AM/PM"},
               {"double-quoted marker is not seen", u"h \"am/pm\"", kEvening, u"21 am/pm"},
               {"first a decides", u"h ax AM/PM", kEvening, u"21 ax PM"},
               // Either quote character switches quoting in the look-ahead, so the
               // look-ahead thinks the marker is quoted although it is written.
               {"mixed quotes", u"h \"'\" AM/PM", kEvening, u"21 ' PM"},
               {"marker beyond a hour run of two", u"hh:nn A/P", kEvening, u"09:05 P"},
               {"no marker, 24-hour", u"hh", kEvening, u"21"},
               {"look-ahead skips a surrogate pair", u"h😀AMPM", kEvening, u"9😀PM"},
           });
  RegionalFormat twentyFour = regional;
  twentyFour.shortTimeFormat = u"h:mm";
  CheckAll(twentyFour,
           {{"expansion has its own 12-hour state", u"AM/PM t", kEvening, u"PM 21:05"}});
}

TEST(DateTimeText, Quoting) {
  const RegionalFormat regional;
  CheckAll(regional, {
                         {"single quotes", u"'yyyy' y", kSmall, u"yyyy 05"},
                         {"double quotes", u"\"d/m\" d", kSmall, u"d/m 4"},
                         {"the other quote inside", u"'say \"d\"'", kSmall, u"say \"d\""},
                         {"unclosed quote runs to the end", u"d 'd m", kSmall, u"4 d m"},
                         {"doubled quote is empty text", u"'it''s'", kSmall, u"its"},
                         {"empty quotes", u"d''d", kSmall, u"44"},
                     });
}

TEST(DateTimeText, RegionalVariants) {
  struct Case {
    const char* name;
    char16_t dateSeparator, timeSeparator;
    Text format;
    double value;
    Text expected;
  };
  const Case cases[] = {
      {"dash and dot, record", u'-', u'.', u"yyyy/m/d h:nn:ss", kMorning, u"2018-12-8 9.05.03"},
      {"dash and dot, file name", u'-', u'.', u"yymmddhhnnss", kMorning, u"181208090503"},
      {"empty date separator", u'\0', u':', u"yyyy/m/d h:nn:ss", kMorning, u"2018128 9:05:03"},
      {"empty time separator", u'/', u'\0', u"yyyy/m/d h:nn:ss", kMorning, u"2018/12/8 90503"},
      {"dot date separator", u'.', u':', u"dd/mm/yyyy", kMorning, u"08.12.2018"},
      {"separator that is a letter", u'd', u'h', u"d/m h:n", kSmall, u"4d3 7h8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegionalFormat regional;
    regional.dateSeparator = c.dateSeparator;
    regional.timeSeparator = c.timeSeparator;
    EXPECT_EQ(DateTimeText(regional, c.format, c.value), c.expected);
  }
}

TEST(DateTimeText, NestedExpansionsWriteOnce) {
  RegionalFormat regional;
  regional.amText = u"AM";
  regional.pmText = u"PM";
  regional.shortDateFormat = u"[ddddd]y";
  regional.longDateFormat = u"<dddddd|ddddd>";
  regional.longTimeFormat = u"tt h";
  regional.shortTimeFormat = u"t:tt";
  CheckAll(regional, {
                         {"the short date format itself", u"[ddddd]y", kSmall, u"[[]05]05"},
                         {"ddddd", u"ddddd", kSmall, u"[]05"},
                         {"dddddd", u"dddddd", kSmall, u"<|>"},
                         {"tt", u"tt", kSmall, u" 7"},
                         {"t", u"t", kSmall, u":"},
                         {"c", u"c", kSmall, u"[]05  7"},
                     });
  // c's own space is written; its expansions inside an expansion are not.
  RegionalFormat selfC;
  selfC.shortDateFormat = u"c";
  selfC.longTimeFormat = u"h:nn";
  EXPECT_EQ(DateTimeText(selfC, selfC.shortDateFormat, kSmall), u"  7:08");
}

TEST(DateTimeText, NamesFromTheRecord) {
  RegionalFormat regional;
  regional.shortDayNames = {u"周日", u"周一", u"周二", u"周三", u"周四", u"周五", u"周六"};
  regional.longDayNames = {u"星期日", u"星期一", u"星期二", u"星期三",
                           u"星期四", u"星期五", u"星期六"};
  regional.shortMonthNames[2] = u"3月";
  regional.longMonthNames[2] = u"三月";
  CheckAll(regional, {
                         {"ddd", u"ddd", kSmall, u"周五"},
                         {"dddd", u"dddd", kSmall, u"星期五"},
                         {"AAA", u"AAA", kSmall, u"周五"},
                         {"mmm", u"mmm", kSmall, u"3月"},
                         {"mmmm", u"mmmm", kSmall, u"三月"},
                         {"Sunday first", u"dddd", DateFromParts(2018, 12, 9), u"星期日"},
                         {"Saturday last", u"dddd", kMorning, u"星期六"},
                     });
}

// Any format, any value, any record: an answer of bounded size, no fault.
TEST(DateTimeText, ArbitraryInputStaysSound) {
  const Text pieces[] = {
      u"y",      u"Y",     u"m",   u"M",    u"d",    u"D",     u"h",      u"H",  u"n",
      u"s",      u"z",     u"t",   u"T",    u"c",    u"g",     u"e",      u"a",  u"A",
      u"p",      u"/",     u":",   u"'",    u"\"",   u" ",     u"x",      u"😀",  u"\xD83D",
      u"\xDE00", u"AM/PM", u"A/P", u"AMPM", u"AAAA", u"ddddd", u"dddddd", u"tt", u"mmmm"};
  const double values[] = {0,
                           -1.25,
                           2,
                           43442.378,
                           1e10,
                           -1e10,
                           std::nan(""),
                           std::numeric_limits<double>::infinity(),
                           DateFromParts(9999, 12, 31) + 0.99999999,
                           DateFromParts(1, 1, 1) - 0.5};
  std::mt19937 random(20181208);
  auto randomFormat = [&] {
    Text format;
    const int n = static_cast<int>(random() % 24);
    for (int i = 0; i < n; ++i) format += pieces[random() % std::size(pieces)];
    return format;
  };
  struct AlwaysEra final : LocaleSource {
    uint32_t ThreadLocale() override { return kEnglishUnitedStates; }
    void SetThreadLocale(uint32_t) override {}
    bool IsValidLocale(uint32_t) override { return true; }
    bool LocaleInfo(uint32_t, uint32_t, Text&) override { return false; }
    bool AltCalendarDateText(int, int, int, TextView picture, Text& text) override {
      text = picture == u"gg" ? u"中華民國" : u"0107";
      return true;
    }
  } eras;
  for (int round = 0; round < 4000; ++round) {
    RegionalFormat regional;
    regional.shortDateFormat = randomFormat();
    regional.longDateFormat = randomFormat();
    regional.shortTimeFormat = randomFormat();
    regional.longTimeFormat = randomFormat();
    regional.dateSeparator = static_cast<char16_t>(random() % 3 == 0 ? 0 : random() % 0x10000);
    regional.timeSeparator = static_cast<char16_t>(random() % 0x10000);
    regional.facts.primaryLanguage = random() % 2 ? kLangChinese : kLangJapanese;
    const Text format = randomFormat();
    const double value = values[random() % std::size(values)] + (random() % 1000) / 7.0;
    const Text text = DateTimeText(regional, format, value, &eras);
    ASSERT_LT(text.size(), 200000u) << Utf8(format);
  }
}

// A value outside the calendar keeps the shape of the text: zeros for its
// numbers, nothing for its names and eras.
TEST(DateTimeText, ValuesWithoutADateWriteZerosAndNoNames) {
  const double cases[] = {std::nan(""),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          DateFromParts(9999, 12, 31) + 1,
                          DateFromParts(1, 1, 1) - 1.5,
                          1e300,
                          -1e300};
  const RegionalFormat regional;
  for (double value : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(DateTimeText(regional, u"yymmddhhnnss", value), u"000000000000");
    EXPECT_EQ(DateTimeText(regional, u"yyyy/m/d h:nn:ss", value), u"0000/0/0 0:00:00");
    EXPECT_EQ(DateTimeText(regional, u"[ddd dddd mmm mmmm aaa aaaa g e]", value), u"[       ]");
    EXPECT_EQ(DateTimeText(regional, u"c", value), u"0/0/00");
  }
}

// The writer the records use for every file stands in for the formatter on
// one format: it must give the formatter's text for any value and separators.
TEST(DateTimeText, NumericWriterMatchesTheFormatter) {
  std::vector<double> values = {kMorning, kEvening, kMidnight, kHalfPastNoon, kSmall,
                                DateFromParts(1, 1, 1), DateFromParts(9999, 12, 31) + 0.9999999,
                                DateFromParts(1999, 12, 31) + 0.99999999999,  // rounds to the next day
                                -0.25, -1.75, 0.0, 2.0, std::nan(""),
                                std::numeric_limits<double>::infinity(), 1e300};
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> any(-700000.0, 2960000.0);
  for (int i = 0; i < 2000; ++i) values.push_back(any(random));
  for (const char16_t dateSeparator : {u'/', u'-', u'.', u'\0', u'年'}) {
    for (const char16_t timeSeparator : {u':', u'.', u'\0'}) {
      RegionalFormat regional;
      regional.dateSeparator = dateSeparator;
      regional.timeSeparator = timeSeparator;
      for (const double value : values) {
        SCOPED_TRACE(testing::Message() << value << " " << int(dateSeparator) << " " << int(timeSeparator));
        Text out = u"before";
        AppendNumericDateTime(out, regional, value);
        ASSERT_EQ(out, u"before" + DateTimeText(regional, u"yyyy/m/d h:nn:ss", value));
      }
    }
  }
}

}  // namespace
}  // namespace ostrivel
