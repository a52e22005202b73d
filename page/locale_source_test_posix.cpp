// The pieces of the ICU back end that turn ICU's patterns into Windows items.

#include <gtest/gtest.h>

#include "page/locale_source_posix.h"

namespace ostrivel {
namespace {

TEST(PosixLocale, NamesAndIds) {
  struct Case {
    const char* posix;
    const char* icu;
    uint32_t lcid;
  };
  const Case cases[] = {
      {"en_US.UTF-8", "en_US", 0x0409}, {"zh_CN.UTF-8", "zh_CN", 0x0804},
      {"zh_TW.UTF-8", "zh_TW", 0x0404}, {"ja_JP.UTF-8", "ja_JP", 0x0411},
      {"ko_KR.UTF-8", "ko_KR", 0x0412}, {"de_DE@euro", "de_DE", 0x0407},
      {"sv_SE.utf8", "sv_SE", 0x041D},  {"C", "en_US", 0x0409},
      {"POSIX", "en_US", 0x0409},       {"", "en_US", 0x0409},
      {"C.UTF-8", "en_US", 0x0409},     {"zh", "zh", 0x0804},
      {"de_BE.UTF-8", "de_BE", 0x0407}, {"gl_ES.UTF-8", "gl_ES", 0x0456},
      {"xx_YY", "xx_YY", 0x1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posix);
    EXPECT_EQ(IcuLocaleName(c.posix), c.icu);
    EXPECT_EQ(LocaleIdOf(IcuLocaleName(c.posix)), c.lcid);
  }
  EXPECT_EQ(LocaleNameOf(0x0804), "zh_CN");
  EXPECT_EQ(LocaleNameOf(0x0456), "gl");
  EXPECT_EQ(LocaleNameOf(0x1000), "");
}

TEST(PosixLocale, WindowsDatePicture) {
  struct Case {
    std::u16string_view icu;
    Text windows;
  };
  const Case cases[] = {
      {u"y/M/d", u"yyyy/M/d"},
      {u"M/d/yy", u"M/d/yy"},
      {u"dd.MM.yy", u"dd.MM.yy"},
      {u"yyyy-MM-dd", u"yyyy-MM-dd"},
      {u"yyy", u"yyyy"},
      {u"d MMM y", u"d MMM yyyy"},
      {u"LLLL y", u"MMMM yyyy"},
      {u"MMMMM", u"MMM"},
      {u"EEEE, MMMM d, y", u"dddd, MMMM d, yyyy"},
      {u"EEE d", u"ddd d"},
      {u"y年M月d日EEEE", u"yyyy年M月d日dddd"},
      {u"d 'de' MMMM 'de' y", u"d 'de' MMMM 'de' yyyy"},
      {u"G y/M/d", u"gg yyyy/M/d"},
      {u"d''M", u"dM"},
      {u"d \"M\"", u"d '\"'M'\"'"},
      {u"d 'unclosed", u"d 'unclosed'"},
      {u"QQQ d", u" d"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.icu));
    EXPECT_EQ(WindowsDatePicture(c.icu), c.windows);
  }
}

TEST(PosixLocale, Separators) {
  struct Case {
    std::u16string_view pattern, fields;
    char16_t separator;
  };
  const Case cases[] = {
      {u"M/d/yy", u"yMd", u'/'},      {u"dd.MM.yy", u"yMd", u'.'},  {u"y-MM-dd", u"yMd", u'-'},
      {u"yy. M. d.", u"yMd", u'.'},   {u"yMMdd", u"yMd", u'\0'},    {u"'x/'M-d", u"yMd", u'-'},
      {u"h:mm:ss a", u"hHkK", u':'},  {u"HH.mm.ss", u"hHkK", u'.'}, {u"a h:mm:ss", u"hHkK", u':'},
      {u"HH 'h' mm", u"hHkK", u'\0'}, {u"", u"hHkK", u'\0'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.pattern));
    EXPECT_EQ(FirstSeparator(c.pattern, c.fields), c.separator);
  }
}

TEST(PosixLocale, ClockStyle) {
  struct Case {
    std::u16string_view pattern;
    bool twentyFour, zero, markerFirst;
  };
  const Case cases[] = {
      {u"h:mm:ss\u202Fa", false, false, false},
      {u"HH:mm:ss", true, true, false},
      {u"H:mm:ss", true, false, false},
      {u"a h:mm:ss", false, false, true},
      {u"Bh:mm:ss", false, false, true},
      {u"ahh:mm:ss", false, true, true},
      {u"'a' HH:mm", true, true, false},
      {u"K:mm a", false, false, false},
      {u"kk:mm", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.pattern));
    const ClockStyle style = ClockStyleOf(c.pattern);
    EXPECT_EQ(style.twentyFourHour, c.twentyFour);
    EXPECT_EQ(style.leadingZero, c.zero);
    EXPECT_EQ(style.markerFirst, c.markerFirst);
  }
}

}  // namespace
}  // namespace ostrivel
