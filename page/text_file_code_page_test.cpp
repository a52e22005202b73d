// The system code page of the platform's text files, which follows the
// locale: this binary runs under en_US.UTF-8, and again under zh_CN.UTF-8
// (and natively under C) as further test binaries.

#include <gtest/gtest.h>

#include <cstdlib>

#include "page/text_file.h"
#include "page/text_file_test_util.h"

namespace ostrivel {
namespace {

using testing::TempFolder;

struct CodePageCase {
  uint32_t codePage;
  const char* where;
  Text text;           // saved by a list that was never loaded
  std::string saved;   // what that gives, mark included
  std::string loaded;  // a file without a mark
  Text decoded;        // what loading it gives
};

// Windows: the ANSI code page that Wine gives each locale. POSIX: the locale's
// character set.
#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

uint32_t ExpectedCodePage() {
  // The order in which the C library looks for the character set's locale.
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  if (kWindows) return locale.starts_with("zh_CN") ? 936 : 1252;
  return locale.find("UTF-8") != std::string::npos ? kCodePageUtf8 : 20127;
}

const CodePageCase kCases[] = {
    {kCodePageUtf8, "a UTF-8 locale", u"aé€中ก",
     "\xEF\xBB\xBF"
     "a\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\xE0\xB8\x81\r\n",
     // Lenient: an ill-formed sequence becomes U+FFFD.
     "a\xC3\xA9\xFF"
     "b\xE4\xB8",
     U("aé\xEF\xBF\xBD"
       "b\xEF\xBF\xBD")},
    {1252, "Wine, en-US", u"aé€中ก", "a\xE9\x80??\r\n", "a\xE9\x80\xFF", u"aé€ÿ"},
    {936, "Wine, zh-CN", u"a中文ก", "a\xD6\xD0\xCE\xC4?\r\n", "a\xD6\xD0\xCE\xC4", u"a中文"},
    // ICU's US-ASCII converter: U+001A for what it cannot write, U+FFFD for
    // what it cannot read.
    {20127, "POSIX, C locale", u"aé中", "a\x1A\x1A\r\n", "a\xE9!", u"a\xFFFD!"},
};

TEST(SystemCodePage, FollowsTheLocale) {
  TextFiles& files = SystemTextFiles();
  ASSERT_EQ(files.SystemCodePage(), ExpectedCodePage());
  const CodePageCase* found = nullptr;
  for (const CodePageCase& c : kCases) {
    if (c.codePage == files.SystemCodePage()) found = &c;
  }
  ASSERT_NE(found, nullptr);
  SCOPED_TRACE(found->where);

  TempFolder temp;
  StringList list;
  list.Add(found->text);
  SaveToFile(list, temp.PathOf("saved.html"), files);
  EXPECT_EQ(temp.Read("saved.html"), found->saved);

  temp.Write("loaded.html", found->loaded);
  LoadFromFile(list, temp.PathOf("loaded.html"), files);
  EXPECT_EQ(list.Lines(), std::vector<Text>{found->decoded});
  EXPECT_EQ(list.fileEncoding, TextEncoding::SystemCodePage);

  // An empty file stays empty, but for the mark of a UTF-8 code page.
  temp.Write("empty.html", "");
  LoadFromFile(list, temp.PathOf("empty.html"), files);
  EXPECT_TRUE(list.Lines().empty());
  SaveToFile(list, temp.PathOf("empty-saved.html"), files);
  EXPECT_EQ(temp.Read("empty-saved.html"),
            files.SystemCodePage() == kCodePageUtf8 ? "\xEF\xBB\xBF" : "");

  // A UTF-16LE file without its mark is read in the code page: its first
  // 00 byte ends the text.
  temp.Write("utf16.html", std::string("h\0i\0\r\0\n\0", 8));
  LoadFromFile(list, temp.PathOf("utf16.html"), files);
  EXPECT_EQ(list.Lines(), std::vector<Text>{u"h"});
}

// Whatever the code page, a list loaded with a UTF-8 or UTF-16 mark keeps
// every character.
TEST(SystemCodePage, MarkedFilesKeepEveryCharacter) {
  TempFolder temp;
  const Text text = u"aé€中ก𝄞";
  for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
    SCOPED_TRACE(static_cast<int>(encoding));
    StringList list;
    list.Add(text);
    list.fileEncoding = encoding;
    SaveToFile(list, temp.PathOf("page.html"), SystemTextFiles());
    StringList loaded;
    LoadFromFile(loaded, temp.PathOf("page.html"), SystemTextFiles());
    EXPECT_EQ(loaded.Lines(), std::vector<Text>{text});
    EXPECT_EQ(loaded.fileEncoding, encoding);
  }
}

}  // namespace
}  // namespace ostrivel
