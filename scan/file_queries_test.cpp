// The file-system queries on the in-memory file system: Windows path rules
// (as the Win32 build has them) and POSIX ones, every failure kind, links.

#include "scan/file_queries.h"

#include <gtest/gtest.h>

#include <optional>

#include "page/date_value.h"
#include "tests/fake_file_system.h"

namespace ostrivel {
namespace {

using testing::FakeFileSystem;
using testing::FakeNode;
using testing::FakeOp;

std::optional<FsErrorKind> KindOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const FsError& e) {
    return e.Kind();
  }
  return std::nullopt;
}

const char* KindName(std::optional<FsErrorKind> kind) {
  if (!kind) return "none";
  switch (*kind) {
    case FsErrorKind::SystemError:
      return "SystemError";
    case FsErrorKind::PathTooLong:
      return "PathTooLong";
    case FsErrorKind::PathFormatNotSupported:
      return "PathFormatNotSupported";
    case FsErrorKind::InvalidPath:
      return "InvalidPath";
    case FsErrorKind::PathNotFound:
      return "PathNotFound";
    case FsErrorKind::DateEncodeError:
      return "DateEncodeError";
  }
  return "?";
}

std::vector<std::string> Utf8All(const std::vector<Text>& texts) {
  std::vector<std::string> out;
  for (const Text& t : texts) out.push_back(Utf8(t));
  return out;
}

TEST(JoinPath, WindowsRules) {
  FakeFileSystem fs(PathStyle::Windows);
  FileQueries q(fs);
  const struct {
    const char* folder;
    const char* name;
    const char* joined;
  } rows[] = {
      {"D:\\data", "x", "D:\\data\\x"},
      {"D:\\data\\", "x", "D:\\data\\x"},
      {"D:/data", "x", "D:/data\\x"},
      {"D:/data/", "x", "D:/data/x"},
      {"C:\\", "x", "C:\\x"},
      {"C:", "x", "C:x"},
      {"", "x", "x"},
      {"D:\\data", "", "D:\\data"},
      {"D:\\data", "E:\\y", "E:\\y"},
      {"D:\\data", "e:", "e:"},
      {"D:\\data", "\\y", "\\y"},
      {"D:\\data", "/y", "/y"},
      {"D:\\data", "\\\\?\\C:\\y", "\\\\?\\C:\\y"},
      {"D:\\data", "ab:c", "D:\\data\\ab:c"},  // only a second character ":" roots a name
      {"rel", "x", "rel\\x"},
      {"D:\\data", "*", "D:\\data\\*"},
      {"D:\\data", "a?b*", "D:\\data\\a?b*"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.folder) + " + " + row.name);
    EXPECT_EQ(Utf8(q.JoinPath(U(row.folder), U(row.name))), row.joined);
  }
}

TEST(JoinPath, PosixRules) {
  FakeFileSystem fs(PathStyle::Posix);
  FileQueries q(fs);
  const struct {
    const char* folder;
    const char* name;
    const char* joined;
  } rows[] = {
      {"/data", "x", "/data/x"},
      {"/data/", "x", "/data/x"},
      {"/", "x", "/x"},
      {"", "x", "x"},
      {"/data", "", "/data"},
      {"/data", "/y", "/y"},
      {"/data", "C:x", "/data/C:x"},
      {"/data", "a\\b", "/data/a\\b"},
      {"D:", "x", "D:/x"},
      {"rel", "x", "rel/x"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.folder) + " + " + row.name);
    EXPECT_EQ(Utf8(q.JoinPath(U(row.folder), U(row.name))), row.joined);
  }
}

TEST(JoinPath, InvalidCharacterInName) {
  for (PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    FakeFileSystem fs(style);
    FileQueries q(fs);
    for (char16_t c : {u'\0', u'\x01', u'\t', u'\x1f', u'"', u'<', u'>', u'|'}) {
      SCOPED_TRACE(static_cast<int>(c));
      Text name = u"a";
      name += c;
      try {
        q.JoinPath(u"D:\\x", name);
        ADD_FAILURE() << "no failure";
      } catch (const FsError& e) {
        EXPECT_EQ(e.Kind(), FsErrorKind::InvalidPath);
        EXPECT_EQ(e.Message(), u"Invalid characters in path");
      }
    }
    // Not in the set: they pass.
    EXPECT_NO_THROW(q.JoinPath(u"x", u"*?:/\\ ,;=[]{}'`~!@#$%^&()+"));
  }
}

TEST(InvalidPathChar, TheSet) {
  int count = 0;
  for (int c = 0; c < 0x10000; ++c) {
    if (IsInvalidPathChar(static_cast<char16_t>(c))) ++count;
  }
  EXPECT_EQ(count, 36);
  for (char16_t c : {u'*', u'?', u':', u'/', u'\\', u' '}) EXPECT_FALSE(IsInvalidPathChar(c));
}

TEST(MakeInt64, Halves) {
  EXPECT_EQ(MakeInt64(1, 0), 4294967296);
  EXPECT_EQ(MakeInt64(0, 4294967295u), 4294967295);
  EXPECT_EQ(MakeInt64(0, 0), 0);
  EXPECT_EQ(MakeInt64(0x7fffffff, 0xffffffffu), INT64_MAX);
  EXPECT_EQ(MakeInt64(0xffffffffu, 0xffffffffu), -1);
}

