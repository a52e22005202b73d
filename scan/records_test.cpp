#include "scan/records.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "page/date_time.h"
#include "scan/catalogue.h"
#include "scan/file_queries.h"
#include "tests/fake_file_system.h"
#include "tests/listing_fakes.h"

namespace ostrivel {
namespace {

using testing::FakeFileSystem;
using testing::FakeOp;
using testing::FileTimeOf;

class RecordsTest : public ::testing::Test {
 protected:
  RecordsTest() { SetPlainDateFormats(locale); }

  RegionalSettings& Regional() {
    if (!regional) regional = std::make_unique<RegionalSettings>(locale);
    return *regional;
  }
  // What the run does before the records: the root, then the catalogue.
  void Catalogue(const Text& root) {
    state.SourceRoot = root;
    state.DirList.Clear();
    state.DirList.Add(root);
    CollectDirectories(root, state.DirList, queries, collation);
  }
  void RecordAll() {
    const RecordServices services{queries, collation, Regional(), ui};
    for (int32_t i = 0; i < state.DirList.Count(); ++i) AppendDirectoryRecord(i, state, services);
  }
  std::vector<Text> Records() const { return state.RecordLines.Lines(); }

  // The tree C:\Data of the worked example.
  void MakeData() {
    fs.AddDirectory(u"C:\\Data", FileTimeOf(2018, 12, 8, 9, 30, 0));
    fs.AddDirectory(u"C:\\Data\\R&D", FileTimeOf(2018, 12, 5, 11, 2, 33));
    fs.AddDirectory(u"C:\\Data\\Music", FileTimeOf(2018, 12, 2, 20, 15, 7));
    fs.AddDirectory(u"C:\\Data\\Music\\Live", FileTimeOf(2018, 12, 2, 20, 15, 7));
    fs.AddFile(u"C:\\Data\\readme.md", 2048, FileTimeOf(2018, 11, 30, 17, 45, 10));
    fs.AddFile(u"C:\\Data\\notes.txt", 120, FileTimeOf(2018, 12, 1, 8, 0, 0));
    fs.AddFile(u"C:\\Data\\Music\\song.mp3", 4000000, FileTimeOf(2018, 12, 2, 20, 14, 59));
  }

