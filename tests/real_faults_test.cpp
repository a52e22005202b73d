// Faults on real disks, through the whole listing run on the system's back
// ends (POSIX natively, Win32 under Wine): the tree changing during the run,
// a link loop, paths past 300 characters, a full disk while the page is
// written, an output folder that vanished. The run must end as the failure
// table says, with a page that parses, or with the page's own error and no
// page left behind.
//
// Under Wine, trees that a Windows program cannot make (symbolic links, a
// small disk) come from tests/real_faults_wine.sh through the environment:
// OSTRIVEL_FAULTS_LOOP (a folder holding a link loop) and
// OSTRIVEL_SMALL_DISK (a folder on a 64 KiB file system).

#include "tests/real_faults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/error.h"
#include "page/text_file.h"
#include "scan/file_queries.h"
#include "scan/file_system.h"
#include "tests/record_block.h"
#include "tests/temp_tree_platform.h"

namespace ostrivel::testing {

RealRun::RealRun() : collation_(MakeUserCollation()), regional_(SystemLocaleSource()) {
  appDir_ = tree.Path(u"app") + tree.Separator();
  tree.Dir(u"app");
  tree.Dir(u"src");
  tree.Dir(u"out");
  SetTemplate("\xEF\xBB\xBF<script>\n[DIR DATA]</script>\n");
  ui.source = tree.Path(u"src");
  ui.chosen = tree.Path(u"out");
}

void RealRun::SetTemplate(const std::string& bytes) {
  std::ofstream(NativePath(appDir_ + u"template.html"), std::ios::binary) << bytes;
}

std::optional<Text> RealRun::Run(bool helper) {
  const std::unique_ptr<FileSystem> helperFs = NewSystemFileSystem();
  const std::unique_ptr<Collation> helperCollation = MakeUserCollation();
  const RecordHelper helperServices{*helperFs, *helperCollation};
  run = std::make_unique<ListingRun>(
      ListingServices{SystemFileSystem(), *collation_, SystemTextFiles(), SystemClock(), regional_,
                      helper ? &helperServices : nullptr},
      appDir_);
  try {
    run->BuildListing(ui);
  } catch (const Error& e) {
    return e.Message();
  }
  return std::nullopt;
}

std::vector<ParsedRecord> RealRun::Records() {
  std::vector<ParsedRecord> records;
  EXPECT_EQ(run->RecordLines.Count(), run->DirList.Count());
  int64_t entries = 0;
  for (int32_t k = 0; k < run->RecordLines.Count(); ++k) {
    ParsedRecord record;
    std::string why;
    EXPECT_TRUE(ParseRecord(run->RecordLines[k], record, why))
        << why << ": " << Utf8(run->RecordLines[k]);
    for (int32_t index : record.indices) EXPECT_LT(index, run->DirList.Count());
    entries += static_cast<int64_t>(record.files.size());
    records.push_back(std::move(record));
  }
  EXPECT_EQ(run->FileCount, entries);
  return records;
}

int32_t RealRun::IndexOf(const Text& path) const {
  for (int32_t k = 0; k < run->DirList.Count(); ++k) {
    if (run->DirList[k] == path) return k;
  }
  return -1;
}

std::vector<Text> RealRun::FilesIn(const Text& folder) {
  std::vector<Text> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(NativePath(folder), error)) {
    names.push_back(PathText(entry.path().filename()));
  }
  return names;
}

Text RealRun::Shown(const Text& path) {
  Text shown = ReplaceAll(path, u"&", u"&amp;");
  for (char16_t& c : shown) {
    if (c == u'\\') c = u'/';
  }
  return shown;
}

Text FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? Text() : U(value);
}

namespace {

bool Windows() { return SystemFileSystem().Style() == PathStyle::Windows; }

// Folders vanish and appear, and a file of the folder being recorded goes,
// while the records are built; the window's message pump does it.
TEST(RealFaults, TreeChangingDuringTheRun) {
  RealRun r;
  for (const char16_t* f : {u"src/a/1.txt", u"src/a/2.txt", u"src/a/3.txt", u"src/b/x.txt",
                            u"src/c/gone.txt", u"src/c/deeper/gone2.txt"}) {
    r.tree.File(f, 10);
  }
  bool changed = false;
  Text removedFile;
  r.ui.onPump = [&] {
    // The first pump comes after the first file of the root's first folder
    // with files, src/a: the rest of the tree is not recorded yet.
    if (changed || r.run->FileList.Count() < 3) return;
    changed = true;
    std::filesystem::remove_all(NativePath(r.tree.Path(u"src/c")));
    r.tree.Dir(u"src/b/new");
    r.tree.File(u"src/b/late.txt", 5);
    removedFile = r.run->FileList[2];  // not looked up yet
    std::filesystem::remove(NativePath(removedFile));
  };
  ASSERT_EQ(r.Run(), std::nullopt);
  ASSERT_TRUE(changed);
  EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageWritten);
  EXPECT_EQ(r.ui.messages.size(), 1u);