// A folder of the given length (in units) below D:\, made in the fake.
Text PathOfLength(size_t length, const Text& start = u"D:\\") {
  Text path = start;
  while (path.size() < length) {
    const size_t room = length - path.size();
    if (room <= 100) {
      path += Text(room, u'p');
    } else {
      path += Text(99, u'p') + u"\\";
    }
  }
  return path;
}

TEST(CheckDirectoryPath, WindowsChecksInOrder) {
  FakeFileSystem fs(PathStyle::Windows);
  fs.AddDirectory(u"D:\\data");
  fs.AddFile(u"D:\\data\\file.txt");
  fs.AddLink(u"D:\\dirlink", u"D:\\data");
  fs.AddLink(u"D:\\dangling", u"D:\\gone").extraAttributes = kAttrDirectory;
  fs.AddLink(u"D:\\filelink", u"D:\\data\\file.txt");
  fs.AddDirectory(PathOfLength(247));
  fs.AddDirectory(u"D:\\a");
  FileQueries q(fs);
  using K = FsErrorKind;
  const struct {
    Text path;
    std::optional<K> kind;
  } rows[] = {
      {u"D:\\data", std::nullopt},
      {u"d:\\DATA\\", std::nullopt},
      {u"D:/data", std::nullopt},
      {u"\\\\?\\D:\\data", std::nullopt},
      {u"D:\\dirlink", std::nullopt},
      {PathOfLength(247), std::nullopt},
      {PathOfLength(248), K::PathTooLong},
      {u"\\\\?\\" + PathOfLength(300), K::PathNotFound},
      {u"\\\\?\\UNC\\" + PathOfLength(300, u""), K::PathNotFound},
      // The length check comes before everything else.
      {PathOfLength(248) + u":|", K::PathTooLong},
      {u"D:\\a:b", K::PathFormatNotSupported},
      {u":", K::PathFormatNotSupported},
      {u"1:\\x", K::PathFormatNotSupported},
      {u"\\\\?\\D:\\a", std::nullopt},
      {u"\\\\?\\D:\\a:b", K::PathFormatNotSupported},
      {u"\\\\?\\UNC\\D:x", K::PathNotFound},  // a drive colon right after the prefix passes
      {u"\\\\?\\UNC\\srv\\a:b", K::PathFormatNotSupported},
      {u"   :", K::PathFormatNotSupported},  // not blank: the colon check meets it first
      {u"D:\\a|b:c", K::PathFormatNotSupported},
      {u"", K::InvalidPath},
      {u"   ", K::InvalidPath},
      {u" \t\r\n", K::InvalidPath},
      {u"D:\\a\tb", K::InvalidPath},
      {u"D:\\a|b", K::InvalidPath},
      {u"D:\\a\"b", K::InvalidPath},
      {u"D:\\<a>", K::InvalidPath},
      {u"D:\\a*b", K::PathNotFound},  // '*' and '?' are no invalid characters
      {u"D:\\missing", K::PathNotFound},
      {u"Q:\\data", K::PathNotFound},
      {u"D:\\data\\file.txt", K::PathNotFound},
      {u"D:\\data\\file.txt\\x", K::PathNotFound},
      {u"D:\\dangling", K::PathNotFound},
      {u"D:\\filelink", K::PathNotFound},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.path));
    const auto kind = KindOf([&] { q.CheckDirectoryPath(row.path); });
    EXPECT_STREQ(KindName(kind), KindName(row.kind));
  }
}

TEST(CheckDirectoryPath, Messages) {
  FakeFileSystem fs;
  FileQueries q(fs);
  const struct {
    Text path;
    const char* message;
  } rows[] = {
      {PathOfLength(300), "The specified path is too long"},
      {u"D:\\a:b", "The path format is not supported"},
      {u"  ", "Invalid characters in path"},
      {u"D:\\nothing", "The specified path was not found"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    try {
      q.CheckDirectoryPath(row.path);
      ADD_FAILURE() << "no failure";
    } catch (const FsError& e) {
      EXPECT_EQ(Utf8(e.Message()), row.message);
    }
  }
}

TEST(CheckDirectoryPath, AttributeErrorsThatMeanNothingIsThere) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\data");
  FileQueries q(fs);
  const struct {
    uint32_t error;
    bool exists;
  } rows[] = {
      {kErrorFileNotFound, false},
      {kErrorPathNotFound, false},
      {kErrorNotReady, false},
      {kErrorBadNetPath, false},
      {kErrorBadNetName, false},
      {kErrorInvalidName, false},
      {kErrorBadPathname, false},
      {kErrorAccessDenied, true},
      {kErrorSharingViolation, true},
      {kErrorFilenameExcedRange, true},
      {1, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    fs.ClearFailures();
    // Even a path with nothing there counts as existing for "other" errors.
    fs.Fail(FakeOp::GetAttributes, u"D:\\missing", row.error);
    const auto kind = KindOf([&] { q.CheckDirectoryPath(u"D:\\missing"); });
    EXPECT_STREQ(KindName(kind), row.exists ? "none" : "PathNotFound");
  }
}

TEST(CheckDirectoryPath, LinkIsOpenedOnlyWhenItIsOne) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\data");
  fs.AddLink(u"D:\\link", u"D:\\data");
  FileQueries q(fs);
  q.CheckDirectoryPath(u"D:\\data");
  EXPECT_EQ(fs.CallCount(FakeOp::OpenFollowingLinks), 0);
  q.CheckDirectoryPath(u"D:\\link");
  EXPECT_EQ(fs.CallCount(FakeOp::OpenFollowingLinks, u"D:\\link"), 1);
  // A link whose open fails counts as missing.
  fs.Fail(FakeOp::OpenFollowingLinks, u"D:\\link", kErrorAccessDenied);
  EXPECT_STREQ(KindName(KindOf([&] { q.CheckDirectoryPath(u"D:\\link"); })), "PathNotFound");
}