  FakeFileSystem fs{PathStyle::Windows};
  FileQueries queries{fs};
  testing::PlainCollation collation;
  testing::TableLocaleSource locale;
  std::unique_ptr<RegionalSettings> regional;
  testing::RecordingUi ui;
  ListingState state;
};

TEST_F(RecordsTest, WorkedExample) {
  MakeData();
  Catalogue(u"C:\\Data");
  RecordAll();

  ASSERT_EQ(state.RecordLines.Count(), 4);
  EXPECT_TRUE(state.RecordLines[0].starts_with(u"D.p([\"C:\\Data*0*"));
  EXPECT_NE(state.RecordLines[2].find(u"C:\\Data\\Music\\Live"), Text::npos);

  ConvertRecordBlock(state.RecordLines);
  const std::vector<Text> want = {
      u"D.p([\"C:/Data*0*2018/12/8 9:30:00\",\"notes.txt*120*2018/12/1 8:00:00\","
      u"\"readme.md*2048*2018/11/30 17:45:10\",2168,\"1*3\"])",
      u"D.p([\"C:/Data/Music*0*2018/12/2 20:15:07\",\"song.mp3*4000000*2018/12/2 20:14:59\","
      u"4000000,\"2\"])",
      u"D.p([\"C:/Data/Music/Live*0*2018/12/2 20:15:07\",0,\"\"])",
      u"D.p([\"C:/Data/R&amp;D*0*2018/12/5 11:02:33\",0,\"\"])",
  };
  EXPECT_EQ(Records(), want);
  EXPECT_EQ(state.FileCount, 3);
  EXPECT_EQ(state.TotalSize, 4002168);
  // After every file (3) and every subdirectory lookup (2 + 1).
  EXPECT_EQ(ui.pumps, 6);
  // The scratch lists keep the last directory's paths.
  EXPECT_EQ(state.FileList.Count(), 0);
  EXPECT_EQ(state.SubDirList.Count(), 0);
}

// Every row of the failure table, and the fallbacks that look like failures.
TEST_F(RecordsTest, FailuresFallBackStepByStep) {
  const Text longName(244, u'x');  // C:\R\ + 244 = 249 characters
  struct Row {
    const char* name;
    Text root;
    std::function<void(FakeFileSystem&)> before;  // the tree
    std::function<void(FakeFileSystem&)> after;   // changes after the catalogue
    std::vector<Text> want;                       // records before the conversion
    int64_t fileCount;
    int64_t totalSize;
  };
  const uint64_t t = FileTimeOf(2018, 12, 8, 9, 30, 0);
  const Text time = u"2018/12/8 9:30:00";
  const Row rows[] = {
      {"A: attributes unreadable after the checks give the time 0.0",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddFile(u"C:\\R\\a.txt", 5, t);
         f.Fail(FakeOp::GetAttributeData, u"C:\\R");
       },
       nullptr,
       {u"D.p([\"C:\\R*0*1899/12/30 0:00:00\",\"a.txt*5*" + time + u"\",5,\"\"])"},
       1,
       5},
      {"A, B and D: a path of 248 characters or more; its parent still refers to it",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddFile(u"C:\\R\\" + longName + u"\\inside.txt", 7, t);
         f.Node(u"C:\\R\\" + longName)->writeTime = t;
       },
       nullptr,
       {u"D.p([\"C:\\R*0*" + time + u"\",0,\"1\"])",
        u"D.p([\"C:\\R\\" + longName + u"*0*-\",0,\"\"])"},
       0,
       0},
      {"C: a local date after 9999 keeps the size but gives no entry",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddFile(u"C:\\R\\future.txt", 1000, FileTimeOf(10000, 1, 1));
         f.AddFile(u"C:\\R\\now.txt", 24, t);
       },
       nullptr,
       {u"D.p([\"C:\\R*0*" + time + u"\",\"now.txt*24*" + time + u"\",1024,\"\"])"},
       1,
       1024},
      {"C: a time the platform cannot convert is written as 1900/1/1",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddFile(u"C:\\R\\odd.txt", 3, FileTimeOf(2000, 1, 1));
         f.FailTimeConversion(FileTimeOf(2000, 1, 1));
       },
       nullptr,
       {u"D.p([\"C:\\R*0*" + time + u"\",\"odd.txt*3*1900/1/1 0:00:00\",3,\"\"])"},
       1,
       3},
      {"not found: a file that vanished adds nothing; all vanished gives ,0",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddDirectory(u"C:\\R\\S", t);
         f.AddFile(u"C:\\R\\gone.txt", 50, t).ghost = true;
         f.AddFile(u"C:\\R\\kept.txt", 9, t);
         f.AddFile(u"C:\\R\\S\\gone.txt", 50, t).ghost = true;
       },
       nullptr,
       {u"D.p([\"C:\\R*0*" + time + u"\",\"kept.txt*9*" + time + u"\",9,\"1\"])",
        u"D.p([\"C:\\R\\S*0*" + time + u"\",0,\"\"])"},
       1,
       9},
      {"B: the file listing fails (its check uses the absolute form)",
       u"C:/R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddDirectory(u"C:\\R\\S", t);
         f.AddFile(u"C:\\R\\a.txt", 5, t);
       },
       [&](FakeFileSystem& f) { f.Fail(FakeOp::GetAttributes, u"C:\\R", kErrorPathNotFound); },
       {u"D.p([\"C:/R*0*" + time + u"\",0,\"1\"])", u"D.p([\"C:/R\\S*0*" + time + u"\",0,\"\"])"},
       0,
       0},
      {"D: the subdirectory listing fails",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddDirectory(u"C:\\R\\S", t);
         f.AddFile(u"C:\\R\\a.txt", 5, t);
       },
       [&](FakeFileSystem& f) {
         // The folder goes away once its files are listed and looked up.
         f.beforeCall = [&f](FakeOp op, const Text&) {
           if (op == FakeOp::FindEntry) f.Fail(FakeOp::GetAttributes, u"C:\\R", kErrorPathNotFound);
         };
       },
       {u"D.p([\"C:\\R*0*" + time + u"\",\"a.txt*5*" + time + u"\",5,\"\"])",
        u"D.p([\"C:\\R\\S*0*" + time + u"\",0,\"\"])"},
       1,
       5},
      {"a subdirectory made after the catalogue has no index; the others keep theirs",
       u"C:\\R",
       [&](FakeFileSystem& f) {
         f.AddDirectory(u"C:\\R", t);
         f.AddDirectory(u"C:\\R\\A", t);
         f.AddDirectory(u"C:\\R\\Z", t);
       },
       [&](FakeFileSystem& f) { f.AddDirectory(u"C:\\R\\M", t); },
       {u"D.p([\"C:\\R*0*" + time + u"\",0,\"1*2\"])",
        u"D.p([\"C:\\R\\A*0*" + time + u"\",0,\"\"])",
        u"D.p([\"C:\\R\\Z*0*" + time + u"\",0,\"\"])"},
       0,
       0},
      {"an empty source root: every query fails",
       u"",
       nullptr,
       nullptr,
       {u"D.p([\"*0*-\",0,\"\"])"},
       0,
       0},
      {"a missing source root",
       u"C:\\Nowhere",
       nullptr,
       nullptr,
       {u"D.p([\"C:\\Nowhere*0*-\",0,\"\"])"},
       0,
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeFileSystem f(PathStyle::Windows);
    FileQueries q(f);
    if (row.before) row.before(f);
    ListingState s;
    s.DirList.Add(row.root);
    CollectDirectories(row.root, s.DirList, q, collation);
    if (row.after) row.after(f);
    const RecordServices services{q, collation, Regional(), ui};
    for (int32_t i = 0; i < s.DirList.Count(); ++i) AppendDirectoryRecord(i, s, services);
    EXPECT_EQ(s.RecordLines.Lines(), row.want);
    EXPECT_EQ(s.FileCount, row.fileCount);
    EXPECT_EQ(s.TotalSize, row.totalSize);
  }
}

