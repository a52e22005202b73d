// The Win32 back end under Wine on a tree that Linux made (scan/make_odd_tree.sh):
// names that Windows forbids, reported verbatim by Wine, and symbolic links.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/windows.h"
#include "page/date_value.h"
#include "scan/catalogue.h"
#include "scan/file_queries.h"

namespace ostrivel {
namespace {

class OddTree : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t buffer[1024];
    const DWORD n = GetEnvironmentVariableW(L"OSTRIVEL_ODD_TREE", buffer, 1024);
    if (n == 0 || n >= 1024) GTEST_SKIP() << "OSTRIVEL_ODD_TREE is not set (ctest sets it)";
    // Wine shows the Linux root as drive Z:.
    root_ = u"Z:";
    for (DWORD i = 0; i < n; ++i)
      root_ += buffer[i] == L'/' ? u'\\' : static_cast<char16_t>(buffer[i]);
    odd_ = root_ + u"\\odd";
  }

  std::vector<std::string> Sorted(const std::vector<Text>& paths) const {
    std::vector<std::string> out;
    for (const Text& p : paths) {
      EXPECT_EQ(p.substr(0, odd_.size()), odd_);
      out.push_back(Utf8(p.substr(std::min(p.size(), odd_.size()))));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  Text root_, odd_;
  FileQueries queries_{SystemFileSystem()};
};

std::vector<std::string> RawNames(const Text& folder) {
  std::vector<std::string> names;
  SearchEntry e;
  auto search = SystemFileSystem().SearchFolder(folder + u"\\*", e);
  if (!search) return names;
  do {
    names.push_back(Utf8(e.name));
  } while (search->Next(e));
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(OddTree, WhatWineReports) {
  // Names with '|', '"', '\\' and ':' verbatim; directory links as directory
  // and reparse point; a link to a file as the file; dangling and
  // self-referencing links not at all.
  EXPECT_EQ(RawNames(odd_),
            (std::vector<std::string>{
                ".",         "..",        "back\\slash",   "bad|dir",   "co:lon",
                "file.txt",  "filelink",  "pipe|file.txt", "plain",     "quote\"file.txt",
                "side",      "star*dir",  "star*file",     "starAfile", "starBfile",
                "starCfile", "starDfile", "starEfile",     "starFfile", "starGfile",
                "starHfile", "starIfile", "starJfile"}));
  uint32_t attributes = 0, error = 0;
  ASSERT_TRUE(SystemFileSystem().GetAttributes(odd_ + u"\\side", attributes, error));
  EXPECT_EQ(attributes & (kAttrDirectory | kAttrReparsePoint), kAttrDirectory | kAttrReparsePoint);
}

// Mended: the entries whose names cannot be joined are left out, one by one,
// instead of failing the whole listing.
TEST_F(OddTree, Listings) {
  EXPECT_EQ(Sorted(queries_.ListAllDirectories(odd_)),
            (std::vector<std::string>{
                "\\plain", "\\plain\\here", "\\plain\\top", "\\plain\\up", "\\plain\\x", "\\side",
                "\\side\\s1",
                "\\star*dir"}));  // listed; its search pattern holds a wildcard, so not entered
  EXPECT_EQ(Sorted(queries_.ListSubdirectories(odd_)),
            (std::vector<std::string>{"\\plain", "\\side", "\\star*dir"}));
  EXPECT_EQ(Sorted(queries_.ListFiles(odd_)),
            (std::vector<std::string>{"\\file.txt", "\\filelink", "\\star*file", "\\starAfile",
                                      "\\starBfile", "\\starCfile", "\\starDfile", "\\starEfile",
                                      "\\starFfile", "\\starGfile", "\\starHfile", "\\starIfile",
                                      "\\starJfile"}));
  // The name with a wildcard is looked up as that name, not as a pattern.
  FileEntry e;
  ASSERT_TRUE(queries_.LookUpFile(odd_ + u"\\star*file", e));
  EXPECT_EQ(e.Name, u"star*file");
  EXPECT_EQ(e.Size, 1);
  ASSERT_TRUE(queries_.LookUpFile(odd_ + u"\\starJfile", e));
  EXPECT_EQ(e.Size, 3);
  EXPECT_FALSE(queries_.LookUpFile(odd_ + u"\\st?r", e));
  auto collation = MakeUserCollation();
  StringList dirList;
  dirList.Add(odd_);
  CollectDirectories(odd_, dirList, queries_, *collation);
  EXPECT_EQ(dirList.Count(), 9);
}

TEST_F(OddTree, LinksThroughWine) {
  FileEntry e;
  ASSERT_TRUE(queries_.LookUpFile(odd_ + u"\\filelink", e));
  EXPECT_EQ(e.Size, 5);  // Wine shows the target's entry
  EXPECT_NO_THROW(queries_.CheckDirectoryPath(odd_ + u"\\side"));
  EXPECT_NO_THROW(queries_.CheckDirectoryPath(odd_ + u"\\plain\\up"));
  // Wine's volumes do not report FILE_SUPPORTS_REPARSE_POINTS, so a link's
  // target is not resolved and its time falls back.
  uint32_t error = 0;
  EXPECT_EQ(SystemFileSystem().ExamineVolume(odd_, error), VolumeCheck::NoReparsePoints);
  EXPECT_EQ(queries_.DirectoryWriteTime(odd_ + u"\\side"), 0.0);
  EXPECT_GT(queries_.DirectoryWriteTime(root_ + u"\\side"), 0.0);
  // The final path of a link, in drive-letter form.
  Text target;
  ASSERT_TRUE(SystemFileSystem().FinalPath(odd_ + u"\\side", target));
  EXPECT_EQ(Utf8(target), Utf8(root_ + u"\\side"));
  FileId viaLink, direct;
  ASSERT_TRUE(SystemFileSystem().Identity(odd_ + u"\\plain\\up", viaLink));
  ASSERT_TRUE(SystemFileSystem().Identity(odd_, direct));
  EXPECT_EQ(viaLink, direct);
  // Forbidden names cannot be opened by name.
  try {
    queries_.DirectoryWriteTime(odd_ + u"\\bad|dir");
    ADD_FAILURE() << "no failure";
  } catch (const FsError& f) {
    EXPECT_EQ(f.Kind(), FsErrorKind::InvalidPath);
  }
  EXPECT_FALSE(queries_.LookUpFile(odd_ + u"\\dangling", e));
}

TEST(Win32FileSystem, ErrorTextsAndConversions) {
  FileSystem& fs = SystemFileSystem();
  EXPECT_EQ(Utf8(fs.ErrorText(ERROR_ACCESS_DENIED)), "Access denied");
  EXPECT_FALSE(fs.ErrorText(ERROR_PATH_NOT_FOUND).empty());
  CalendarFields f;
  EXPECT_FALSE(fs.FileTimeToLocalFields(1ULL << 63, f));
  ASSERT_TRUE(fs.FileTimeToLocalFields((1ULL << 63) - 1, f));
  EXPECT_EQ(f.year, 30828);
  FileQueries q(fs);
  EXPECT_THROW(q.FileTimeToLocalDateTime((1ULL << 63) - 1), FsError);
  EXPECT_EQ(q.FileTimeToLocalDateTime(1ULL << 63), 2.0);
  // A path holding U+0000 is refused rather than cut short.
  uint32_t attributes = 0, error = 0;
  EXPECT_TRUE(fs.GetAttributes(u"C:\\windows", attributes, error));
  EXPECT_FALSE(fs.GetAttributes(Text(u"C:\\windows") + u'\0' + u"x", attributes, error));
  // The absolute form: of any length, relative ones against the current folder.
  const Text longPath = u"C:\\" + Text(400, u'a') + u"\\..\\b";
  EXPECT_EQ(fs.FullPath(longPath, error), u"C:\\b");
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(fs.FullPath(u"C:\\" + Text(400, u'a'), error).size(), 403u);
}

}  // namespace
}  // namespace ostrivel