TEST(CheckDirectoryPath, PosixRules) {
  FakeFileSystem fs(PathStyle::Posix);
  fs.AddDirectory(u"/data");
  fs.AddFile(u"/data/file");
  fs.AddDirectory(u"/a:b");
  FileQueries q(fs);
  Text long4095 = u"/";
  while (long4095.size() < 4095) long4095 += u"q";
  Text long4096 = long4095 + u"q";
  // U+00E9 is two bytes: the limit counts what the system gets.
  Text longBytes = long4095.substr(0, 4094) + u"\u00e9";
  using K = FsErrorKind;
  const struct {
    Text path;
    std::optional<K> kind;
  } rows[] = {
      {u"/data", std::nullopt},
      {u"/data/", std::nullopt},
      {u"/a:b", std::nullopt},        // no colon rule
      {u"C:\\x:y", K::PathNotFound},  // "\" and ":" are plain characters
      {u"/DATA", K::PathNotFound},    // names are case-sensitive
      {long4095, K::PathNotFound},
      {long4096, K::PathTooLong},
      {longBytes, K::PathTooLong},
      {u"\\\\?\\" + long4096, K::PathTooLong},  // no long-path prefix
      {u"", K::InvalidPath},
      {u"  ", K::InvalidPath},
      {u"/da|ta", K::InvalidPath},
      {u"/data/file", K::PathNotFound},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.path).substr(0, 40));
    const auto kind = KindOf([&] { q.CheckDirectoryPath(row.path); });
    EXPECT_STREQ(KindName(kind), KindName(row.kind));
  }
}

// The tree of the worked catalogue example, with a few files.
void AddExampleTree(FakeFileSystem& fs) {
  fs.AddDirectory(u"D:\\data");
  fs.AddDirectory(u"D:\\data\\b");
  fs.AddFile(u"D:\\data\\one.txt", 1);
  fs.AddDirectory(u"D:\\data\\Ab");
  fs.AddDirectory(u"D:\\data\\A\\c");
  fs.AddFile(u"D:\\data\\A\\two.txt", 2);
  fs.AddDirectory(u"D:\\data\\9");
  fs.AddDirectory(u"D:\\data\\10");
  fs.AddFile(u"D:\\data\\three.txt", 3);
}

TEST(Listings, DepthFirstPreOrderInSearchOrder) {
  FakeFileSystem fs;
  AddExampleTree(fs);
  FileQueries q(fs);
  EXPECT_EQ(Utf8All(q.ListAllDirectories(u"D:\\data")),
            (std::vector<std::string>{"D:\\data\\b", "D:\\data\\Ab", "D:\\data\\A",
                                      "D:\\data\\A\\c", "D:\\data\\9", "D:\\data\\10"}));
  EXPECT_EQ(Utf8All(q.ListSubdirectories(u"D:\\data")),
            (std::vector<std::string>{"D:\\data\\b", "D:\\data\\Ab", "D:\\data\\A", "D:\\data\\9",
                                      "D:\\data\\10"}));
  EXPECT_EQ(Utf8All(q.ListFiles(u"D:\\data")),
            (std::vector<std::string>{"D:\\data\\one.txt", "D:\\data\\three.txt"}));
  EXPECT_EQ(Utf8All(q.ListFiles(u"D:\\data\\A")),
            (std::vector<std::string>{"D:\\data\\A\\two.txt"}));
  EXPECT_TRUE(q.ListFiles(u"D:\\data\\b").empty());
  EXPECT_TRUE(q.ListAllDirectories(u"D:\\data\\A\\c").empty());
  EXPECT_EQ(fs.OpenSearches(), 0);
  EXPECT_EQ(fs.MaxOpenSearches(), 3);  // one per level the walk is inside
  // Nothing but searches during the walk itself.
  fs.ClearCalls();
  q.ListAllDirectories(u"D:\\data");
  for (const auto& call : fs.Calls()) {
    SCOPED_TRACE(Utf8(call.path));
    EXPECT_TRUE(call.op == FakeOp::SearchFolder || call.op == FakeOp::SearchNext ||
                call.op == FakeOp::FullPath || call.op == FakeOp::GetAttributes);
  }
}

