// The queries and the catalogue on the system's own back end (POSIX natively,
// Win32 under Wine), on real temporary trees.

#include <gtest/gtest.h>

#include "page/date_value.h"
#include "scan/catalogue.h"
#include "scan/file_queries.h"
#include "tests/temp_tree.h"

namespace ostrivel {
namespace {

using testing::TempTree;

// 2018-12-08 09:30:00 UTC (the tests run with TZ=UTC).
constexpr uint64_t kSampleTime = 131887350000000000ULL;

class RealTree : public ::testing::Test {
 protected:
  RealTree() : queries_(SystemFileSystem()), collation_(MakeUserCollation()) {}

  std::vector<std::string> Relative(const std::vector<Text>& paths) const {
    std::vector<std::string> out;
    for (const Text& p : paths) {
      EXPECT_EQ(p.substr(0, tree_.Root().size()), tree_.Root());
      out.push_back(Utf8(p.substr(std::min(p.size(), tree_.Root().size()))));
    }
    return out;
  }
  std::string S(const char* relative) const {
    std::string s = relative;
    for (char& c : s) {
      if (c == '/') c = static_cast<char>(tree_.Separator());
    }
    return s;
  }

  TempTree tree_;
  FileQueries queries_;
  std::unique_ptr<Collation> collation_;
};

TEST_F(RealTree, WorkedCatalogueExample) {
  for (const char16_t* d : {u"data/b", u"data/Ab", u"data/A/c", u"data/9", u"data/10"})
    tree_.Dir(d);
  tree_.File(u"data/A/file.txt", 3);
  const Text root = tree_.Path(u"data");
  StringList dirList;
  dirList.Add(root);
  CollectDirectories(root, dirList, queries_, *collation_);
  EXPECT_EQ(Relative(dirList.Lines()),
            (std::vector<std::string>{S("/data"), S("/data/10"), S("/data/9"), S("/data/A"),
                                      S("/data/A/c"), S("/data/Ab"), S("/data/b")}));
  // A trailing separator: one separator in every entry.
  dirList.Clear();
  dirList.Add(root + tree_.Separator());
  CollectDirectories(root + tree_.Separator(), dirList, queries_, *collation_);
  ASSERT_EQ(dirList.Count(), 7);
  EXPECT_EQ(Utf8(dirList[0]), Utf8(root) + S("/"));
  EXPECT_EQ(Utf8(dirList[1]), Utf8(root) + S("/10"));
  // Every subdirectory listing is found in the catalogue under the same text.
  for (int32_t k = 0; k < dirList.Count(); ++k) {
    for (const Text& sub : queries_.ListSubdirectories(dirList[k])) {
      int32_t index = -1;
      EXPECT_TRUE(FindByName(dirList, sub, *collation_, index)) << Utf8(sub);
      EXPECT_EQ(dirList[index], sub);
    }
  }
}

TEST_F(RealTree, ListingsAndLookUp) {
  tree_.Dir(u"t/sub/deeper");
  tree_.File(u"t/small.txt", 5);
  tree_.File(u"t/empty", 0);
  tree_.File(u"t/sub/inner.txt", 1);
  tree_.SetWriteTime(u"t/small.txt", kSampleTime);
  const Text t = tree_.Path(u"t");
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(Relative(queries_.ListAllDirectories(t))),
            (std::vector<std::string>{S("/t/sub"), S("/t/sub/deeper")}));
  EXPECT_EQ(Relative(queries_.ListSubdirectories(t)), std::vector<std::string>{S("/t/sub")});
  EXPECT_EQ(sorted(Relative(queries_.ListFiles(t))),
            (std::vector<std::string>{S("/t/empty"), S("/t/small.txt")}));
  EXPECT_TRUE(queries_.ListFiles(tree_.Path(u"t/sub/deeper")).empty());

