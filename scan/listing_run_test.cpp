#include "scan/listing_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error.h"
#include "page/date_time.h"
#include "tests/fake_file_system.h"
#include "tests/fake_text_files.h"
#include "tests/listing_fakes.h"

namespace ostrivel {
namespace {

using testing::FakeFileSystem;
using testing::FakeOp;
using testing::FileTimeOf;

const Text kAppDir = u"C:\\App\\";
const Text kPage = u"D:\\Out\\181208093000.html";
const std::string kFields =
    "\xEF\xBB\xBF"
    "TITLE=[TITLE]\nROOT=[SOURCE ROOT]\nFILES=[NUM FILES]\nDIRS=[NUM DIRS]\nSIZE=[TOT SIZE]\n"
    "[DIR DATA]";

class ListingRunTest : public ::testing::Test {
 protected:
  ListingRunTest() {
    SetPlainDateFormats(locale);
    regional = std::make_unique<RegionalSettings>(locale);
    run = std::make_unique<ListingRun>(ListingServices{fs, collation, files, clock, *regional},
                                       kAppDir);
    PutTemplate(kFields);
    // C:\Data: a file and two folders, one with a file of its own.
    const uint64_t t = FileTimeOf(2018, 12, 8, 9, 30, 0);
    fs.AddDirectory(u"C:\\Data", t);
    fs.AddDirectory(u"C:\\Data\\B", t);
    fs.AddDirectory(u"C:\\Data\\A", t);
    fs.AddFile(u"C:\\Data\\x.txt", 10, t);
    fs.AddFile(u"C:\\Data\\A\\y.txt", 5, t);
    ui.source = u"C:\\Data";
    ui.chosen = u"D:/Out";
  }

  void PutTemplate(const std::string& bytes) {
    files.files[kAppDir + u"template.html"] = bytes;
    fs.AddFile(kAppDir + u"template.html", bytes.size());
  }
  std::string Page(const Text& path = kPage) { return files.files[path]; }

  FakeFileSystem fs{PathStyle::Windows};
  testing::PlainCollation collation;
  testing::FakeTextFiles files;
  testing::ScriptedClock clock;
  testing::TableLocaleSource locale;
  std::unique_ptr<RegionalSettings> regional;
  std::unique_ptr<ListingRun> run;
  testing::RecordingUi ui;
};

const std::string kDataPage =
    "\xEF\xBB\xBF"
    "TITLE=Title\r\nROOT=C:/Data\r\nFILES=2\r\nDIRS=3\r\nSIZE=15\r\n"
    "D.p([\"C:/Data*0*2018/12/8 9:30:00\",\"x.txt*10*2018/12/8 9:30:00\",10,\"1*2\"])\r\n"
    "D.p([\"C:/Data/A*0*2018/12/8 9:30:00\",\"y.txt*5*2018/12/8 9:30:00\",5,\"\"])\r\n"
    "D.p([\"C:/Data/B*0*2018/12/8 9:30:00\",0,\"\"])\r\n"
    "\r\n";

TEST_F(ListingRunTest, WholeRun) {
  clock.ticks = {1000, 3500};
  run->BuildListing(ui);

  ASSERT_EQ(ui.choices.size(), 1u);
  EXPECT_EQ(ui.choices[0].prompt, u"请选择快照文件保存的路径");
  EXPECT_EQ(ui.choices[0].initialFolder, kAppDir);
  // The chosen folder's "/" became "\" in the page path.
  EXPECT_EQ(run->PagePath(), kPage);
  EXPECT_EQ(run->LastOutcome(), ListingOutcome::PageWritten);
  EXPECT_EQ(Page(), kDataPage);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].first, u"总耗时2秒");
  EXPECT_EQ(ui.messages[0].second, u"操作完成");

  // The shared state keeps the run's results.
  EXPECT_EQ(run->SourceRoot, u"C:/Data");
  EXPECT_EQ(run->DirList.Count(), 3);
  EXPECT_EQ(run->RecordLines.Count(), 3);
  EXPECT_EQ(run->FileCount, 2);
  EXPECT_EQ(run->TotalSize, 15);
  EXPECT_FALSE(run->InProgress());