TEST(Listings, ResultsBeginWithTheFolderAsGiven) {
  FakeFileSystem fs;
  AddExampleTree(fs);
  fs.AddDirectory(u"C:\\Windows");
  fs.AddDirectory(u"C:\\work\\x");
  fs.SetCurrentDirectory(u"C:\\work");
  FileQueries q(fs);
  const struct {
    const char* folder;
    const char* first;
  } rows[] = {
      {"D:\\data", "D:\\data\\b"}, {"D:\\data\\", "D:\\data\\b"},
      {"D:/data", "D:/data\\b"},   {"d:\\DATA", "d:\\DATA\\b"},
      {"C:\\", "C:\\Windows"},     {"C:", "C:x"},
      {"x\\..", "x\\..\\x"},       {"\\\\?\\D:\\data", "\\\\?\\D:\\data\\b"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder);
    const auto subdirectories = q.ListSubdirectories(U(row.folder));
    ASSERT_FALSE(subdirectories.empty());
    EXPECT_EQ(Utf8(subdirectories[0]), row.first);
    EXPECT_EQ(Utf8(q.ListAllDirectories(U(row.folder))[0]), row.first);
  }
  // A relative folder gives relative paths.
  EXPECT_EQ(Utf8All(q.ListAllDirectories(u"x")), std::vector<std::string>{});
  fs.AddDirectory(u"C:\\work\\x\\y");
  EXPECT_EQ(Utf8All(q.ListAllDirectories(u"x")), std::vector<std::string>{"x\\y"});
}

TEST(Listings, DotEntriesNeverAppearAndNothingIsSkippedForItsAttributes) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\t\\hidden").extraAttributes = 0x2 | 0x4;  // hidden, system
  fs.AddFile(u"D:\\t\\ro.txt").extraAttributes = 0x1;
  fs.AddLink(u"D:\\t\\filelink", u"D:\\t\\ro.txt");
  fs.AddLink(u"D:\\t\\dangling", u"D:\\t\\gone");
  fs.AddDirectory(u"D:\\elsewhere\\inside");
  fs.AddLink(u"D:\\t\\dirlink", u"D:\\elsewhere");
  FileQueries q(fs);
  EXPECT_EQ(
      Utf8All(q.ListAllDirectories(u"D:\\t")),
      (std::vector<std::string>{"D:\\t\\hidden", "D:\\t\\dirlink", "D:\\t\\dirlink\\inside"}));
  EXPECT_EQ(Utf8All(q.ListFiles(u"D:\\t")),
            (std::vector<std::string>{"D:\\t\\ro.txt", "D:\\t\\filelink", "D:\\t\\dangling"}));
  for (const auto& p : q.ListAllDirectories(u"D:\\t\\hidden")) ADD_FAILURE() << Utf8(p);
}

TEST(Listings, Failures) {
  FakeFileSystem fs;
  AddExampleTree(fs);
  fs.AddLink(u"D:\\dangling", u"D:\\gone");
  FileQueries q(fs);
  using K = FsErrorKind;
  const struct {
    Text path;
    K kind;
  } rows[] = {
      {u"", K::SystemError},  // the platform refuses to make it absolute
      {u"   ", K::InvalidPath},
      {PathOfLength(248), K::PathTooLong},
      {u"D:\\data:x", K::PathFormatNotSupported},
      {u"D:\\da|ta", K::InvalidPath},
      {u"D:\\da\tta", K::InvalidPath},
      {u"D:\\nothing", K::PathNotFound},
      {u"D:\\data\\one.txt", K::PathNotFound},
      {u"D:\\dangling", K::PathNotFound},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.path).substr(0, 40));
    EXPECT_STREQ(KindName(KindOf([&] { q.ListAllDirectories(row.path); })), KindName(row.kind));
    EXPECT_STREQ(KindName(KindOf([&] { q.ListSubdirectories(row.path); })), KindName(row.kind));
    EXPECT_STREQ(KindName(KindOf([&] { q.ListFiles(row.path); })), KindName(row.kind));
  }
  EXPECT_EQ(fs.OpenSearches(), 0);
}

TEST(Listings, AbsoluteFormErrorTest) {
  FakeFileSystem fs;
  AddExampleTree(fs);
  FileQueries q(fs);
  fs.Fail(FakeOp::FullPath, u"D:\\data", kErrorAccessDenied);
  try {
    q.ListAllDirectories(u"D:\\data");
    ADD_FAILURE() << "no failure";
  } catch (const FsError& e) {
    EXPECT_EQ(e.Kind(), FsErrorKind::SystemError);
    EXPECT_EQ(e.Message(), u"Fake error 5");
  }
  // ERROR_FILE_NOT_FOUND left behind is no failure.
  fs.Fail(FakeOp::FullPath, u"D:\\data", kErrorFileNotFound);
  EXPECT_EQ(q.ListAllDirectories(u"D:\\data").size(), 6u);
  EXPECT_EQ(q.ListSubdirectories(u"D:\\data").size(), 5u);
  // ListFiles checks the absolute form, which is now empty.
  EXPECT_STREQ(KindName(KindOf([&] { q.ListFiles(u"D:\\data"); })), "InvalidPath");
}

TEST(Listings, FilesCheckTheAbsoluteFormDirectoriesTheGivenOne) {
  FakeFileSystem fs;
  // A relative folder whose absolute form is 248 units long.
  const Text absolute = PathOfLength(248, u"C:\\");
  fs.AddDirectory(absolute);
  fs.AddFile(absolute + u"\\f");
  const size_t cut = absolute.rfind(u'\\');
  fs.SetCurrentDirectory(absolute.substr(0, cut));
  const Text relative = absolute.substr(cut + 1);
  FileQueries q(fs);
  EXPECT_NO_THROW(q.ListSubdirectories(relative));
  EXPECT_STREQ(KindName(KindOf([&] { q.ListFiles(relative); })), "PathTooLong");
}

