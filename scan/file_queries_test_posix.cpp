// The POSIX back end on real trees: symbolic links of every kind, names that
// are not UTF-8 or that Windows forbids, access refused, descriptors, times.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "page/date_value.h"
#include "scan/catalogue.h"
#include "scan/file_queries.h"
#include "tests/temp_tree.h"

namespace ostrivel {
namespace {

using testing::TempTree;

constexpr uint64_t kSampleTime = 131887350000000000ULL;  // 2018-12-08 09:30:00 UTC

class PosixTree : public ::testing::Test {
 protected:
  std::string Bytes(const char* relative) const { return Utf8(tree_.Root()) + "/" + relative; }
  void MakeDir(const char* relative) const { ASSERT_EQ(mkdir(Bytes(relative).c_str(), 0755), 0); }
  void MakeFile(const char* relative) const {
    const int fd = open(Bytes(relative).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "hello", 5), 5);
    close(fd);
  }
  void MakeLink(const char* relative, const char* target) const {
    ASSERT_EQ(symlink(target, Bytes(relative).c_str()), 0);
  }
  std::vector<std::string> Sorted(const std::vector<Text>& paths) const {
    std::vector<std::string> out;
    for (const Text& p : paths) {
      EXPECT_EQ(p.substr(0, tree_.Root().size()), tree_.Root());
      out.push_back(Utf8(p.substr(std::min(p.size(), tree_.Root().size()))));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  TempTree tree_;
  FileQueries queries_{SystemFileSystem()};
};

TEST_F(PosixTree, SymbolicLinks) {
  MakeDir("r");
  MakeDir("r/sub");
  MakeDir("elsewhere");
  MakeDir("elsewhere/e1");
  MakeFile("r/file");
  MakeLink("r/filelink", "file");
  MakeLink("r/dangling", "nowhere");
  MakeLink("r/loop", "loop");
  MakeLink("r/side", "../elsewhere");
  MakeLink("r/sub/up", "..");
  MakeLink("r/sub/up2", "../..");  // above the start
  MakeLink("r/sub/here", ".");
  MakeLink("r/sub/root", "/");
  // A link to a directory: directory and reparse point, entered unless it
  // leads back up; links to files, dangling and looping ones: reparse points
  // without the directory attribute, so files.
  EXPECT_EQ(Sorted(queries_.ListAllDirectories(tree_.Path(u"r"))),
            (std::vector<std::string>{"/r/side", "/r/side/e1", "/r/sub", "/r/sub/here",
                                      "/r/sub/root", "/r/sub/up", "/r/sub/up2"}));
  EXPECT_EQ(Sorted(queries_.ListFiles(tree_.Path(u"r"))),
            (std::vector<std::string>{"/r/dangling", "/r/file", "/r/filelink", "/r/loop"}));
  SearchEntry e;
  FileSystem& fs = SystemFileSystem();
  ASSERT_TRUE(fs.FindEntry(tree_.Path(u"r/side"), e));
  EXPECT_EQ(e.attributes & (kAttrDirectory | kAttrReparsePoint),
            kAttrDirectory | kAttrReparsePoint);
  ASSERT_TRUE(fs.FindEntry(tree_.Path(u"r/dangling"), e));
  EXPECT_EQ(e.attributes & (kAttrDirectory | kAttrReparsePoint), kAttrReparsePoint);

  // The link's own entry, which has no data of its own.
  FileEntry entry;
  ASSERT_TRUE(queries_.LookUpFile(tree_.Path(u"r/filelink"), entry));
  EXPECT_EQ(entry.Name, u"filelink");
  EXPECT_EQ(entry.Size, 0);
  ASSERT_TRUE(queries_.LookUpFile(tree_.Path(u"r/file"), entry));
  EXPECT_EQ(entry.Size, 5);
  EXPECT_TRUE(queries_.LookUpFile(tree_.Path(u"r/dangling"), entry));

  // Directory checks follow links.
  using K = FsErrorKind;
  const struct {
    const char16_t* path;
    std::optional<K> kind;
  } rows[] = {
      {u"r/side", std::nullopt},        {u"r/sub/up", std::nullopt},
      {u"r/dangling", K::PathNotFound}, {u"r/loop", K::PathNotFound},
      {u"r/filelink", K::PathNotFound}, {u"r/file/x", K::PathNotFound},  // ENOTDIR
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.path));
    std::optional<K> kind;
    try {
      queries_.CheckDirectoryPath(tree_.Path(row.path));
    } catch (const FsError& f) {
      kind = f.Kind();
    }
    EXPECT_EQ(kind, row.kind);
  }
  // A directory link's time is its target's.
  struct timespec times[2] = {{0, UTIME_OMIT}, {1544261400, 0}};  // 2018-12-08 09:30:00 UTC
  ASSERT_EQ(utimensat(AT_FDCWD, Bytes("elsewhere").c_str(), times, 0), 0);
  EXPECT_DOUBLE_EQ(queries_.DirectoryWriteTime(tree_.Path(u"r/side")),
                   DateFromParts(2018, 12, 8) + TimeFromParts(9, 30, 0, 0));
}

TEST_F(PosixTree, TwoLinksUpInEveryFolderStayFinite) {
  // Without the identity check this tree would be walked 2^depth times over.
  MakeDir("r");
  std::string path = "r";
  for (int level = 0; level < 12; ++level) {
    path += "/d";
    MakeDir(path.c_str());
    MakeLink((path + "/a").c_str(), "..");
    MakeLink((path + "/b").c_str(), "../..");
  }
  EXPECT_EQ(queries_.ListAllDirectories(tree_.Path(u"r")).size(), 12u * 3);
}

TEST_F(PosixTree, NamesThatAreNotUtf8OrThatWindowsForbids) {
  MakeDir("t");
  MakeDir("t/caf\xe9");
  MakeFile("t/caf\xe9/x\xff.txt");
  MakeDir("t/back\\slash");
  MakeDir("t/co:lon");
  MakeDir("t/star*?");
  MakeDir("t/bad|dir");
  MakeDir("t/bad|dir/below");
  MakeFile("t/quote\"d");
  MakeFile("t/new\nline");
  MakeFile("t/plain.txt");
  EXPECT_EQ(Sorted(queries_.ListAllDirectories(tree_.Path(u"t"))),
            (std::vector<std::string>{"/t/back\\slash", "/t/caf\xe9", "/t/co:lon", "/t/star*?"}));
  EXPECT_EQ(Sorted(queries_.ListFiles(tree_.Path(u"t"))), std::vector<std::string>{"/t/plain.txt"});
  // The odd bytes come back as they were: the file is found again.
  const std::vector<Text> dirs = queries_.ListSubdirectories(tree_.Path(u"t"));
  auto cafe =
      std::find_if(dirs.begin(), dirs.end(), [](const Text& d) { return d.back() == u'\xdce9'; });
  ASSERT_NE(cafe, dirs.end());
  const std::vector<Text> files = queries_.ListFiles(*cafe);
  ASSERT_EQ(files.size(), 1u);
  FileEntry e;
  ASSERT_TRUE(queries_.LookUpFile(files[0], e));
  EXPECT_EQ(Utf8(e.Name), "x\xff.txt");
  EXPECT_EQ(e.Size, 5);
  // A name typed as the lone surrogates of its bytes is reported as the
  // system names it, not as typed.
  MakeFile("t/caf\xe9/\xc3\xa9.txt");
  queries_.ListFiles(*cafe);
  ASSERT_TRUE(queries_.LookUpFile(*cafe + u"/\xdcc3\xdca9.txt", e));
  EXPECT_EQ(e.Name, u"é.txt");
  EXPECT_NO_THROW(queries_.DirectoryWriteTime(*cafe));
  // And the catalogue finds it under the same text.
  auto collation = MakeUserCollation();
  StringList dirList;
  dirList.Add(tree_.Path(u"t"));
  CollectDirectories(tree_.Path(u"t"), dirList, queries_, *collation);
  int32_t index = -1;
  EXPECT_TRUE(FindByName(dirList, *cafe, *collation, index));
  EXPECT_EQ(dirList[index], *cafe);
}

// Access refused needs an unprivileged user: as root, the test drops to
// nobody in a child process.
TEST_F(PosixTree, AccessRefused) {
  MakeDir("open");
  MakeDir("open/locked");
  MakeDir("open/locked/hidden");
  MakeDir("open/fine");
  MakeDir("closed");
  MakeDir("closed/inside");
  MakeFile("open/locked/file");
  ASSERT_EQ(chmod(Bytes("open/locked").c_str(), 0), 0);
  ASSERT_EQ(chmod(Bytes("closed").c_str(), 0), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
    // A folder that refuses listing: an empty list; below the top: its
    // contents are missing; its time still comes from its attributes.
    int failures = 0;
    if (!queries_.ListAllDirectories(tree_.Path(u"closed")).empty()) failures |= 1;
    if (!queries_.ListFiles(tree_.Path(u"closed")).empty()) failures |= 2;
    if (Sorted(queries_.ListAllDirectories(tree_.Path(u"open"))) !=
        std::vector<std::string>{"/open/fine", "/open/locked"}) {
      failures |= 4;
    }
    if (queries_.DirectoryWriteTime(tree_.Path(u"closed")) == 0.0) failures |= 8;
    FileEntry e;
    if (queries_.LookUpFile(tree_.Path(u"open/locked/file"), e)) failures |= 16;
    _exit(failures);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  chmod(Bytes("open/locked").c_str(), 0755);
  chmod(Bytes("closed").c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

int OpenDescriptors() {
  int count = 0;
  DIR* d = opendir("/proc/self/fd");
  if (d == nullptr) return -1;
  while (readdir(d) != nullptr) ++count;
  closedir(d);
  return count;
}

TEST_F(PosixTree, NoDescriptorStaysOpen) {
  MakeDir("many");
  MakeDir("many/a");
  MakeDir("many/a/b");
  for (int i = 0; i < 300; ++i) MakeFile(("many/f" + std::to_string(i)).c_str());
  // The folder searched last stays open for the lookups that follow its
  // search, until the next other query (or, when its read is kept, until the
  // next search of another folder): count from such a query on.
  queries_.DirectoryWriteTime(tree_.Path(u"many/a"));
  const int before = OpenDescriptors();
  for (int round = 0; round < 5; ++round) {
    for (const Text& f : queries_.ListFiles(tree_.Path(u"many"))) {
      FileEntry e;
      EXPECT_TRUE(queries_.LookUpFile(f, e));
    }
    queries_.ListAllDirectories(tree_.Path(u"many"));
    queries_.DirectoryWriteTime(tree_.Path(u"many/a"));
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(PosixTree, LookupsAfterAListingSeeTheFolderAsItIsNow) {
  MakeDir("r");
  MakeFile("r/kept");
  MakeFile("r/gone");
  const std::vector<Text> files = queries_.ListFiles(tree_.Path(u"r"));
  ASSERT_EQ(files.size(), 2u);
  ASSERT_EQ(unlink(Bytes("r/gone").c_str()), 0);
  FileEntry e;
  EXPECT_TRUE(queries_.LookUpFile(tree_.Path(u"r/kept"), e));
  EXPECT_EQ(e.Name, u"kept");
  EXPECT_EQ(e.Size, 5);
  EXPECT_FALSE(queries_.LookUpFile(tree_.Path(u"r/gone"), e));

  // The folder removed and made again: its new files are found, not lost
  // with the old folder.
  queries_.ListFiles(tree_.Path(u"r"));
  ASSERT_EQ(unlink(Bytes("r/kept").c_str()), 0);
  ASSERT_EQ(rmdir(Bytes("r").c_str()), 0);
  MakeDir("r");
  MakeFile("r/new");
  EXPECT_TRUE(queries_.LookUpFile(tree_.Path(u"r/new"), e));
  EXPECT_EQ(e.Name, u"new");
  EXPECT_FALSE(queries_.LookUpFile(tree_.Path(u"r/kept"), e));
  // A file outside the folder searched last, and one in a folder below it.
  MakeDir("r/sub");
  MakeFile("r/sub/deep");
  MakeFile("top");
  queries_.ListFiles(tree_.Path(u"r"));
  EXPECT_TRUE(queries_.LookUpFile(tree_.Path(u"r/sub/deep"), e));
  EXPECT_EQ(e.Name, u"deep");
  EXPECT_TRUE(queries_.LookUpFile(tree_.Path(u"top"), e));
  EXPECT_EQ(e.Name, u"top");
}

// A folder's files and its subdirectories are listed from one read when the
// folder is provably unchanged in between; any change in between is seen.
TEST_F(PosixTree, SecondListingOfAFolderSeesEveryChange) {
  const char* folders[] = {"same", "added", "removed", "relinked", "replaced"};
  for (const char* f : folders) {
    MakeDir(f);
    MakeFile((std::string(f) + "/file").c_str());
    MakeDir((std::string(f) + "/sub").c_str());
  }
  MakeDir("target");
  MakeLink("relinked/link", "../target");
  MakeDir("other");
  MakeDir("other/new sub");
  // Only times that lie clearly in the past let a read be kept.
  sleep(3);
  // A search of a folder just made keeps no read: it ends any kept before.
  MakeDir("fresh");
  queries_.ListFiles(tree_.Path(u"fresh"));
  queries_.DirectoryWriteTime(tree_.Path(u"fresh"));
  const int idle = OpenDescriptors();
  auto subdirectories = [&](const char* f, auto&& change) {
    const Text folder = tree_.Path(U(f));
    EXPECT_EQ(queries_.ListFiles(folder).size(), 1u) << f;
    change();
    return Sorted(queries_.ListSubdirectories(folder));
  };

  EXPECT_EQ(subdirectories("same", [] {}), (std::vector<std::string>{"/same/sub"}));
  // The read is kept: the folder's descriptor stays open past another query.
  queries_.DirectoryWriteTime(tree_.Path(u"other"));
  EXPECT_EQ(OpenDescriptors(), idle + 1);
  EXPECT_EQ(subdirectories("same", [] {}), (std::vector<std::string>{"/same/sub"}));

  EXPECT_EQ(subdirectories("added", [&] { MakeDir("added/sub2"); }),
            (std::vector<std::string>{"/added/sub", "/added/sub2"}));
  EXPECT_EQ(subdirectories("removed", [&] { ASSERT_EQ(rmdir(Bytes("removed/sub").c_str()), 0); }),
            (std::vector<std::string>{}));
  // Where a link leads can change without its folder changing.
  EXPECT_EQ(subdirectories("relinked", [] {}),
            (std::vector<std::string>{"/relinked/link", "/relinked/sub"}));
  EXPECT_EQ(subdirectories("relinked",
                           [&] {
                             ASSERT_EQ(rmdir(Bytes("target").c_str()), 0);
                             MakeFile("target");
                           }),
            (std::vector<std::string>{"/relinked/sub"}));
  // Another folder put in its place.
  EXPECT_EQ(subdirectories("replaced",
                           [&] {
                             ASSERT_EQ(rename(Bytes("replaced").c_str(), Bytes("gone").c_str()), 0);
                             ASSERT_EQ(rename(Bytes("other").c_str(), Bytes("replaced").c_str()), 0);
                           }),
            (std::vector<std::string>{"/replaced/new sub"}));
  queries_.DirectoryWriteTime(tree_.Path(u"same"));
  EXPECT_LE(OpenDescriptors(), idle + 1);
}

// A walk enters each folder relative to the one it is reading; it must still
// stop where the folder's path grows too long for the system, as it would
// with the whole path.
TEST_F(PosixTree, WalkStopsWhereThePathGrowsTooLong) {
  const std::string part(200, 'd');
  constexpr int kLevels = 24;  // 24 * 201 bytes: past PATH_MAX
  std::vector<int> fds{open(Utf8(tree_.Root()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  for (int level = 0; level < kLevels; ++level) {
    ASSERT_EQ(mkdirat(fds.back(), part.c_str(), 0755), 0);
    fds.push_back(openat(fds.back(), part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_GE(fds.back(), 0);
  }
  MakeFile("file");
  const std::vector<Text> found = queries_.ListAllDirectories(tree_.Root());
  // A folder is searched while its path and the "/" after it stay below PATH_MAX bytes.
  size_t searchable = 0;
  for (size_t bytes = Utf8(tree_.Root()).size(); bytes + 1 < PATH_MAX; bytes += part.size() + 1) {
    ++searchable;
  }
  ASSERT_LT(searchable, static_cast<size_t>(kLevels));
  EXPECT_EQ(found.size(), searchable);
  EXPECT_EQ(queries_.ListFiles(tree_.Root()).size(), 1u);
  // Removed from the deepest up: no call takes paths this long.
  close(fds.back());
  fds.pop_back();
  while (!fds.empty()) {
    EXPECT_EQ(unlinkat(fds.back(), part.c_str(), AT_REMOVEDIR), 0);
    close(fds.back());
    fds.pop_back();
  }
}

TEST(PosixFileSystem, PathsErrorsAndTimes) {
  FileSystem& fs = SystemFileSystem();
  FileQueries q(fs);
  uint32_t error = 0;
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(Utf8(fs.FullPath(u"rel/x", error)), std::string(cwd) + "/rel/x");
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(fs.FullPath(u"/abs/../x", error), u"/abs/../x");
  // An empty path: nothing to make absolute, and the checks then name it.
  try {
    q.ListAllDirectories(u"");
    ADD_FAILURE() << "no failure";
  } catch (const FsError& e) {
    EXPECT_EQ(e.Kind(), FsErrorKind::InvalidPath);
  }
  // U+0000 is refused, not cut short.
  uint32_t attributes = 0;
  EXPECT_TRUE(fs.GetAttributes(u"/", attributes, error));
  EXPECT_FALSE(fs.GetAttributes(Text(u"/") + u'\0' + u"x", attributes, error));
  SearchEntry entry;
  EXPECT_FALSE(fs.FindEntry(Text(u"/etc") + u'\0' + u"x", entry));
  EXPECT_FALSE(fs.GetAttributes(u"/no/such/thing", attributes, error));
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_FALSE(fs.GetAttributes(u"/etc/hostname/x", attributes, error));
  EXPECT_EQ(error, kErrorPathNotFound);
  EXPECT_EQ(Utf8(fs.ErrorText(kErrorAccessDenied)), "Permission denied");
  EXPECT_EQ(Utf8(fs.ErrorText(kErrorFileNotFound)), "No such file or directory");

  CalendarFields f;
  ASSERT_TRUE(fs.FileTimeToLocalFields(kSampleTime + 1234567, f));  // TZ=UTC under ctest
  const char* tz = std::getenv("TZ");
  const std::string saved = tz ? tz : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  ASSERT_TRUE(fs.FileTimeToLocalFields(kSampleTime + 1234567, f));
  EXPECT_EQ(f.year, 2018);
  EXPECT_EQ(f.month, 12);
  EXPECT_EQ(f.day, 8);
  EXPECT_EQ(f.hour, 10);
  EXPECT_EQ(f.minute, 30);
  EXPECT_EQ(f.second, 0);
  EXPECT_EQ(f.millisecond, 123);
  EXPECT_EQ(f.dayOfWeek, 6);  // a Saturday
  EXPECT_FALSE(fs.FileTimeToLocalFields(1ULL << 63, f));
  // Past the end once the offset is added, as FileTimeToSystemTime has it.
  EXPECT_FALSE(fs.FileTimeToLocalFields((1ULL << 63) - 1, f));
  if (tz) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  ASSERT_TRUE(fs.FileTimeToLocalFields(0, f));
  EXPECT_EQ(f.year, 1601);
  EXPECT_THROW(q.FileTimeToLocalDateTime(2650467743999990000ULL + 10000), FsError);
}

}  // namespace
}  // namespace ostrivel