  // A pump after every file (2), subdirectory lookup (2) and record (3); progress
  // once the catalogue stands and after every record.
  EXPECT_EQ(ui.pumps, 7);
  ASSERT_EQ(ui.progress.size(), 4u);
  EXPECT_EQ(ui.progress[0].directoriesDone, 0);
  EXPECT_EQ(ui.progress[3].directoriesDone, 3);
  EXPECT_EQ(ui.progress[3].directoryCount, 3);
  EXPECT_EQ(ui.progress[3].filesSoFar, 2);
}

TEST_F(ListingRunTest, ElapsedSecondsFromTheUnsigned32BitTickDifference) {
  struct Row {
    uint32_t start, end;
    const char16_t* want;
  };
  const Row rows[] = {
      {5000, 5999, u"总耗时0秒"},
      {5000, 6000, u"总耗时1秒"},
      {0xFFFFF000u, 0x000005DCu, u"总耗时5秒"},  // wrapped: 4096 + 1500 ms
      {0xFFFFFFFFu, 0x00000000u, u"总耗时0秒"},
      {0, 0xFFFFFFFFu, u"总耗时4294967秒"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.want));
    clock.ticks = {row.start, row.end};
    ui.messages.clear();
    run->BuildListing(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, row.want);
  }
}

TEST_F(ListingRunTest, CancelledChoiceLeavesThePreviousRun) {
  run->BuildListing(ui);
  const std::vector<Text> records = run->RecordLines.Lines();
  files.files.erase(kPage);
  ui.messages.clear();
  ui.accept = false;
  ui.source = u"C:\\Other";
  run->BuildListing(ui);
  EXPECT_EQ(run->LastOutcome(), ListingOutcome::Cancelled);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(files.files.contains(kPage));
  EXPECT_EQ(run->SourceRoot, u"C:/Data");
  EXPECT_EQ(run->RecordLines.Lines(), records);
  EXPECT_EQ(run->FileCount, 2);
  EXPECT_EQ(run->TotalSize, 15);
}

TEST_F(ListingRunTest, SecondRunWhileOneIsInProgressIsRefused) {
  int nested = 0;
  ui.onPump = [&] {
    if (nested++ == 0) {
      EXPECT_TRUE(run->InProgress());
      ui.source = u"C:\\Data\\A";  // what a second run would take
      run->BuildListing(ui);
    }
  };
  run->BuildListing(ui);
  EXPECT_EQ(nested, 7);
  EXPECT_EQ(ui.choices.size(), 1u) << "the second run never started";
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Page(), kDataPage) << "the run in progress is undisturbed";
  EXPECT_FALSE(run->InProgress());

  // Refused only while one runs: the next one is welcome.
  ui.onPump = nullptr;
  run->BuildListing(ui);
  EXPECT_EQ(ui.choices.size(), 2u);
  EXPECT_EQ(run->DirList.Count(), 1);
  EXPECT_EQ(run->SourceRoot, u"C:/Data/A");
}

TEST_F(ListingRunTest, EmptyAndMissingSourceRootsGiveOneRecord) {
  struct Row {
    Text source;
    std::string want;
  };
  const Row rows[] = {
      {u"", "D.p([\"*0*-\",0,\"\"])\r\n"},
      {u"C:\\Nowhere", "D.p([\"C:/Nowhere*0*-\",0,\"\"])\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.source));
    ui.source = row.source;
    run->BuildListing(ui);
    EXPECT_EQ(run->LastOutcome(), ListingOutcome::PageWritten);
    const std::string page = Page();
    EXPECT_NE(page.find("FILES=0\r\nDIRS=1\r\nSIZE=0\r\n" + row.want + "\r\n"), std::string::npos)
        << page;
  }
}

TEST_F(ListingRunTest, MissingTemplateStillEndsWithTheMessage) {
  fs.Remove(kAppDir + u"template.html");
  run->BuildListing(ui);
  EXPECT_EQ(run->LastOutcome(), ListingOutcome::TemplateMissing);
  EXPECT_TRUE(run->PagePath().empty());
  EXPECT_FALSE(files.files.contains(kPage));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(run->RecordLines.Count(), 3);
}

TEST_F(ListingRunTest, TemplateElsewhere) {
  const Text other = u"E:\\t\\fields.html";
  files.files[other] = "\xEF\xBB\xBF[APP NAME] [DIR DATA]";
  fs.AddFile(other, 1);
  run->SetTemplatePath(other);
  EXPECT_EQ(run->TemplatePath(), other);
  run->BuildListing(ui);
  EXPECT_TRUE(Page().starts_with("\xEF\xBB\xBFOstrivel D.p([\"C:/Data*0*"));
}

TEST_F(ListingRunTest, PageThatCannotBeCreatedEndsTheRun) {
  files.createErrors[kPage] = kErrorAccessDenied;
  try {
    run->BuildListing(ui);
    ADD_FAILURE() << "no failure raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), u"Cannot create file \"D:\\Out\\181208093000.html\". Error 5");
  }
  EXPECT_EQ(run->LastOutcome(), ListingOutcome::PageFailed);
  EXPECT_TRUE(ui.messages.empty()) << "no completion message";
  EXPECT_FALSE(run->InProgress());
  EXPECT_EQ(run->RecordLines.Count(), 3) << "the results stay";
  EXPECT_EQ(run->FileCount, 2);
}