TEST(Listings, FoldersThatCannotBeSearched) {
  FakeFileSystem fs;
  AddExampleTree(fs);
  fs.AddDirectory(u"D:\\data\\A\\c\\deep");
  fs.AddDirectory(u"D:\\denied\\x");
  fs.Node(u"D:\\denied")->denySearch = true;
  fs.Node(u"D:\\data\\A")->denySearch = true;
  FileQueries q(fs);
  // The top folder refuses: an empty list, no failure.
  EXPECT_TRUE(q.ListAllDirectories(u"D:\\denied").empty());
  EXPECT_TRUE(q.ListFiles(u"D:\\denied").empty());
  // A subfolder refuses: it is listed, its contents are missing.
  EXPECT_EQ(Utf8All(q.ListAllDirectories(u"D:\\data")),
            (std::vector<std::string>{"D:\\data\\b", "D:\\data\\Ab", "D:\\data\\A", "D:\\data\\9",
                                      "D:\\data\\10"}));
  // The search fails part-way: what came before stays.
  fs.Node(u"D:\\data\\A")->denySearch = false;
  fs.Fail(FakeOp::SearchNext, u"D:\\data\\A\\*", kErrorAccessDenied);
  EXPECT_EQ(Utf8All(q.ListSubdirectories(u"D:\\data\\A")), std::vector<std::string>{});
  fs.ClearFailures();
  fs.Fail(FakeOp::SearchNext, u"D:\\data\\*", kErrorAccessDenied);
  // "." of D:\data came first, and nothing after it.
  EXPECT_TRUE(q.ListAllDirectories(u"D:\\data").empty());
}

TEST(Listings, DeepTreeStopsWhereThePlatformRefusesTheSearch) {
  FakeFileSystem fs;
  Text path = u"D:\\deep";
  fs.AddDirectory(path);
  std::vector<Text> expected;
  while (path.size() < 320) {
    path += u"\\0123456789";
    fs.AddDirectory(path);
    if (path.size() + 2 < 260) expected.push_back(path);  // its search "path\*" still fits
  }
  FileQueries q(fs);
  const auto all = q.ListAllDirectories(u"D:\\deep");
  // Paths of 248 units and more are listed like any other, down to the level
  // below the last folder the platform still searches.
  ASSERT_EQ(all.size(), expected.size() + 1);
  EXPECT_GE(all.back().size(), 248u);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(all[i], expected[i]);
}

// Mended: a name that cannot be a part of a path leaves out that one entry and
// what is below it; the rest of the listing stays.
TEST(Listings, EntriesWithNamesThatCannotBeJoinedAreLeftOut) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\t\\before");
  fs.AddDirectory(u"D:\\t\\bad|dir\\below");
  fs.AddDirectory(u"D:\\t\\ctrl\x01");
  fs.AddDirectory(u"D:\\t\\deeper\\q\"uote");
  fs.AddDirectory(u"D:\\t\\deeper\\fine");
  fs.AddFile(u"D:\\t\\bad<file>.txt");
  fs.AddFile(u"D:\\t\\good.txt");
  fs.AddDirectory(u"D:\\t\\after");
  // Wine reports Linux names verbatim: one with a separator or a drive colon
  // would be joined into a different path (or a rooted one).
  fs.Node(u"D:\\t\\before")->children.push_back(std::make_unique<FakeNode>());
  FakeNode& sneaky = *fs.Node(u"D:\\t\\before")->children.back();
  sneaky.kind = FakeNode::Kind::Directory;
  sneaky.name = u"..\\..";
  for (const char16_t* odd : {u"\\rooted", u"c:x", u"a/b"}) {
    fs.Node(u"D:\\t\\after")->children.push_back(std::make_unique<FakeNode>());
    fs.Node(u"D:\\t\\after")->children.back()->kind = FakeNode::Kind::Directory;
    fs.Node(u"D:\\t\\after")->children.back()->name = odd;
  }
  FileQueries q(fs);
  EXPECT_EQ(Utf8All(q.ListAllDirectories(u"D:\\t")),
            (std::vector<std::string>{"D:\\t\\before", "D:\\t\\deeper", "D:\\t\\deeper\\fine",
                                      "D:\\t\\after"}));
  EXPECT_EQ(Utf8All(q.ListFiles(u"D:\\t")), std::vector<std::string>{"D:\\t\\good.txt"});
  EXPECT_EQ(Utf8All(q.ListSubdirectories(u"D:\\t")),
            (std::vector<std::string>{"D:\\t\\before", "D:\\t\\deeper", "D:\\t\\after"}));
  EXPECT_EQ(fs.CallCount(FakeOp::SearchFolder, u"D:\\t\\bad|dir\\*"), 0);
}