TEST_F(RecordsTest, FilesSizesAndNames) {
  const uint64_t t = FileTimeOf(2018, 12, 8, 9, 30, 0);
  fs.AddDirectory(u"C:\\R", t);
  // Search order is the reverse of name order.
  fs.AddFile(u"C:\\R\\D.txt", 0, t);
  fs.AddFile(u"C:\\R\\c.txt", 4294967296, t);
  fs.AddFile(u"C:\\R\\B.txt", 1, t);
  fs.AddFile(u"C:\\R\\it's, &amp; R&D.txt", 2, t);
  fs.AddDirectory(u"C:\\R\\z", t);
  fs.AddDirectory(u"C:\\R\\a", t);
  fs.AddDirectory(u"C:\\R\\M", t);
  Catalogue(u"C:\\R");
  RecordAll();
  const Text time = u"2018/12/8 9:30:00";
  EXPECT_EQ(state.RecordLines[0], u"D.p([\"C:\\R*0*" + time + u"\",\"B.txt*1*" + time +
                                      u"\",\"c.txt*4294967296*" + time + u"\",\"D.txt*0*" + time +
                                      u"\",\"it's, &amp;amp; R&amp;D.txt*2*" + time +
                                      u"\",4294967299,\"1*2*3\"])");
  EXPECT_EQ(state.FileCount, 4);
  EXPECT_EQ(state.TotalSize, 4294967299);
}

TEST_F(RecordsTest, TimesFollowTheRegionalSeparators) {
  fs.AddDirectory(u"C:\\R", FileTimeOf(2018, 12, 8, 9, 30, 0));
  fs.AddFile(u"C:\\R\\a.txt", 1, FileTimeOf(2018, 12, 8, 9, 30, 0));
  fs.AddFile(u"C:\\R\\b.txt", 1, FileTimeOf(2018, 12, 8, 9, 30, 0));
  locale.items[kLocaleSDate] = u"\\";
  locale.items[kLocaleSTime] = u".";
  // A change of the regional settings during the run applies to the texts
  // written after it.
  ui.onPump = [&] {
    if (ui.pumps == 1) {
      locale.items[kLocaleSDate] = u"-";
      Regional().Refresh();
    }
  };
  Catalogue(u"C:\\R");
  RecordAll();
  ConvertRecordBlock(state.RecordLines);
  EXPECT_EQ(state.RecordLines[0],
            u"D.p([\"C:/R*0*2018/12/8 9.30.00\",\"a.txt*1*2018/12/8 9.30.00\","
            u"\"b.txt*1*2018-12-8 9.30.00\",2,\"\"])");
}

TEST(EscapeAmpTest, OnlyTheAmpersand) {
  const std::pair<Text, Text> rows[] = {
      {u"", u""},
      {u"R&D", u"R&amp;D"},
      {u"&&", u"&amp;&amp;"},
      {u"&amp;", u"&amp;amp;"},
      {u"it's, \"a\\b*c\" <i>", u"it's, \"a\\b*c\" <i>"},
  };
  for (const auto& [in, want] : rows) {
    SCOPED_TRACE(Utf8(in));
    EXPECT_EQ(EscapeAmp(in), want);
  }
}

TEST(ConvertRecordBlockTest, BackslashesBecomeSlashesAndLineBreaksSplit) {
  struct Row {
    const char* name;
    std::vector<Text> lines, want;
  };
  const Row rows[] = {
      {"plain",
       {u"D.p([\"C:\\a\\b*0*-\",0,\"\"])", u"x\\"},
       {u"D.p([\"C:/a/b*0*-\",0,\"\"])", u"x/"}},
      {"a root typed with a line break makes two lines",
       {u"D.p([\"C:\\a\r\nb*0*-\",0,\"\"])", u"next"},
       {u"D.p([\"C:/a", u"b*0*-\",0,\"\"])", u"next"}},
      {"LF CR is two line breaks", {u"a\n\rb"}, {u"a", u"", u"b"}},
      {"U+0000 ends the block", {u"a\\", Text(u"b\0c", 3), u"d"}, {u"a/", u"b"}},
      {"empty", {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    StringList list;
    for (const Text& line : row.lines) list.Add(line);
    ConvertRecordBlock(list);
    EXPECT_EQ(list.Lines(), row.want);
  }
}

}  // namespace
}  // namespace ostrivel