  const std::vector<ParsedRecord> records = r.Records();
  // Catalogued before the change, gone before its record: every step falls back.
  for (const char16_t* gone : {u"src/c", u"src/c/deeper"}) {
    const int32_t k = r.IndexOf(r.tree.Path(gone));
    ASSERT_GE(k, 0) << Utf8(gone);
    EXPECT_EQ(r.run->RecordLines[k],
              u"D.p([\"" + RealRun::Shown(r.tree.Path(gone)) + u"*0*-\",0,\"\"])");
  }
  // Made after the catalogue: in no record and no index.
  EXPECT_EQ(r.IndexOf(r.tree.Path(u"src/b/new")), -1);
  // src/a lost its third file between listing and lookup; src/b gained one
  // before its listing.
  const ParsedRecord& a = records[r.IndexOf(r.tree.Path(u"src/a"))];
  ASSERT_EQ(a.files.size(), 2u);
  EXPECT_EQ(a.sum, 20);
  const ParsedRecord& b = records[r.IndexOf(r.tree.Path(u"src/b"))];
  ASSERT_EQ(b.files.size(), 2u);
  EXPECT_EQ(b.sum, 15);
  EXPECT_EQ(r.run->FileCount, 4);
  EXPECT_EQ(r.run->TotalSize, 35);
}

// Two threads building the records write what one does, on the real back
// end: the same records in the same places and the same counts, over a tree
// wide enough for both, with names that need escaping, empty folders and
// (where links can be made) a link to a folder and one that leads nowhere.
TEST(RealFaults, RecordsOfTwoThreadsAreThoseOfOne) {
  RealRun r;
  for (int a = 0; a < 6; ++a) {
    for (int b = 0; b < 12; ++b) {
      const Text folder = u"src/" + Decimal(a) + u" & x/Mid " + Decimal(11 - b);
      r.tree.Dir(folder);
      for (int f = 0; f < b % 5; ++f) {
        r.tree.File(folder + u"/f" + Decimal(f) + (f % 2 ? u".txt" : u"&.bin"), a * 1000 + f);
      }
    }
  }
  r.tree.File(u"src/top.txt", 123456789);
  r.tree.Link(u"src/0 & x/to-1", r.tree.Path(u"src/1 & x"), true);
  r.tree.Link(u"src/2 & x/nowhere", r.tree.Path(u"src/gone"), false);

  ASSERT_EQ(r.Run(), std::nullopt);
  const std::vector<Text> alone = r.run->RecordLines.Lines();
  const int64_t files = r.run->FileCount;
  const int64_t size = r.run->TotalSize;
  ASSERT_GT(r.run->DirList.Count(), 72);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(r.Run(true), std::nullopt);
    EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageWritten);
    EXPECT_EQ(r.run->RecordLines.Lines(), alone);
    EXPECT_EQ(r.run->FileCount, files);
    EXPECT_EQ(r.run->TotalSize, size);
  }
  r.Records();
}

// The output folder is gone when the page is written: the page's own error,
// with the full path, no completion message, nothing written.
TEST(RealFaults, OutputFolderThatVanished) {
  RealRun r;
  r.tree.File(u"src/a.txt", 1);
  r.ui.onPump = [&] { std::filesystem::remove_all(NativePath(r.tree.Path(u"out"))); };
  const std::optional<Text> error = r.Run();
  ASSERT_TRUE(error.has_value());
  // Cannot create file "<out>/<yymmddhhnnss>.html". <the system's text>
  const Text prefix = u"Cannot create file \"" + r.tree.Path(u"out") + r.tree.Separator();
  EXPECT_EQ(error->substr(0, prefix.size()), prefix) << Utf8(*error);
  const size_t close = error->find(u".html\". ", prefix.size());
  ASSERT_EQ(close, prefix.size() + 12) << Utf8(*error);
  EXPECT_GT(error->size(), close + 8) << "the system's text is missing";
  EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageFailed);
  EXPECT_TRUE(r.ui.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(NativePath(r.tree.Path(u"out"))));
  // The records were all built before the page failed.
  EXPECT_EQ(r.run->RecordLines.Count(), 1);
}