TEST(Listings, PosixStyle) {
  FakeFileSystem fs(PathStyle::Posix);
  fs.AddDirectory(u"/data/b");
  fs.AddDirectory(u"/data/A/c");
  fs.AddDirectory(u"/data/back\\slash");
  fs.AddDirectory(u"/data/co:lon");
  fs.AddFile(u"/data/f");
  fs.AddDirectory(u"/work/x");
  fs.SetCurrentDirectory(u"/work");
  FileQueries q(fs);
  EXPECT_EQ(Utf8All(q.ListAllDirectories(u"/data")),
            (std::vector<std::string>{"/data/b", "/data/A", "/data/A/c", "/data/back\\slash",
                                      "/data/co:lon"}));
  EXPECT_EQ(Utf8All(q.ListSubdirectories(u"/data/")),
            (std::vector<std::string>{"/data/b", "/data/A", "/data/back\\slash", "/data/co:lon"}));
  EXPECT_EQ(Utf8All(q.ListFiles(u"/data")), std::vector<std::string>{"/data/f"});
  EXPECT_EQ(q.ListAllDirectories(u"/").size(), 8u);
  EXPECT_EQ(Utf8(q.ListAllDirectories(u"/")[0]), "/data");
  EXPECT_EQ(Utf8All(q.ListSubdirectories(u".")), std::vector<std::string>{"./x"});
  EXPECT_EQ(Utf8All(q.ListSubdirectories(u"x/..")), std::vector<std::string>{"x/../x"});
}

TEST(Listings, FailureInsideTheWalkClosesEverySearch) {
  FakeFileSystem fs;
  AddExampleTree(fs);
  FileQueries q(fs);
  fs.beforeCall = [](FakeOp op, const Text& path) {
    if (op == FakeOp::SearchFolder && path == u"D:\\data\\A\\c\\*") throw std::runtime_error("x");
  };
  EXPECT_THROW(q.ListAllDirectories(u"D:\\data"), std::runtime_error);
  EXPECT_EQ(fs.OpenSearches(), 0);
}

// Mended: a directory link back to its own folder or above is reported but not entered.
TEST(DirectoryLinks, LinksUpwardAreListedButNotEntered) {
  for (bool searchReportsIds : {false, true}) {
    SCOPED_TRACE(searchReportsIds ? "ids from the search" : "ids asked for");
    FakeFileSystem fs;
    fs.SetSearchReportsIds(searchReportsIds);
    fs.AddDirectory(u"D:\\top\\root\\sub\\leaf");
    fs.AddLink(u"D:\\top\\root\\sub\\self", u"D:\\top\\root\\sub");
    fs.AddLink(u"D:\\top\\root\\sub\\parent", u"D:\\top\\root");
    fs.AddLink(u"D:\\top\\root\\sub\\above", u"D:\\top");
    fs.AddLink(u"D:\\top\\root\\sub\\drive", u"D:\\");
    fs.AddDirectory(u"D:\\top\\other\\o");
    fs.AddLink(u"D:\\top\\root\\sideways", u"D:\\top\\other");
    fs.AddLink(u"D:\\top\\root\\down", u"D:\\top\\root\\sub\\leaf");
    // Above a link's target, though not above anything the walk went through.
    fs.AddDirectory(u"D:\\x\\y\\o");
    fs.AddLink(u"D:\\top\\root\\far", u"D:\\x\\y");
    fs.AddLink(u"D:\\x\\y\\o\\out", u"D:\\x");
    FileQueries q(fs);
    EXPECT_EQ(
        Utf8All(q.ListAllDirectories(u"D:\\top\\root")),
        (std::vector<std::string>{
            "D:\\top\\root\\sub", "D:\\top\\root\\sub\\leaf", "D:\\top\\root\\sub\\self",
            "D:\\top\\root\\sub\\parent", "D:\\top\\root\\sub\\above", "D:\\top\\root\\sub\\drive",
            "D:\\top\\root\\sideways", "D:\\top\\root\\sideways\\o", "D:\\top\\root\\down",
            "D:\\top\\root\\far", "D:\\top\\root\\far\\o", "D:\\top\\root\\far\\o\\out"}));
    EXPECT_EQ(fs.OpenSearches(), 0);
    if (searchReportsIds) {
      // Only the walk's start is asked; every other identity came with the search.
      EXPECT_EQ(fs.CallCount(FakeOp::Identity, u"D:\\top\\root"), 1);
      EXPECT_EQ(fs.CallCount(FakeOp::Identity, u"D:\\top\\root\\sub"), 0);
    } else {
      // Each folder on the way is asked once, only after a link is met; plain
      // directories that hold no link are never asked.
      EXPECT_EQ(fs.CallCount(FakeOp::Identity, u"D:\\top\\root\\sub"), 1);
      EXPECT_EQ(fs.CallCount(FakeOp::Identity, u"D:\\top\\root\\sub\\leaf"), 0);
      EXPECT_EQ(fs.CallCount(FakeOp::Identity, u"D:\\top\\root\\sub\\self"), 1);
    }
  }
}

TEST(DirectoryLinks, ManyLinksUpwardInOneFolderStayLinear) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\r\\a\\b");
  for (int i = 0; i < 8; ++i) {
    fs.AddLink(u"D:\\r\\a\\b\\up" + Decimal(i), i % 2 ? u"D:\\r\\a" : u"D:\\r");
  }
  FileQueries q(fs);
  EXPECT_EQ(q.ListAllDirectories(u"D:\\r").size(), 10u);
  EXPECT_EQ(fs.CallCount(FakeOp::SearchFolder), 3);
}

