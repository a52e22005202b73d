// Name order, its sort and bisection, and the catalogue, on the user's
// collation of the build (ICU or CompareStringW) and on a counting stand-in.

#include "scan/catalogue.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/fake_file_system.h"

namespace ostrivel {
namespace {

using testing::FakeFileSystem;

// Compares the first character only, so that many entries are equal and
// where they end up shows the exact steps of the sort.
class FirstCharCollation : public Collation {
 public:
  int Compare(TextView a, TextView b) override {
    ++calls;
    const int x = a.empty() ? -1 : a[0];
    const int y = b.empty() ? -1 : b[0];
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  int calls = 0;
};

// The sort as it reads, with no bounds and no choice of which part goes first.
void ReferenceSort(std::vector<Text>& v, int l, int r, Collation& c) {
  int i, j, p;
  do {
    i = l;
    j = r;
    p = (l + r) / 2;
    do {
      while (c.Compare(v[i], v[p]) < 0) ++i;
      while (c.Compare(v[j], v[p]) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(v[i], v[j]);
        if (p == i) {
          p = j;
        } else if (p == j) {
          p = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) ReferenceSort(v, l, j, c);
    l = i;
  } while (i < r);
}

StringList ListOf(std::initializer_list<const char*> lines) {
  StringList list;
  for (const char* line : lines) list.Add(U(line));
  return list;
}

std::vector<std::string> Lines(const StringList& list) {
  std::vector<std::string> out;
  for (const Text& line : list.Lines()) out.push_back(Utf8(line));
  return out;
}

TEST(SortByName, EqualEntriesEndWhereThisQuicksortPutsThem) {
  FirstCharCollation c;
  // Worked by hand: P=1 ("b2"); I stops at 0, J at 3: exchange, giving
  // a2 b2 a1 b1; then I and J stop at 1 and 2: exchange, the pivot moves to 2,
  // giving a2 a1 b2 b1. The parts [0,1] and [2,3] each hold two equal entries,
  // which the sort exchanges once more.
  StringList list = ListOf({"b1", "b2", "a1", "a2"});
  SortByName(list, c);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a1", "a2", "b1", "b2"}));

  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const int n = 1 + static_cast<int>(random() % 60);
    StringList list;
    for (int k = 0; k < n; ++k) {
      list.Add(Text(1, static_cast<char16_t>(u'a' + random() % 5)) + Decimal(k));
    }
    std::vector<Text> expected = list.Lines();
    ReferenceSort(expected, 0, n - 1, c);
    SortByName(list, c);
    EXPECT_EQ(list.Lines(), expected);
  }
}

TEST(SortByName, ShortListsAreLeftAlone) {
  FirstCharCollation c;
  StringList empty;
  SortByName(empty, c);
  EXPECT_EQ(empty.Count(), 0);
  StringList one = ListOf({"z"});
  SortByName(one, c);
  EXPECT_EQ(Lines(one), std::vector<std::string>{"z"});
  EXPECT_EQ(c.calls, 0);
}

TEST(SortByName, FailingCollationStaysInsideTheList) {
  // CompareStringW answers -2 when it fails: "a comes first", even for an
  // entry and itself. The sort must neither run off the list nor loop.
  class Failing : public Collation {
   public:
    int Compare(TextView, TextView) override { return -2; }
  } failing;
  StringList list = ListOf({"c", "a", "b", "e", "d"});
  SortByName(list, failing);
  EXPECT_EQ(list.Count(), 5);
}

TEST(SortByName, LargeSortedAndReversedInputs) {
  FirstCharCollation c;
  StringList list;
  for (int k = 0; k < 20000; ++k) list.Add(Text(1, static_cast<char16_t>(0x4000 + k)));
  StringList reversed;
  for (int k = 19999; k >= 0; --k) reversed.Add(list[k]);
  SortByName(reversed, c);
  EXPECT_EQ(reversed.Lines(), list.Lines());
  SortByName(list, c);
  EXPECT_EQ(reversed.Lines(), list.Lines());
}

TEST(FindByName, Bisection) {
  FirstCharCollation c;
  const StringList list = ListOf({"a", "c", "e", "g"});
  const struct {
    const char* text;
    bool found;
    int32_t index;
  } rows[] = {
      {"a", true, 0},  {"c", true, 1},  {"e", true, 2},  {"g", true, 3},
      {"0", false, 0}, {"b", false, 1}, {"f", false, 3}, {"z", false, 4},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    int32_t index = -1;
    EXPECT_EQ(FindByName(list, U(row.text), c, index), row.found);
    EXPECT_EQ(index, row.index);
  }
  int32_t index = -1;
  EXPECT_FALSE(FindByName(StringList(), u"a", c, index));
  EXPECT_EQ(index, 0);
  // Among equal entries, the first one the bisection meets: the middle here.
  const StringList equal = ListOf({"x1", "x2", "x3", "x4", "x5"});
  EXPECT_TRUE(FindByName(equal, u"x", c, index));
  EXPECT_EQ(index, 2);
}

// The index must answer exactly as bisection: in sorted lists with many equal
// entries, in lists out of order, and after the list changed under it.
TEST(NameIndex, AnswersAsBisection) {
  std::unique_ptr<Collation> user = MakeUserCollation();
  FirstCharCollation firstChar;
  std::mt19937 random(11);
  const char16_t letters[] = u"aAbB/ _&0é快";
  auto name = [&] {
    Text t;
    const int n = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < n; ++i) t += letters[random() % (std::size(letters) - 1)];
    return t;
  };
  for (Collation* c : {user.get(), static_cast<Collation*>(&firstChar)}) {
    for (int round = 0; round < 60; ++round) {
      StringList list;
      const int n = static_cast<int>(random() % 40);
      for (int i = 0; i < n; ++i) list.Add(name());
      if (round % 5 != 4) SortByName(list, *c);  // and now and then left out of order
      NameIndex index;
      for (int query = 0; query < 80; ++query) {
        const Text text = n > 0 && query % 2 == 0 ? list[static_cast<int32_t>(random() % n)] : name();
        int32_t expected = -1, got = -1;
        const bool found = FindByName(list, text, *c, expected);
        ASSERT_EQ(index.Find(list, text, *c, got), found) << Utf8(text);
        ASSERT_EQ(got, expected) << Utf8(text);
      }
      // Changed in place, then told: the answers follow the list.
      if (n > 1) {
        std::swap(list.Lines().front(), list.Lines().back());
        index.Forget();
        for (const Text& text : list.Lines()) {
          int32_t expected = -1, got = -1;
          ASSERT_EQ(index.Find(list, text, *c, got), FindByName(list, text, *c, expected));
          ASSERT_EQ(got, expected);
        }
      }
    }
  }
}

class UserCollation : public ::testing::Test {
 protected:
  std::unique_ptr<Collation> collation_ = MakeUserCollation();
};

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// What name order keeps, whatever the platform's collation.
TEST_F(UserCollation, Properties) {
  const struct {
    const char* a;
    const char* b;
    int order;
  } rows[] = {
      {"abc", "ABC", 0},
      {"a", "b", -1},
      {"B", "a", 1},
      {"10", "9", -1},  // digit by digit
      {"1", "01", 1},
      {"9", "a", -1},  // digits before letters
      {"0", "Z", -1},
      {"!", "0", -1},  // punctuation and symbols before digits
      {"_", "0", -1},
      {"#", "1", -1},
      {"\\", "0", -1},
      {"/", "0", -1},
      {"\\", "a", -1},
      {"A\\c", "Ab", -1},  // so a folder's subtree follows it closely
      {"a b", "ab", -1},
      {"a", "ab", -1},  // a text before every longer text that begins with it
      {"D:\\data", "D:\\data\\A", -1},
      {"D:\\data\\", "D:\\data\\A", -1},
      {"D:\\data\\A", "D:\\data\\A\\c", -1},
      {"/data", "/data/A", -1},
      {"", "a", -1},
      {"", "", 0},
      {"ä", "b", -1},  // en-US: accented letters with their base letter
      {"a", "ä", -1},
      {"é", "E", 1},
      {"Ä", "ä", 0},
      {"co-op", "cop", -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
    EXPECT_EQ(Sign(CompareNames(*collation_, U(row.a), U(row.b))), row.order);
    EXPECT_EQ(Sign(CompareNames(*collation_, U(row.b), U(row.a))), -row.order);
  }
}

TEST_F(UserCollation, SortsTheWorkedCatalogue) {
  StringList list = ListOf({"D:\\data", "D:\\data\\b", "D:\\data\\Ab", "D:\\data\\A",
                            "D:\\data\\A\\c", "D:\\data\\9", "D:\\data\\10"});
  SortByName(list, *collation_);
  EXPECT_EQ(Lines(list),
            (std::vector<std::string>{"D:\\data", "D:\\data\\10", "D:\\data\\9", "D:\\data\\A",
                                      "D:\\data\\A\\c", "D:\\data\\Ab", "D:\\data\\b"}));
  for (int32_t k = 0; k < list.Count(); ++k) {
    int32_t index = -1;
    EXPECT_TRUE(FindByName(list, list[k], *collation_, index));
    EXPECT_EQ(index, k);
  }
  int32_t index = -1;
  EXPECT_TRUE(FindByName(list, u"d:\\DATA\\a", *collation_, index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(FindByName(list, u"D:\\data\\A\\d", *collation_, index));
}

void AddExampleTree(FakeFileSystem& fs, const Text& root, char16_t sep) {
  for (const char16_t* name : {u"b", u"Ab", u"A", u"9", u"10"}) {
    fs.AddDirectory(root + sep + name);
  }
  fs.AddDirectory(root + sep + u"A" + sep + u"c");
}

TEST_F(UserCollation, CollectDirectoriesOnTheWorkedExample) {
  FakeFileSystem fs;
  AddExampleTree(fs, u"D:\\data", u'\\');
  fs.AddDirectory(u"C:\\Windows");
  FileQueries q(fs);
  const struct {
    const char* root;
    std::vector<std::string> expected;
  } rows[] = {
      {"D:\\data",
       {"D:\\data", "D:\\data\\10", "D:\\data\\9", "D:\\data\\A", "D:\\data\\A\\c", "D:\\data\\Ab",
        "D:\\data\\b"}},
      {"D:\\data\\",
       {"D:\\data\\", "D:\\data\\10", "D:\\data\\9", "D:\\data\\A", "D:\\data\\A\\c",
        "D:\\data\\Ab", "D:\\data\\b"}},
      {"D:/data",
       {"D:/data", "D:/data\\10", "D:/data\\9", "D:/data\\A", "D:/data\\A\\c", "D:/data\\Ab",
        "D:/data\\b"}},
      {"d:\\DATA",
       {"d:\\DATA", "d:\\DATA\\10", "d:\\DATA\\9", "d:\\DATA\\A", "d:\\DATA\\A\\c", "d:\\DATA\\Ab",
        "d:\\DATA\\b"}},
      {"C:\\", {"C:\\", "C:\\Windows"}},
      // Every failure of the walk leaves the root alone.
      {"", {""}},
      {"   ", {"   "}},
      {"D:\\nothing", {"D:\\nothing"}},
      {"D:\\da:ta", {"D:\\da:ta"}},
      {"D:\\da|ta", {"D:\\da|ta"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.root);
    StringList dirList;
    dirList.Add(U(row.root));
    CollectDirectories(U(row.root), dirList, q, *collation_);
    EXPECT_EQ(Lines(dirList), row.expected);
  }
}

TEST_F(UserCollation, CollectDirectoriesEdgeCases) {
  FakeFileSystem fs;
  AddExampleTree(fs, u"D:\\data", u'\\');
  FileQueries q(fs);
  // A path of 248 units as root: the root alone.
  Text longRoot = u"D:\\" + Text(245, u'x');
  fs.AddDirectory(longRoot);
  StringList dirList;
  dirList.Add(longRoot);
  CollectDirectories(longRoot, dirList, q, *collation_);
  EXPECT_EQ(dirList.Count(), 1);
  // The root names a file.
  fs.AddFile(u"D:\\file.txt");
  dirList.Clear();
  dirList.Add(u"D:\\file.txt");
  CollectDirectories(u"D:\\file.txt", dirList, q, *collation_);
  EXPECT_EQ(Lines(dirList), std::vector<std::string>{"D:\\file.txt"});
  // Mended: an odd name below the root costs that entry only.
  fs.AddDirectory(u"D:\\data\\A\\bad|name\\below");
  dirList.Clear();
  dirList.Add(u"D:\\data");
  CollectDirectories(u"D:\\data", dirList, q, *collation_);
  EXPECT_EQ(dirList.Count(), 7);
  // Names differing only in case (a case-sensitive folder): both catalogued,
  // side by side; the bisection finds one index for both.
  fs.AddDirectory(u"D:\\data\\b\\x");
  fs.AddDirectory(u"D:\\data\\b\\X");
  dirList.Clear();
  dirList.Add(u"D:\\data");
  CollectDirectories(u"D:\\data", dirList, q, *collation_);
  ASSERT_EQ(dirList.Count(), 9);
  EXPECT_EQ(CompareNames(*collation_, dirList[7], dirList[8]), 0);
  int32_t lower = -1, upper = -1;
  EXPECT_TRUE(FindByName(dirList, u"D:\\data\\b\\x", *collation_, lower));
  EXPECT_TRUE(FindByName(dirList, u"D:\\data\\b\\X", *collation_, upper));
  EXPECT_EQ(lower, upper);
}

TEST_F(UserCollation, CollectDirectoriesPosixStyle) {
  FakeFileSystem fs(PathStyle::Posix);
  AddExampleTree(fs, u"/data", u'/');
  FileQueries q(fs);
  StringList dirList;
  dirList.Add(u"/data");
  CollectDirectories(u"/data", dirList, q, *collation_);
  EXPECT_EQ(Lines(dirList), (std::vector<std::string>{"/data", "/data/10", "/data/9", "/data/A",
                                                      "/data/A/c", "/data/Ab", "/data/b"}));
}

}  // namespace
}  // namespace ostrivel
