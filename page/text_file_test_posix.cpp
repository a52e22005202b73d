// The POSIX text-file back end: paths, error texts, file names that are not
// UTF-8, a file system that fills up.

#include <dirent.h>
#include <errno.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "page/text_file.h"
#include "page/text_file_posix.h"
#include "page/text_file_test_util.h"

namespace ostrivel {
namespace {

using testing::FailureOf;
using testing::TempFolder;

Text CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? FromUtf8Lossless(buffer) : Text();
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

TEST(PosixTextFiles, AbsolutePathIsLexical) {
  struct Case {
    const char* base;
    const char* path;
    const char* full;
  };
  const Case cases[] = {
      {"/home/u", "t.html", "/home/u/t.html"},
      {"/home/u", "/abs/t.html", "/abs/t.html"},
      {"/home/u", "./a/./t.html", "/home/u/a/t.html"},
      {"/home/u", "../t.html", "/home/t.html"},
      {"/home/u", "../../../../t.html", "/t.html"},
      {"/home/u", "a//b///t.html", "/home/u/a/b/t.html"},
      {"/home/u", "a/b/..", "/home/u/a"},
      {"/home/u", "a/", "/home/u/a/"},
      {"/", "t.html", "/t.html"},
      {"/", "..", "/"},
      {"/home/u", "", "/home/u"},
      {"/x", "n\xFF\xFE.html", "/x/n\xFF\xFE.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(AbsolutePath(U(c.base), U(c.path)), U(c.full));
  }
  EXPECT_EQ(SystemTextFiles().FullPath(u"sub/../t.html"), CurrentFolder() + u"/t.html");
}

TEST(PosixTextFiles, ErrnoMapsToWindowsCodesAndKeepsItsText) {
  struct Case {
    int errnoValue;
    uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {ENOENT, 2, "No such file or directory"},
      {ENOTDIR, 3, "Not a directory"},
      {EACCES, 5, "Permission denied"},
      {EPERM, 5, "Permission denied"},
      {EISDIR, 5, "Permission denied"},
      {EROFS, 19, "Read-only file system"},
      {ENOSPC, 112, "No space left on device"},
      {ENAMETOOLONG, 206, "File name too long"},
      {EXDEV, 0x20000000u | EXDEV, "Invalid cross-device link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CodeFromErrno(c.errnoValue), c.code);
    EXPECT_EQ(TextOfCode(c.code), U(c.text));
  }
}

TEST(PosixTextFiles, OpenAndCreateFailures) {
  TempFolder temp;
  const Text folder = temp.FolderText();
  StringList list;
  list.Add(u"kept");
  struct Case {
    const char* name;
    std::function<void()> action;
    Text message;
  };
  const Case cases[] = {
      {"missing file", [&] { LoadFromFile(list, temp.PathOf("missing.html"), SystemTextFiles()); },
       u"Cannot open file \"" + folder + u"/missing.html\". No such file or directory"},
      {"missing folder, relative parts",
       [&] { LoadFromFile(list, folder + u"/none/./../none/t.html", SystemTextFiles()); },
       u"Cannot open file \"" + folder + u"/none/t.html\". No such file or directory"},
      {"a folder is not a file", [&] { LoadFromFile(list, folder, SystemTextFiles()); },
       u"Cannot open file \"" + folder + u"\". Permission denied"},
      {"create in a missing folder",
       [&] { SaveToFile(list, temp.PathOf("none/page.html"), SystemTextFiles()); },
       u"Cannot create file \"" + folder + u"/none/page.html\". No such file or directory"},
      {"create over a folder", [&] { SaveToFile(list, folder, SystemTextFiles()); },
       u"Cannot create file \"" + folder + u"\". Permission denied"},
  };
  const int descriptors = OpenDescriptors();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FailureOf(c.action), c.message);
  }
  EXPECT_EQ(list.Lines(), std::vector<Text>{u"kept"});
  EXPECT_FALSE(temp.Exists("none"));
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(PosixTextFiles, NamesThatAreNotUtf8RoundTrip) {
  TempFolder temp;
  const std::string name = "page-\xFF\xC3.html";
  const Text path = temp.FolderText() + u"/" + FromUtf8Lossless(name);
  StringList list;
  list.Add(u"x");
  SaveToFile(list, path, SystemTextFiles());
  struct stat st;
  EXPECT_EQ(stat((temp.Folder().string() + "/" + name).c_str(), &st), 0);
  StringList loaded;
  LoadFromFile(loaded, path, SystemTextFiles());
  EXPECT_EQ(loaded.Lines(), list.Lines());
}

TEST(PosixTextFiles, RemovesOnlyRegularFiles) {
  TempFolder temp;
  temp.Write("file", "x");
  ASSERT_EQ(mkfifo((temp.Folder() / "fifo").c_str(), 0600), 0);
  EXPECT_TRUE(SystemTextFiles().Remove(temp.PathOf("file")));
  EXPECT_FALSE(SystemTextFiles().Remove(temp.PathOf("fifo")));
  EXPECT_FALSE(SystemTextFiles().Remove(temp.PathOf("missing")));
  EXPECT_FALSE(temp.Exists("file"));
  EXPECT_TRUE(temp.Exists("fifo"));
}

// A page that does not fit on its disk is removed, not left cut short.
TEST(PosixTextFiles, FullFileSystemLeavesNoPage) {
  TempFolder temp;
  const std::string mountPoint = (temp.Folder() / "tiny").string();
  ASSERT_EQ(mkdir(mountPoint.c_str(), 0700), 0);
  if (geteuid() != 0 || mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{mountPoint};

  StringList small;
  small.Add(u"fits");
  SaveToFile(small, temp.PathOf("tiny/small.html"), SystemTextFiles());
  EXPECT_TRUE(temp.Exists("tiny/small.html"));

  StringList big;
  for (int i = 0; i < 10000; ++i) big.Add(u"a line of about forty characters, " + Decimal(i));
  big.fileEncoding = TextEncoding::Utf16LE;
  const int descriptors = OpenDescriptors();
  EXPECT_EQ(FailureOf([&] { SaveToFile(big, temp.PathOf("tiny/big.html"), SystemTextFiles()); }),
            u"Stream write error");
  EXPECT_FALSE(temp.Exists("tiny/big.html"));
  EXPECT_TRUE(temp.Exists("tiny/small.html"));
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace ostrivel