TEST(DirectoryLinks, StartReachedThroughALinkAndIdentityFailures) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\real\\inner\\x");
  fs.AddLink(u"D:\\real\\inner\\x\\toReal", u"D:\\real");
  fs.AddLink(u"C:\\alias", u"D:\\real\\inner");
  fs.AddLink(u"D:\\real\\inner\\x\\unknown", u"D:\\real\\inner\\x");
  fs.Fail(FakeOp::Identity, u"C:\\alias\\x\\unknown");
  FileQueries q(fs);
  // D:\real is above the start's final path, though not above C:\alias.
  // A link whose identity cannot be read is not entered either.
  EXPECT_EQ(
      Utf8All(q.ListAllDirectories(u"C:\\alias")),
      (std::vector<std::string>{"C:\\alias\\x", "C:\\alias\\x\\toReal", "C:\\alias\\x\\unknown"}));
}

TEST(LookUpFile, Entries) {
  FakeFileSystem fs;
  fs.AddFile(u"D:\\data\\Big.bin", 5000000000ULL, 123456789);
  fs.AddLink(u"D:\\data\\link", u"D:\\data\\Big.bin", 42);
  fs.AddFile(u"D:\\data\\ghost.txt").ghost = true;
  fs.AddDirectory(u"D:\\data\\dir", 77);
  fs.SetCurrentDirectory(u"D:\\data");
  FileQueries q(fs);
  FileEntry e;
  ASSERT_TRUE(q.LookUpFile(u"D:\\data\\big.BIN", e));
  EXPECT_EQ(e.Name, u"Big.bin");  // the name as the search reports it
  EXPECT_EQ(e.Size, 5000000000LL);
  EXPECT_EQ(e.WriteTime, 123456789u);
  ASSERT_TRUE(q.LookUpFile(u"Big.bin", e));  // made absolute first
  EXPECT_EQ(fs.CallCount(FakeOp::FindEntry, u"D:\\data\\Big.bin"), 1);
  ASSERT_TRUE(q.LookUpFile(u"D:\\data\\link", e));  // the link's own entry
  EXPECT_EQ(e.Name, u"link");
  EXPECT_EQ(e.Size, 0);
  EXPECT_EQ(e.WriteTime, 42u);
  ASSERT_TRUE(q.LookUpFile(u"D:\\data\\dir", e));
  EXPECT_EQ(e.WriteTime, 77u);
  // Listed, but gone when looked up.
  EXPECT_EQ(q.ListFiles(u"D:\\data").size(), 3u);
  EXPECT_FALSE(q.LookUpFile(u"D:\\data\\ghost.txt", e));
  EXPECT_FALSE(q.LookUpFile(u"D:\\data\\missing", e));
  EXPECT_FALSE(q.LookUpFile(u"", e));
  EXPECT_FALSE(q.LookUpFile(PathOfLength(300), e));
  // No error test of its own: a failing absolute form only means not found.
  fs.Fail(FakeOp::FullPath, u"D:\\data\\Big.bin", kErrorAccessDenied);
  EXPECT_NO_THROW(EXPECT_FALSE(q.LookUpFile(u"D:\\data\\Big.bin", e)));
}

TEST(LookUpFile, ThousandsOfLookupsLeaveNoSearchOpen) {
  FakeFileSystem fs;
  for (int i = 0; i < 2000; ++i) fs.AddFile(u"D:\\many\\f" + Decimal(i), i);
  FileQueries q(fs);
  int found = 0;
  for (const Text& path : q.ListFiles(u"D:\\many")) {
    FileEntry e;
    if (q.LookUpFile(path, e)) ++found;
  }
  EXPECT_EQ(found, 2000);
  EXPECT_EQ(fs.OpenSearches(), 0);
}

// 2018-12-08 09:30:00.250 UTC.
constexpr uint64_t kSampleTime = testing::kFakeDefaultTime + 2500000;

TEST(DirectoryWriteTime, PlainDirectoryAndLinks) {
  FakeFileSystem fs;
  fs.SetLocalOffsetMinutes(90);
  fs.AddDirectory(u"D:\\data", kSampleTime);
  fs.AddDirectory(u"D:\\target", kSampleTime + 36000000000ULL);  // an hour later
  fs.AddLink(u"D:\\link", u"D:\\target", 5);
  fs.AddLink(u"D:\\dangling", u"D:\\gone", 5).extraAttributes = kAttrDirectory;
  FileQueries q(fs);
  const double expected = DateFromParts(2018, 12, 8) + TimeFromParts(11, 0, 0, 250);
  EXPECT_DOUBLE_EQ(q.DirectoryWriteTime(u"D:\\data"), expected);
  EXPECT_DOUBLE_EQ(q.DirectoryWriteTime(u"D:\\link"),
                   DateFromParts(2018, 12, 8) + TimeFromParts(12, 0, 0, 250));
  EXPECT_STREQ(KindName(KindOf([&] { q.DirectoryWriteTime(u"D:\\dangling"); })), "PathNotFound");
  EXPECT_EQ(fs.CallCount(FakeOp::ExamineVolume), 1);
}