// Folders nested past 300 characters. Where the path rules stop at 248
// (Windows), those folders are catalogued but get the fallback record; their
// files are not counted. Elsewhere they are listed like any other.
TEST(RealFaults, PathsPast300Characters) {
  RealRun r;
  const Text part(60, u'p');
  Text relative = u"src";
  std::vector<Text> folders;
  for (int level = 0; level < 5; ++level) {
    relative += u"/" + part + Decimal(level);
    folders.push_back(relative);
    std::error_code error;
    std::filesystem::create_directories(NativePath(r.tree.Path(relative)), error);
    if (error) GTEST_SKIP() << "the platform refuses paths of " << r.tree.Path(relative).size();
    std::ofstream(NativePath(r.tree.Path(relative + u"/f.txt")), std::ios::binary) << "abc";
  }
  ASSERT_GT(r.tree.Path(folders.back()).size(), 300u);
  ASSERT_EQ(r.Run(), std::nullopt);
  EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageWritten);
  const std::vector<ParsedRecord> records = r.Records();
  int64_t expectedFiles = 0;
  for (const Text& folder : folders) {
    const Text path = r.tree.Path(folder);
    SCOPED_TRACE(path.size());
    const int32_t k = r.IndexOf(path);
    // A search path too long for the platform ends the walk there.
    if (k < 0) {
      EXPECT_TRUE(Windows() && path.size() >= 248);
      continue;
    }
    if (Windows() && path.size() >= kWindowsPathLimit) {
      EXPECT_EQ(r.run->RecordLines[k], u"D.p([\"" + RealRun::Shown(path) + u"*0*-\",0,\"\"])");
    } else {
      EXPECT_TRUE(records[k].hasTime);
      ASSERT_EQ(records[k].files.size(), 1u);
      EXPECT_EQ(records[k].files[0].size, 3);
      ++expectedFiles;
    }
  }
  EXPECT_EQ(r.run->FileCount, expectedFiles);
  EXPECT_EQ(r.run->TotalSize, 3 * expectedFiles);
}

// A link to the folder that holds it, and one to the root: the walk lists
// each link once and enters neither, and the run ends.
TEST(RealFaults, LinkLoop) {
  RealRun r;
  Text root = FromEnvironment("OSTRIVEL_FAULTS_LOOP");
  if (root.empty()) {
    r.tree.File(u"src/a/b/f.txt", 1);
    if (!r.tree.Link(u"src/a/b/again", u"..", true) ||
        !r.tree.Link(u"src/a/b/root", r.tree.Path(u"src"), true) ||
        !r.tree.Link(u"src/a/self", u".", true)) {
      GTEST_SKIP() << "no symbolic links here (see tests/real_faults_wine.sh)";
    }
    root = r.tree.Path(u"src");
  }
  r.ui.source = root;
  ASSERT_EQ(r.Run(), std::nullopt);
  EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageWritten);
  const std::vector<ParsedRecord> records = r.Records();
  // src, a, a/b and the three links, each reported once by its folder.
  EXPECT_EQ(r.run->DirList.Count(), 6) << Utf8(r.run->RecordLines.GetText());
  for (const Text& path : r.run->DirList.Lines()) {
    EXPECT_LT(path.size(), root.size() + 20) << "a loop was entered: " << Utf8(path);
  }
  EXPECT_EQ(r.run->FileCount, 1);
}

// The disk fills while the page is written: "Stream write error", no
// completion message, and no page cut short left behind.
TEST(RealFaults, FullDiskWhileThePageIsWritten) {
  RealRun r;
  Text small = FromEnvironment("OSTRIVEL_SMALL_DISK");
  std::unique_ptr<SmallDisk> disk;
  if (small.empty()) {
    disk = SmallDisk::Mount(r.tree.Path(u"tiny"));
    if (!disk)
      GTEST_SKIP() << "cannot mount a small file system here (see tests/real_faults_wine.sh)";
    small = disk->Folder();
  }
  r.tree.File(u"src/a.txt", 1);
  // A page larger than the disk: 256 KiB of template.
  r.SetTemplate("\xEF\xBB\xBF<!--" + std::string(256 * 1024, 'x') + "-->\n[DIR DATA]\n");
  r.ui.chosen = small;
  const std::optional<Text> error = r.Run();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(*error, u"Stream write error");
  EXPECT_TRUE(r.ui.messages.empty());
  EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageFailed);
  EXPECT_EQ(RealRun::FilesIn(small), std::vector<Text>{}) << "a partial page was left";
}

}  // namespace
}  // namespace ostrivel::testing