  FileEntry e;
  ASSERT_TRUE(queries_.LookUpFile(tree_.Path(u"t/small.txt"), e));
  EXPECT_EQ(e.Name, u"small.txt");
  EXPECT_EQ(e.Size, 5);
  EXPECT_EQ(e.WriteTime, kSampleTime);
  EXPECT_DOUBLE_EQ(queries_.FileTimeToLocalDateTime(e.WriteTime),
                   DateFromParts(2018, 12, 8) + TimeFromParts(9, 30, 0, 0));
  EXPECT_FALSE(queries_.LookUpFile(tree_.Path(u"t/missing.txt"), e));
  EXPECT_FALSE(queries_.LookUpFile(u"", e));
  // Deleted after it was listed.
  const std::vector<Text> files = queries_.ListFiles(t);
  tree_.Remove(u"t/empty");
  tree_.File(u"t/gone.txt");
  for (const Text& f : files) {
    const bool found = queries_.LookUpFile(f, e);
    EXPECT_EQ(found, f != tree_.Path(u"t/empty")) << Utf8(f);
  }
}

TEST_F(RealTree, SizesAboveFourGibibytes) {
  // Sparse: no space is used.
  tree_.File(u"big.bin", 5000000000ULL);
  FileEntry e;
  ASSERT_TRUE(queries_.LookUpFile(tree_.Path(u"big.bin"), e));
  EXPECT_EQ(e.Size, 5000000000LL);
}

TEST_F(RealTree, DirectoryWriteTime) {
  tree_.Dir(u"d");
  tree_.SetWriteTime(u"d", kSampleTime + 1230000);  // .123 s
  EXPECT_DOUBLE_EQ(queries_.DirectoryWriteTime(tree_.Path(u"d")),
                   DateFromParts(2018, 12, 8) + TimeFromParts(9, 30, 0, 123));
  tree_.File(u"f");
  using K = FsErrorKind;
  const struct {
    Text path;
    K kind;
  } rows[] = {
      {tree_.Path(u"f"), K::PathNotFound},
      {tree_.Path(u"nothing"), K::PathNotFound},
      {tree_.Path(u"a|b"), K::InvalidPath},
      {u"   ", K::InvalidPath},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.path));
    try {
      queries_.DirectoryWriteTime(row.path);
      ADD_FAILURE() << "no failure";
    } catch (const FsError& e) {
      EXPECT_EQ(e.Kind(), row.kind);
    }
    EXPECT_THROW(queries_.ListAllDirectories(row.path), FsError);
    EXPECT_THROW(queries_.ListFiles(row.path), FsError);
  }
}

TEST_F(RealTree, DirectoryLinks) {
  tree_.Dir(u"root/sub/leaf");
  tree_.Dir(u"far/elsewhere/inside");
  tree_.SetWriteTime(u"far/elsewhere", kSampleTime);
  const bool made = tree_.Link(u"root/sub/up", tree_.Path(u"root"), true) &&
                    tree_.Link(u"root/sub/up2", tree_.Path(u"root/sub"), true) &&
                    tree_.Link(u"root/sub/top", tree_.Root(), true) &&
                    tree_.Link(u"root/side", tree_.Path(u"far/elsewhere"), true) &&
                    tree_.Link(u"far/elsewhere/inside/outer", tree_.Path(u"far"), true);
  if (!made) GTEST_SKIP() << "no symbolic links here";
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  // Links upward are listed, not entered; a link elsewhere is entered, and
  // what lies above its target is not entered from inside it either.
  EXPECT_EQ(
      sorted(Relative(queries_.ListAllDirectories(tree_.Path(u"root")))),
      sorted({S("/root/side"), S("/root/side/inside"), S("/root/side/inside/outer"), S("/root/sub"),
              S("/root/sub/leaf"), S("/root/sub/top"), S("/root/sub/up"), S("/root/sub/up2")}));
  // A link's time is its target's.
  EXPECT_DOUBLE_EQ(queries_.DirectoryWriteTime(tree_.Path(u"root/side")),
                   DateFromParts(2018, 12, 8) + TimeFromParts(9, 30, 0, 0));
  // Started through a link: the folders above the link's target count as
  // above the start.
  EXPECT_EQ(sorted(Relative(queries_.ListAllDirectories(tree_.Path(u"root/side")))),
            sorted({S("/root/side/inside"), S("/root/side/inside/outer")}));
}

}  // namespace
}  // namespace ostrivel