TEST(DirectoryWriteTime, FailuresAndFallbacks) {
  FakeFileSystem fs;
  fs.AddDirectory(u"D:\\data", kSampleTime);
  fs.AddFile(u"D:\\data\\f");
  fs.AddDirectory(u"D:\\target", kSampleTime);
  fs.AddLink(u"D:\\link", u"D:\\target");
  FileQueries q(fs);
  using K = FsErrorKind;
  const struct {
    Text path;
    K kind;
  } failures[] = {
      {u"", K::InvalidPath},
      {u"   ", K::InvalidPath},
      {u"D:\\a\tb", K::InvalidPath},
      {u"D:\\a|b", K::InvalidPath},
      {PathOfLength(248), K::PathTooLong},
      {u"D:\\a:b", K::PathFormatNotSupported},
      {u"D:\\nothing", K::PathNotFound},
      {u"D:\\data\\f", K::PathNotFound},
  };
  for (const auto& row : failures) {
    SCOPED_TRACE(Utf8(row.path).substr(0, 40));
    EXPECT_STREQ(KindName(KindOf([&] { q.DirectoryWriteTime(row.path); })), KindName(row.kind));
  }

  // Attribute data that cannot be read after the checks passed.
  fs.Fail(FakeOp::GetAttributeData, u"D:\\data");
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\data"), 0.0);
  // The checks count "access denied" as existing, and the time then falls back.
  fs.Fail(FakeOp::GetAttributes, u"D:\\data");
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\data"), 0.0);
  fs.ClearFailures();
  // A conversion that fails, and a local date past 9999: 0.0, nothing raised.
  fs.FailTimeConversion(kSampleTime);
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\data"), 0.0);
  fs.ClearFailures();
  fs.Node(u"D:\\data")->writeTime = (1ULL << 63) - 1;
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\data"), 0.0);
  fs.Node(u"D:\\data")->writeTime = 0;  // 1601-01-01
  EXPECT_DOUBLE_EQ(q.DirectoryWriteTime(u"D:\\data"), DateFromParts(1601, 1, 1));

  // Links: the target cannot be resolved, or its data read.
  EXPECT_NE(q.DirectoryWriteTime(u"D:\\link"), 0.0);
  fs.Fail(FakeOp::FinalPath, u"D:\\link");
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\link"), 0.0);
  fs.ClearFailures();
  fs.Fail(FakeOp::GetAttributeData, u"D:\\target");
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\link"), 0.0);
  fs.ClearFailures();
  fs.SetVolumeCheck(VolumeCheck::NoReparsePoints);
  EXPECT_EQ(q.DirectoryWriteTime(u"D:\\link"), 0.0);
  fs.SetVolumeCheck(VolumeCheck::CannotExamine, 21);
  try {
    q.DirectoryWriteTime(u"D:\\link");
    ADD_FAILURE() << "no failure";
  } catch (const FsError& e) {
    EXPECT_EQ(e.Kind(), FsErrorKind::SystemError);
    EXPECT_EQ(Utf8(e.Message()), "System Error.  Code: 21.\r\nFake error 21");
  }
  // A plain directory never asks about the volume.
  EXPECT_NE(q.DirectoryWriteTime(u"D:\\data"), 0.0);
}

TEST(FileTimeToLocalDateTime, Conversions) {
  FakeFileSystem fs;
  FileQueries q(fs);
  // 9999-12-31 23:59:59.999 UTC and the next millisecond.
  constexpr uint64_t kLast = 2650467743999990000ULL;
  const struct {
    const char* name;
    uint64_t fileTime;
    int offsetMinutes;
    double expected;
  } rows[] = {
      {"sample", kSampleTime, 0, DateFromParts(2018, 12, 8) + TimeFromParts(9, 30, 0, 250)},
      {"sample, UTC+1", kSampleTime, 60,
       DateFromParts(2018, 12, 8) + TimeFromParts(10, 30, 0, 250)},
      {"sample, UTC-10", kSampleTime, -600,
       DateFromParts(2018, 12, 7) + TimeFromParts(23, 30, 0, 250)},
      // Before 1899-12-30 the fraction is subtracted.
      {"1601", 0, 0, DateFromParts(1601, 1, 1)},
      {"1601 noon", 432000000000ULL, 0, DateFromParts(1601, 1, 1) - 0.5},
      {"last", kLast, 0, DateFromParts(9999, 12, 31) + TimeFromParts(23, 59, 59, 999)},
      {"sub-millisecond dropped", kSampleTime + 9999, 0,
       DateFromParts(2018, 12, 8) + TimeFromParts(9, 30, 0, 250)},
      {"rejected by the platform", 1ULL << 63, 0, 2.0},
      {"rejected after the offset", (1ULL << 63) - 1, 60, 2.0},
      {"before 1601 after the offset", 0, -60, 2.0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs.SetLocalOffsetMinutes(row.offsetMinutes);
    EXPECT_DOUBLE_EQ(q.FileTimeToLocalDateTime(row.fileTime), row.expected);
  }
  fs.SetLocalOffsetMinutes(0);
  fs.FailTimeConversion(kSampleTime);
  EXPECT_EQ(q.FileTimeToLocalDateTime(kSampleTime), 2.0);
  for (uint64_t t : {kLast + 10000ULL, (1ULL << 63) - 1}) {
    try {
      q.FileTimeToLocalDateTime(t);
      ADD_FAILURE() << "no failure for " << t;
    } catch (const FsError& e) {
      EXPECT_EQ(e.Kind(), FsErrorKind::DateEncodeError);
      EXPECT_EQ(Utf8(e.Message()), "Invalid argument to date encode");
    }
  }
}

}  // namespace
}  // namespace ostrivel
