// The platform's own text files on a real temporary folder: what does not
// depend on the system code page.

#include <gtest/gtest.h>

#include "page/text_file.h"
#include "page/text_file_test_util.h"

namespace ostrivel {
namespace {

using testing::FailureOf;
using testing::TempFolder;

TEST(SystemTextFiles, LoadsAndSavesEveryMark) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<Text> lines;
    TextEncoding encoding;
    std::string saved;
  };
  using E = TextEncoding;
  const std::string utf8 =
      "\xEF\xBB\xBF"
      "a\xC3\xA9\xE4\xB8\xAD\xF0\x9D\x84\x9E\r\n";
  const Case cases[] = {
      {"UTF-8", utf8, {u"aé中𝄞"}, E::Utf8, utf8},
      {"UTF-8 mark only", "\xEF\xBB\xBF", {}, E::Utf8, "\xEF\xBB\xBF"},
      {"UTF-8 lone LF",
       "\xEF\xBB\xBF"
       "a\nb",
       {u"a", u"b"},
       E::Utf8,
       "\xEF\xBB\xBF"
       "a\r\nb\r\n"},
      {"UTF-16LE",
       std::string("\xFF\xFE"
                   "a\0\n\0\x2D\x4E",
                   8),
       {u"a", u"中"},
       E::Utf16LE,
       std::string("\xFF\xFE"
                   "a\0\r\0\n\0\x2D\x4E\r\0\n\0",
                   14)},
      {"UTF-16BE odd final byte",
       std::string("\xFE\xFF\0a\x4E", 5),
       {u"a"},
       E::Utf16BE,
       std::string("\xFE\xFF\0a\0\r\0\n", 8)},
      {"UTF-16LE mark only", "\xFF\xFE", {}, E::Utf16LE, "\xFF\xFE"},
  };
  TempFolder temp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    temp.Write("in.html", c.bytes);
    StringList list;
    LoadFromFile(list, temp.PathOf("in.html"), SystemTextFiles());
    EXPECT_EQ(list.Lines(), c.lines);
    EXPECT_EQ(list.fileEncoding, c.encoding);
    SaveToFile(list, temp.PathOf("out.html"), SystemTextFiles());
    EXPECT_EQ(temp.Read("out.html"), c.saved);
    // Both files were closed: they can go (an open handle would keep them on Windows).
    EXPECT_TRUE(std::filesystem::remove(temp.Folder() / "in.html"));
    EXPECT_TRUE(std::filesystem::remove(temp.Folder() / "out.html"));
  }
}

TEST(SystemTextFiles, DecodingFailures) {
  const std::pair<const char*, std::string> cases[] = {
      {"ill-formed UTF-8",
       "\xEF\xBB\xBF"
       "abc\xC3(def"},
      {"encoded surrogate", "\xEF\xBB\xBF\xED\xB0\x80"},
      {"UTF-16LE lone byte",
       "\xFF\xFE"
       "a"},
  };
  TempFolder temp;
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    temp.Write("in.html", bytes);
    StringList list;
    list.Add(u"kept");
    EXPECT_EQ(FailureOf([&] { LoadFromFile(list, temp.PathOf("in.html"), SystemTextFiles()); }),
              u"No mapping for the Unicode character exists in the target multi-byte code page");
    EXPECT_EQ(list.Lines(), std::vector<Text>{u"kept"});
    EXPECT_TRUE(std::filesystem::remove(temp.Folder() / "in.html"));
  }
}

TEST(SystemTextFiles, SaveReplacesAWholeOlderFile) {
  TempFolder temp;
  temp.Write("page.html", std::string(10000, 'x'));
  StringList list;
  list.Add(u"new");
  list.fileEncoding = TextEncoding::Utf16BE;
  SaveToFile(list, temp.PathOf("page.html"), SystemTextFiles());
  EXPECT_EQ(temp.Read("page.html"), std::string("\xFE\xFF\0n\0e\0w\0\r\0\n", 12));
}

TEST(SystemTextFiles, LargeFileRoundTrips) {
  // Enough lines that one read, one decode and one write must each carry a
  // few megabytes.
  StringList list;
  for (int i = 0; i < 200000; ++i) list.Add(u"D.p([\"/some/folder/" + Decimal(i) + u"\"])");
  list.fileEncoding = TextEncoding::Utf8;
  TempFolder temp;
  SaveToFile(list, temp.PathOf("big.html"), SystemTextFiles());
  StringList loaded;
  LoadFromFile(loaded, temp.PathOf("big.html"), SystemTextFiles());
  EXPECT_EQ(loaded.Lines(), list.Lines());
  EXPECT_EQ(loaded.fileEncoding, TextEncoding::Utf8);
}

TEST(SystemTextFiles, SavingInPiecesGivesTheBytesOfTheWholeText) {
  // A surrogate pair split between two pieces right where a part of the
  // writing would end, and a text long enough for several parts.
  const Text high(1, static_cast<char16_t>(0xD834));
  const Text low(1, static_cast<char16_t>(0xDD1E));
  const Text run(262143, u'a');
  const Text tail = u"b中&é";
  std::vector<Text> owned = {run + high, low + tail, u"\r\n"};
  for (int i = 0; i < 70000; ++i) {
    owned.push_back(u"línea " + Decimal(i));
    owned.push_back(u"\r\n");
  }
  std::vector<TextView> pieces(owned.begin(), owned.end());
  StringList list;
  list.Add(run + high + low + tail);
  for (int i = 0; i < 70000; ++i) list.Add(u"línea " + Decimal(i));

  using E = TextEncoding;
  const std::optional<E> encodings[] = {E::Utf8, E::Utf16LE, E::Utf16BE, std::nullopt};
  TempFolder temp;
  for (const std::optional<E>& encoding : encodings) {
    SCOPED_TRACE(encoding ? static_cast<int>(*encoding) : -1);
    list.fileEncoding = encoding;
    SaveToFile(list, temp.PathOf("whole.html"), SystemTextFiles());
    SavePiecesToFile(pieces, encoding, temp.PathOf("pieces.html"), SystemTextFiles());
    const std::string whole = temp.Read("whole.html");
    EXPECT_GT(whole.size(), 262144u);
    EXPECT_TRUE(temp.Read("pieces.html") == whole);
  }
}

}  // namespace
}  // namespace ostrivel
