// The Win32 text-file back end: sharing while loading and saving, failure
// messages with the system's texts, full paths.

#include <gtest/gtest.h>

#include "core/windows.h"
#include "page/text_file.h"
#include "page/text_file_test_util.h"

namespace ostrivel {
namespace {

using testing::FailureOf;
using testing::TempFolder;

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class Held {
 public:
  Held(const Text& path, DWORD access, DWORD sharing)
      : handle_(CreateFileW(Wide(path), access, sharing, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Held() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Another program holding the file open: loading lets others read, not write;
// saving lets no one else have the file open at all.
TEST(Win32TextFiles, SharingRules) {
  struct Case {
    const char* name;
    DWORD access;
    DWORD sharing;
    bool loads;
    bool saves;
  };
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const Case cases[] = {
      {"held for reading, sharing all", GENERIC_READ, all, true, false},
      {"held for reading, sharing reading", GENERIC_READ, FILE_SHARE_READ, true, false},
      {"held for writing, sharing all", GENERIC_WRITE, all, false, false},
      {"held for reading and writing, sharing all", GENERIC_READ | GENERIC_WRITE, all, false,
       false},
      {"held for attributes only", FILE_READ_ATTRIBUTES, all, true, true},
  };
  TempFolder temp;
  const Text path = temp.PathOf("page.html");
  const Text full = SystemTextFiles().FullPath(path);
  const Text sharing = TrimErrorText(SystemTextFiles().ErrorText(ERROR_SHARING_VIOLATION));
  ASSERT_FALSE(sharing.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    temp.Write("page.html", "\xEF\xBB\xBFold\r\n");
    Held held(path, c.access, c.sharing);
    ASSERT_TRUE(held.Ok());
    StringList list;
    EXPECT_EQ(FailureOf([&] { LoadFromFile(list, path, SystemTextFiles()); }),
              c.loads ? u"" : u"Cannot open file \"" + full + u"\". " + sharing);
    EXPECT_EQ(list.Count(), c.loads ? 1 : 0);
    list.SetText(u"new");
    EXPECT_EQ(FailureOf([&] { SaveToFile(list, path, SystemTextFiles()); }),
              c.saves ? u"" : u"Cannot create file \"" + full + u"\". " + sharing);
  }
}

// Wine's English message table; Windows words some of them differently.
TEST(Win32TextFiles, OpenAndCreateFailures) {
  TempFolder temp;
  const Text folder = temp.FolderText();
  StringList list;
  list.Add(u"kept");
  EXPECT_EQ(FailureOf([&] { LoadFromFile(list, temp.PathOf("missing.html"), SystemTextFiles()); }),
            u"Cannot open file \"" + folder + u"\\missing.html\". File not found");
  EXPECT_EQ(FailureOf([&] {
              LoadFromFile(list, folder + u"\\none\\..\\none\\t.html", SystemTextFiles());
            }),
            u"Cannot open file \"" + folder + u"\\none\\t.html\". Path not found");
  EXPECT_EQ(FailureOf([&] { SaveToFile(list, folder + u"/none/page.html", SystemTextFiles()); }),
            u"Cannot create file \"" + folder + u"\\none\\page.html\". Path not found");
  EXPECT_EQ(FailureOf([&] { SaveToFile(list, folder, SystemTextFiles()); }),
            u"Cannot create file \"" + folder + u"\". Access denied");
  EXPECT_EQ(list.Lines(), std::vector<Text>{u"kept"});
  EXPECT_FALSE(temp.Exists("none"));
}

TEST(Win32TextFiles, FullPathAsGetFullPathNameForms) {
  wchar_t current[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  Text folder(reinterpret_cast<const char16_t*>(current));
  if (!folder.ends_with(u'\\')) folder += u'\\';
  const std::pair<Text, Text> cases[] = {
      {u"C:\\a\\..\\b\\.\\c.html", u"C:\\b\\c.html"},
      {u"C:/a/b.html", u"C:\\a\\b.html"},
      {u"t.html", folder + u"t.html"},
  };
  for (const auto& [path, full] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(SystemTextFiles().FullPath(path), full);
  }
}

}  // namespace
}  // namespace ostrivel