TEST_F(ListingRunTest, PosixKeepsTheOutputFolderAsChosen) {
  FakeFileSystem posix(PathStyle::Posix);
  posix.AddFile(u"/app/template.html", 1);
  posix.AddDirectory(u"/data");
  files.files[u"C:\\work\\/app/template.html"] = "\xEF\xBB\xBF[SOURCE ROOT]";
  ListingRun posixRun({posix, collation, files, clock, *regional}, u"/app/");
  ui.source = u"/data";
  ui.chosen = u"/out/a\\b";
  posixRun.BuildListing(ui);
  EXPECT_EQ(posixRun.PagePath(), u"/out/a\\b/181208093000.html");
  EXPECT_EQ(posixRun.LastOutcome(), ListingOutcome::PageWritten);
}

// The same tree in both fakes: 60 folders on three levels, files among them,
// one folder that cannot be searched and one file that cannot be looked up,
// so that both threads meet records of every kind.
void BuildWideTree(FakeFileSystem& fs) {
  const uint64_t t = FileTimeOf(2018, 12, 8, 9, 30, 0);
  fs.AddDirectory(u"C:\\Wide", t);
  for (int a = 0; a < 4; ++a) {
    const Text top = u"C:\\Wide\\T" + Decimal(a);
    for (int b = 0; b < 14; ++b) {
      const Text mid = top + u"\\m & " + Decimal(13 - b);
      fs.AddDirectory(mid, t + static_cast<uint64_t>(b) * 10000000);
      for (int f = 0; f < b % 4; ++f) {
        fs.AddFile(mid + u"\\f" + Decimal(f) + u".txt", static_cast<uint64_t>(a * 100 + b + f), t);
      }
    }
  }
  fs.AddFile(u"C:\\Wide\\big.bin", 1ULL << 40, t);
  fs.Fail(FakeOp::SearchFolder, u"C:\\Wide\\T1\\m & 3\\*");
  fs.Fail(FakeOp::FindEntry, u"C:\\Wide\\T2\\m & 6\\f1.txt");
}

TEST_F(ListingRunTest, AHelperThreadWritesTheSamePage) {
  BuildWideTree(fs);
  FakeFileSystem helperFs(PathStyle::Windows);
  BuildWideTree(helperFs);
  testing::PlainCollation helperCollation;
  const RecordHelper helper{helperFs, helperCollation};
  ui.source = u"C:\\Wide";

  run->BuildListing(ui);
  const std::string alone = Page();
  const int64_t fileCount = run->FileCount;
  const int64_t size = run->TotalSize;
  ASSERT_EQ(run->DirList.Count(), 61);

  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    testing::RecordingUi twoUi;
    twoUi.source = ui.source;
    twoUi.chosen = ui.chosen;
    ListingRun two(ListingServices{fs, collation, files, clock, *regional, &helper}, kAppDir);
    two.BuildListing(twoUi);
    EXPECT_EQ(Page(), alone);
    EXPECT_EQ(two.FileCount, fileCount);
    EXPECT_EQ(two.TotalSize, size);
    ASSERT_FALSE(twoUi.progress.empty());
    int32_t last = 0;
    for (const ListingProgress& p : twoUi.progress) {
      EXPECT_GE(p.directoriesDone, last) << "progress never goes back";
      last = p.directoriesDone;
    }
    EXPECT_EQ(twoUi.progress.back().directoriesDone, 61);
    EXPECT_EQ(twoUi.progress.back().filesSoFar, fileCount);
  }
}

}  // namespace
}  // namespace ostrivel
