#include "core/text.h"

#include <gtest/gtest.h>

#include <random>

namespace ostrivel {
namespace {

TEST(Utf8, WellFormedTextConverts) {
  EXPECT_EQ(U("abc"), u"abc");
  EXPECT_EQ(U("\xE5\xBF\xAB\xE7\x85\xA7"), u"快照");
  EXPECT_EQ(U("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf8(u"快照 \U0001F600"), "\xE5\xBF\xAB\xE7\x85\xA7 \xF0\x9F\x98\x80");
}

TEST(Utf8, IllFormedBytesRoundTrip) {
  const char* cases[] = {
      "\xFF",             // never valid
      "a\x80z",           // lone continuation
      "\xC0\xAF",         // overlong
      "\xED\xA0\x80",     // encoded surrogate
      "\xE5\xBF",         // truncated at the end
      "\xF4\x90\x80\x80", // above U+10FFFF
      "\xED\xB2\x80",     // the encoding of U+DC80 itself
  };
  for (const char* bytes : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
    Text text = FromUtf8Lossless(bytes);
    for (char16_t c : text) {
      if (c >= 0x80) {
        EXPECT_TRUE(c >= 0xDC80 && c <= 0xDCFF);
      }
    }
    EXPECT_EQ(ToUtf8Lossless(text), bytes);
  }
}

// The forms that write into a buffer are used over many names in a row: each
// result must be exactly its own, whatever the buffer held before.
TEST(Utf8, ReusedBuffersHoldOnlyTheLastResult) {
  const std::string names[] = {"a much longer name \xE5\xBF\xAB\xE7\x85\xA7", "x", "",
                               "\xFF\xE5\xBF", std::string(700, 'n') + "\xF0\x9F\x98\x80", "b"};
  Text text;
  std::string bytes;
  for (const std::string& name : names) {
    SCOPED_TRACE(name.substr(0, 40));
    FromUtf8Lossless(name, text);
    EXPECT_EQ(text, FromUtf8Lossless(name));
    ToUtf8Lossless(text, bytes);
    EXPECT_EQ(bytes, name);
    EXPECT_EQ(ToUtf8Lossless(text), name);
  }
}

// ASCII goes through in runs: a character of every length, and a byte that is
// not UTF-8, at every place in and around a run.
TEST(Utf8, EveryPlaceAroundAsciiRuns) {
  const struct {
    std::string bytes;
    Text text;
  } inserts[] = {{"\xC3\xA9", u"é"}, {"\xE5\xBF\xAB", u"快"}, {"\xF0\x9F\x98\x80", u"\U0001F600"},
                 {"\xFF", Text(1, char16_t(0xDCFF))}};
  for (const auto& insert : inserts) {
    for (size_t length = 0; length <= 20; ++length) {
      for (size_t at = 0; at <= length; ++at) {
        std::string bytes;
        Text text;
        for (size_t i = 0; i < length; ++i) {
          if (i == at) bytes += insert.bytes, text += insert.text;
          bytes += static_cast<char>('a' + i % 26);
          text += static_cast<char16_t>(u'a' + i % 26);
        }
        if (at == length) bytes += insert.bytes, text += insert.text;
        SCOPED_TRACE(testing::Message() << length << " " << at);
        ASSERT_EQ(FromUtf8Lossless(bytes), text);
        ASSERT_EQ(ToUtf8Lossless(text), bytes);
      }
    }
  }
  std::mt19937 random(3);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 40, '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 3 == 0 ? random() % 256 : 'a' + random() % 26);
    ASSERT_EQ(ToUtf8Lossless(FromUtf8Lossless(bytes)), bytes);
  }
}

TEST(Utf8, OtherLoneSurrogatesBecomeReplacement) {
  EXPECT_EQ(Utf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8(Text(1, char16_t(0xDC10))), "\xEF\xBF\xBD");
}

TEST(Decimal, WritesPlainDigits) {
  EXPECT_EQ(Decimal(0), u"0");
  EXPECT_EQ(Decimal(4294967296), u"4294967296");
  EXPECT_EQ(Decimal(-12), u"-12");
  EXPECT_EQ(Decimal(INT64_MIN), u"-9223372036854775808");
}

TEST(ReplaceAll, NonOverlappingLeftToRight) {
  EXPECT_EQ(ReplaceAll(u"a&b&&", u"&", u"&amp;"), u"a&amp;b&amp;&amp;");
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ReplaceAll(u"[X][X]", u"[X]", u""), u"");
  EXPECT_EQ(ReplaceAll(u"", u"[X]", u"y"), u"");
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"y"), u"abc");
}

}  // namespace
}  // namespace ostrivel
