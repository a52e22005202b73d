#include "page/text_file.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "page/text_file_test_util.h"
#include "tests/fake_text_files.h"

namespace ostrivel {
namespace {

using testing::FailureOf;
using testing::FakeTextFiles;
using testing::kFakeLatin1;

const Text kPath = u"C:\\work\\template.html";

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

// A text with lone surrogates, which UTF-16 keeps as they are.
const Text kOddUtf16 = Text(u"a") + char16_t(0xD800) + u"b" + char16_t(0xDFFF);

TEST(LoadFromFile, DecodesByMarkOrSystemCodePage) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<Text> lines;
    TextEncoding encoding;
    uint32_t codePage = kFakeLatin1;
  };
  using E = TextEncoding;
  const Case cases[] = {
      {"0 bytes", "", {}, E::SystemCodePage},
      {"UTF-8 mark only", "\xEF\xBB\xBF", {}, E::Utf8},
      {"UTF-16LE mark only", "\xFF\xFE", {}, E::Utf16LE},
      {"UTF-16BE mark only", "\xFE\xFF", {}, E::Utf16BE},
      {"LF", "a\nb", {u"a", u"b"}, E::SystemCodePage},
      {"LF CR", "a\n\rb", {u"a", u"", u"b"}, E::SystemCodePage},
      {"CR CR LF", "a\r\r\nb", {u"a", u"", u"b"}, E::SystemCodePage},
      {"NUL ends the text", std::string("a\0b", 3), {u"a"}, E::SystemCodePage},
      {"UTF-16LE without mark", std::string("a\0b\0", 4), {u"a"}, E::SystemCodePage},
      {"system code page", "caf\xE9\r\n", {u"café"}, E::SystemCodePage},
      {"UTF-8 without mark is not looked for", "\xC3\xA9", {u"Ã©"}, E::SystemCodePage},
      {"shorter than a mark", "\xEF\xBB", {u"ï»"}, E::SystemCodePage},
      {"ill-formed UTF-8 without mark is lenient",
       "a\xFF\xC3",
       {U("a\xEF\xBF\xBD\xEF\xBF\xBD")},
       E::SystemCodePage,
       kCodePageUtf8},
      {"system code page UTF-8", "\xE4\xB8\xAD\n", {u"中"}, E::SystemCodePage, kCodePageUtf8},
      {"UTF-8", "\xEF\xBB\xBFh\xC3\xA9\r\n\xF0\x9D\x84\x9E", {u"hé", u"𝄞"}, E::Utf8},
      {"UTF-16LE",
       std::string("\xFF\xFE"
                   "a\0\r\0\n\0\x2D\x4E",
                   10),
       {u"a", u"中"},
       E::Utf16LE},
      {"UTF-16BE", std::string("\xFE\xFF\0a\0\n\x4E\x2D", 8), {u"a", u"中"}, E::Utf16BE},
      {"UTF-16 odd final byte ignored",
       std::string("\xFF\xFE"
                   "a\0x",
                   5),
       {u"a"},
       E::Utf16LE},
      {"UTF-16 not validated",
       Bytes({0xFF, 0xFE, 'a', 0, 0, 0xD8, 'b', 0, 0xFF, 0xDF}),
       {kOddUtf16},
       E::Utf16LE},
      {"FF FE whatever follows",
       "\xFF\xFE"
       "AB",
       {u"\x4241"},
       E::Utf16LE},
      {"UTF-16 NUL first",
       std::string("\xFF\xFE\0\0"
                   "a\0",
                   6),
       {},
       E::Utf16LE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTextFiles files;
    files.codePage = c.codePage;
    files.files[kPath] = c.bytes;
    StringList list;
    list.Add(u"old");
    LoadFromFile(list, kPath, files);
    EXPECT_EQ(list.Lines(), c.lines);
    EXPECT_EQ(list.fileEncoding, c.encoding);
    EXPECT_EQ(files.openCount, 0);
  }
}

TEST(LoadFromFile, DecodingFailureLeavesLinesAlone) {
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  };
  using E = TextEncoding;
  const Case cases[] = {
      {"UTF-8 invalid byte",
       "\xEF\xBB\xBF"
       "abc\xFF"
       "def",
       E::Utf8},
      {"UTF-8 stray continuation", "\xEF\xBB\xBF\x80", E::Utf8},
      {"UTF-8 cut off at the end",
       "\xEF\xBB\xBF"
       "ab\xE4\xB8",
       E::Utf8},
      {"UTF-8 lead without continuation",
       "\xEF\xBB\xBF\xC3"
       "a",
       E::Utf8},
      {"UTF-8 overlong", "\xEF\xBB\xBF\xC0\xAF", E::Utf8},
      {"UTF-8 encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80", E::Utf8},
      {"UTF-8 above U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80", E::Utf8},
      {"UTF-16LE lone byte",
       "\xFF\xFE"
       "a",
       E::Utf16LE},
      {"UTF-16BE lone byte",
       "\xFE\xFF"
       "a",
       E::Utf16BE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTextFiles files;
    files.files[kPath] = c.bytes;
    StringList list;
    list.Add(u"kept");
    EXPECT_EQ(FailureOf([&] { LoadFromFile(list, kPath, files); }),
              u"No mapping for the Unicode character exists in the target multi-byte code page");
    EXPECT_EQ(list.Lines(), std::vector<Text>{u"kept"});
    // The encoding is taken from the mark before decoding starts.
    EXPECT_EQ(list.fileEncoding, c.encoding);
    EXPECT_EQ(files.openCount, 0);
  }
}

TEST(LoadFromFile, OpenAndReadFailures) {
  FakeTextFiles files;
  files.errorTexts[2] = u"The system cannot find the file specified.\r\n";
  files.errorTexts[32] =
      u"The process cannot access the file because it is being used by another process. \r\n";
  files.files[u"C:\\work\\busy.html"] = "x";
  files.openErrors[u"C:\\work\\busy.html"] = 32;
  files.files[kPath] = "x";

  StringList list;
  list.Add(u"kept");
  list.fileEncoding = TextEncoding::Utf16BE;
  EXPECT_EQ(
      FailureOf([&] { LoadFromFile(list, u"missing.html", files); }),
      u"Cannot open file \"C:\\work\\missing.html\". The system cannot find the file specified");
  EXPECT_EQ(FailureOf([&] { LoadFromFile(list, u"busy.html", files); }),
            u"Cannot open file \"C:\\work\\busy.html\". The process cannot access the file because "
            u"it is being used by another process");
  files.failRead = true;
  EXPECT_EQ(FailureOf([&] { LoadFromFile(list, kPath, files); }), u"Stream read error");

  EXPECT_EQ(list.Lines(), std::vector<Text>{u"kept"});
  EXPECT_EQ(list.fileEncoding, TextEncoding::Utf16BE);
  EXPECT_EQ(files.openCount, 0);
}

TEST(SaveToFile, EncodesWithMark) {
  struct Case {
    const char* name;
    std::vector<Text> lines;
    std::optional<TextEncoding> encoding;
    std::string bytes;
    uint32_t codePage = kFakeLatin1;
  };
  using E = TextEncoding;
  const Case cases[] = {
      {"never loaded, empty", {}, std::nullopt, ""},
      {"never loaded, empty, system code page UTF-8",
       {},
       std::nullopt,
       "\xEF\xBB\xBF",
       kCodePageUtf8},
      {"never loaded", {u"a", u"", u"b"}, std::nullopt, "a\r\n\r\nb\r\n"},
      {"system code page substitutes", {u"é€中"}, E::SystemCodePage, "\xE9??\r\n"},
      {"system code page UTF-8",
       {u"é中"},
       E::SystemCodePage,
       "\xEF\xBB\xBF\xC3\xA9\xE4\xB8\xAD\r\n",
       kCodePageUtf8},
      {"UTF-8, empty", {}, E::Utf8, "\xEF\xBB\xBF"},
      {"UTF-8", {u"é", u"𝄞"}, E::Utf8, "\xEF\xBB\xBF\xC3\xA9\r\n\xF0\x9D\x84\x9E\r\n"},
      {"UTF-16LE",
       {u"a中"},
       E::Utf16LE,
       std::string("\xFF\xFE"
                   "a\0\x2D\x4E\r\0\n\0",
                   10)},
      {"UTF-16BE", {u"a中"}, E::Utf16BE, std::string("\xFE\xFF\0a\x4E\x2D\0\r\0\n", 10)},
      {"UTF-16LE keeps lone surrogates",
       {kOddUtf16},
       E::Utf16LE,
       Bytes({0xFF, 0xFE, 'a', 0, 0, 0xD8, 'b', 0, 0xFF, 0xDF, '\r', 0, '\n', 0})},
      {"UTF-16BE, empty", {}, E::Utf16BE, "\xFE\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTextFiles files;
    files.codePage = c.codePage;
    files.files[kPath] = "an older and longer page";
    StringList list;
    for (const Text& line : c.lines) list.Add(line);
    list.fileEncoding = c.encoding;
    SaveToFile(list, kPath, files);
    EXPECT_EQ(files.files[kPath], c.bytes);
    EXPECT_EQ(files.openCount, 0);
  }
}

TEST(SaveToFile, RoundTripsWhatWasLoaded) {
  struct Case {
    const char* name;
    std::string loaded;
    std::string saved;
  };
  const Case cases[] = {
      {"0 bytes", "", ""},
      {"UTF-8 mark only", "\xEF\xBB\xBF", "\xEF\xBB\xBF"},
      {"LF to CR LF", "a\nb", "a\r\nb\r\n"},
      {"UTF-8 unchanged", "\xEF\xBB\xBF\xE4\xB8\xAD\xF0\x9D\x84\x9E\r\n",
       "\xEF\xBB\xBF\xE4\xB8\xAD\xF0\x9D\x84\x9E\r\n"},
      {"UTF-16LE unchanged", Bytes({0xFF, 0xFE, 0, 0xD8, '\r', 0, '\n', 0}),
       Bytes({0xFF, 0xFE, 0, 0xD8, '\r', 0, '\n', 0})},
      {"UTF-16BE odd byte dropped", Bytes({0xFE, 0xFF, 0xD8, 0, 0x41}),
       Bytes({0xFE, 0xFF, 0xD8, 0, 0, '\r', 0, '\n'})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTextFiles files;
    files.files[kPath] = c.loaded;
    StringList list;
    LoadFromFile(list, kPath, files);
    SaveToFile(list, u"C:\\out\\page.html", files);
    EXPECT_EQ(files.files[u"C:\\out\\page.html"], c.saved);
  }
}

TEST(SaveToFile, RepeatsShortWrites) {
  FakeTextFiles files;
  files.writeChunk = 3;
  StringList list;
  list.SetText(u"abcdefg\nhi");
  list.fileEncoding = TextEncoding::Utf16LE;
  SaveToFile(list, kPath, files);
  EXPECT_EQ(files.files[kPath], std::string("\xFF\xFE"
                                            "a\0b\0c\0d\0e\0f\0g\0\r\0\n\0h\0i\0\r\0\n\0",
                                            2 + 2 * 13));
  EXPECT_EQ(files.writeCalls, 1 + 9);  // the mark, then 26 bytes three at a time
}

TEST(SaveToFile, CreateFailureCreatesNothing) {
  FakeTextFiles files;
  files.errorTexts[5] = u"Access is denied.\r\n";
  files.createErrors[u"C:\\work\\out\\page.html"] = 5;
  StringList list;
  list.Add(u"a");
  EXPECT_EQ(FailureOf([&] { SaveToFile(list, u"out\\page.html", files); }),
            u"Cannot create file \"C:\\work\\out\\page.html\". Access is denied");
  EXPECT_TRUE(files.files.empty());
  EXPECT_EQ(list.Lines(), std::vector<Text>{u"a"});
}

// A write that fails part way must not leave a page cut short behind, nor the
// older page it was replacing half overwritten.
TEST(SaveToFile, FailedWriteLeavesNoFile) {
  const std::string full =
      "\xEF\xBB\xBF"
      "line one\r\nline two\r\n";
  for (size_t limit : {size_t{0}, size_t{2}, size_t{3}, size_t{10}, full.size() - 1}) {
    for (bool existed : {false, true}) {
      SCOPED_TRACE("limit " + std::to_string(limit) + (existed ? ", over an older file" : ""));
      FakeTextFiles files;
      if (existed) files.files[kPath] = "older page";
      files.writeLimit = limit;
      files.writeChunk = 4;
      StringList list;
      list.SetText(u"line one\nline two");
      list.fileEncoding = TextEncoding::Utf8;
      EXPECT_EQ(FailureOf([&] { SaveToFile(list, kPath, files); }), u"Stream write error");
      EXPECT_FALSE(files.files.contains(kPath));
      // Removed after it was closed (the fake, like Windows, refuses otherwise).
      EXPECT_EQ(files.removed, std::vector<Text>{kPath});
      EXPECT_EQ(files.openCount, 0);
    }
  }
  // Exactly enough room is no failure.
  FakeTextFiles files;
  files.writeLimit = full.size();
  StringList list;
  list.SetText(u"line one\nline two");
  list.fileEncoding = TextEncoding::Utf8;
  SaveToFile(list, kPath, files);
  EXPECT_EQ(files.files[kPath], full);
  EXPECT_TRUE(files.removed.empty());
}

TEST(TrimErrorText, RemovesTrailingBlanksAndFullStops) {
  const std::pair<Text, Text> cases[] = {
      {u"Access is denied.\r\n", u"Access is denied"},
      {u"Ends. . .  \t", u"Ends"},
      {Text(u"Nul\0\x1F.", 6), u"Nul"},
      {u"a.b", u"a.b"},
      {u"\u00A0kept\u00A0", u"\u00A0kept\u00A0"},
      {u" . ", u""},
      {u"", u""},
  };
  for (const auto& [raw, trimmed] : cases) {
    SCOPED_TRACE(Utf8(raw));
    EXPECT_EQ(TrimErrorText(raw), trimmed);
  }
}

}  // namespace
}  // namespace ostrivel
