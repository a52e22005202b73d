// Faults injected into every guarded step of the records (the directory's
// time, the file listing, each file, the subdirectories) and of the catalogue
// walk, combined at random over generated trees on the in-memory file system.
// A model of the tree says what each record must hold, fallbacks included;
// the run must never fail and its counters must agree with what it wrote.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/error.h"
#include "page/date_time.h"
#include "scan/listing_run.h"
#include "tests/fake_file_system.h"
#include "tests/fake_text_files.h"
#include "tests/listing_fakes.h"
#include "tests/record_block.h"

namespace ostrivel {
namespace {

using testing::FakeFileSystem;
using testing::FakeNode;
using testing::FakeOp;
using testing::FileTimeOf;

constexpr uint32_t kSeed = 20181208;
constexpr int kTrees = 150;

// The faults a directory can carry; each names the row of the failure table
// it exercises.
struct DirFaults {
  bool pathNotFound = false;      // its attributes say "not there": A and D fail
  bool attributesDenied = false;  // access denied on its attributes: counts as existing, no effect
  bool attributeData = false;     // its attribute data cannot be read: time 0.0
  bool timeConversion = false;    // its time cannot be converted: time 0.0
  bool volume = false;            // (links) the link's volume cannot be examined: A fails
  bool absoluteNotFound = false;  // its absolute form says "not there": B fails
  bool fullPath = false;          // making its path absolute fails: B and D fail
  bool subdirFullPath = false;    // only the subdirectory listing's FullPath fails: D fails
  bool denySearch = false;        // searching inside it is refused: nothing below it
  bool truncated = false;         // its search ends after the first entry
};

enum class FileFault { None, Gone, DateAfter9999, ConversionFails };

struct ModelFile {
  Text name;
  uint64_t size = 0;
  uint64_t time = 0;
  FileFault fault = FileFault::None;
};

struct ModelDir {
  Text name;
  uint64_t time = 0;  // of the folder itself, or of a link's target
  bool isLink = false;
  DirFaults faults;
  // In search order; exactly one of the two is set per child.
  struct Child {
    std::unique_ptr<ModelDir> dir;
    std::unique_ptr<ModelFile> file;
  };
  std::vector<Child> children;
};

// A FakeFileSystem whose FullPath can fail on chosen calls for a path only
// (the n-th call for it), which no permanent failure can do.
class CountingFileSystem : public FakeFileSystem {
 public:
  using FakeFileSystem::FakeFileSystem;
  std::set<std::pair<Text, int>> failFullPathCalls;

  Text FullPath(const Text& path, uint32_t& error) override {
    const int n = ++fullPathCalls_[path];
    if (failFullPathCalls.count({path, n}) != 0) {
      error = kErrorAccessDenied;
      return Text();
    }
    return FakeFileSystem::FullPath(path, error);
  }

 private:
  std::map<Text, int> fullPathCalls_;
};

Text TimeText(uint64_t fileTime) {
  // Civil date of a FILETIME, UTC (the fake's local offset is 0).
  const int64_t seconds = static_cast<int64_t>(fileTime / 10000000);
  int64_t days = seconds / 86400 + testing::DaysFromCivil(1601, 1, 1);
  const int64_t rest = seconds % 86400;
  // Civil from days since 1970-01-01.
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld/%lld/%lld %lld:%02lld:%02lld",
                static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                static_cast<long long>(rest % 60));
  return U(buffer);
}

class Generator {
 public:
  explicit Generator(uint32_t seed, bool faulty = true) : random_(seed), faulty_(faulty) {}

  int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

  // Names that the record and the page must carry as they are, unique in
  // their folder without regard to case (the Windows-style fake ignores it).
  Text Name(std::set<Text>& taken) {
    static const TextView kParts[] = {u"a", u"B",   u"c d", u"&",    u"&amp;",     u"'",  u",",
                                      u"*", u"(1)", u"é",   u"快照", u"x.txt",     u"10", u"9",
                                      u"_", u"%",   u"$",   u";",    u"\U0001F600"};
    for (;;) {
      Text name;
      const int n = 1 + Below(3);
      for (int i = 0; i < n; ++i) name += kParts[Below(std::size(kParts))];
      name += Decimal(counter_++ % 7);
      Text folded = name;
      for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') c += 32;
      }
      if (taken.insert(folded).second) return name;
    }
  }

  uint64_t Time() {
    // Years 1700 to 2200, distinct, so that a failure keyed by time hits one entry.
    return FileTimeOf(1700 + Below(500), 1 + Below(12), 1 + Below(28), Below(24), Below(60),
                      Below(60)) +
           ++counter_ * 10000000ULL;
  }

  uint64_t Size() {
    switch (Below(6)) {
      case 0:
        return 0;
      case 1:
        return 4294967296ULL + Below(1000);  // past 32 bits
      case 2:
        return (1ULL << 63) + Below(10);  // negative as a signed size
      default:
        return static_cast<uint64_t>(Below(100000));
    }
  }

  std::unique_ptr<ModelDir> Tree(int depth, bool isRoot) {
    auto dir = std::make_unique<ModelDir>();
    dir->time = Time();
    dir->isLink = faulty_ && !isRoot && Chance(15);
    std::set<Text> taken;
    const int subdirs = depth >= 3 ? 0 : Below(isRoot ? 5 : 4);
    const int files = Below(5);
    std::vector<int> kinds(subdirs, 1);
    kinds.resize(subdirs + files, 0);
    std::shuffle(kinds.begin(), kinds.end(), random_);
    for (int kind : kinds) {
      ModelDir::Child child;
      if (kind == 1) {
        child.dir = Tree(depth + 1, false);
        child.dir->name = Name(taken);
      } else {
        child.file = std::make_unique<ModelFile>();
        child.file->name = Name(taken);
        child.file->size = Size();
        child.file->time = Time();
        const int f = faulty_ ? Below(100) : 100;
        child.file->fault = f < 8    ? FileFault::Gone
                            : f < 16 ? FileFault::DateAfter9999
                            : f < 22 ? FileFault::ConversionFails
                                     : FileFault::None;
        if (child.file->fault == FileFault::DateAfter9999) {
          child.file->time = FileTimeOf(10000 + Below(15000), 1 + Below(12), 1 + Below(28));
        }
      }
      dir->children.push_back(std::move(child));
    }
    if (!faulty_) return dir;
    DirFaults& f = dir->faults;
    f.pathNotFound = Chance(6);
    f.attributesDenied = Chance(6);
    f.attributeData = Chance(6);
    f.timeConversion = Chance(6);
    f.volume = dir->isLink && Chance(30);
    f.absoluteNotFound = Chance(6);
    f.fullPath = Chance(5);
    f.subdirFullPath = Chance(6);
    f.denySearch = Chance(5);
    f.truncated = Chance(5);
    return dir;
  }

 private:
  std::mt19937 random_;
  bool faulty_;
  uint64_t counter_ = 0;
};

// What a run over the model must give.
struct Expected {
  std::vector<Text> catalogue;
  std::map<Text, const ModelDir*> byPath;
  std::vector<Text> records;
  int64_t fileCount = 0;
  int64_t totalSize = 0;
  int64_t hiddenSizes = 0;                     // sizes counted for files whose date was past 9999
  std::map<std::string, int>* seen = nullptr;  // how often each fallback was met
};

class FaultInjectionTest : public ::testing::TestWithParam<PathStyle> {
 protected:
  bool Windows() const { return GetParam() == PathStyle::Windows; }
  // The root is typed in a form the platform rewrites ("/" on Windows, a "."
  // part on POSIX), so that a fault can hit the absolute form alone.
  Text Root() const { return Windows() ? u"C:/src" : u"/src/."; }
  Text TargetRoot() const { return Windows() ? u"C:\\targets" : u"/targets"; }
  Text Join(const Text& folder, const Text& name) const {
    const char16_t last = folder.back();
    if (Windows()) return folder + (last == u'\\' || last == u'/' ? u"" : u"\\") + name;
    return folder + (last == u'/' ? u"" : u"/") + name;
  }

  // Puts the model into the fake: real folders at their place, link folders
  // as links to a folder of their own under the targets root.
  void Place(CountingFileSystem& fs, const ModelDir& dir, const Text& path, bool isRoot) {
    Text real = path;
    if (isRoot) {
      real = Windows() ? u"C:\\src" : u"/src";
      fs.AddDirectory(real, dir.time);
    } else if (dir.isLink) {
      real = Join(TargetRoot(), u"t" + Decimal(++targets_));
      fs.AddDirectory(real, dir.time);
      fs.AddLink(path, real, dir.time + 1234567);
    } else {
      fs.AddDirectory(path, dir.time);
    }
    FakeNode& node = *fs.Node(real);
    node.denySearch = dir.faults.denySearch;
    for (const ModelDir::Child& child : dir.children) {
      if (child.dir) {
        Place(fs, *child.dir, Join(real, child.dir->name), false);
      } else {
        FakeNode& file =
            fs.AddFile(Join(real, child.file->name), child.file->size, child.file->time);
        file.ghost = child.file->fault == FileFault::Gone;
        if (child.file->fault == FileFault::ConversionFails)
          fs.FailTimeConversion(child.file->time);
      }
    }
  }

  // The faults keyed by path, at the path the catalogue holds.
  void Inject(CountingFileSystem& fs, const ModelDir& dir, const Text& path, bool isRoot) {
    const DirFaults& f = dir.faults;
    uint32_t error = 0;
    const Text absolute = fs.FakeFileSystem::FullPath(path, error);
    if (f.pathNotFound) fs.Fail(FakeOp::GetAttributes, path, kErrorPathNotFound);
    if (f.attributesDenied && !f.pathNotFound)
      fs.Fail(FakeOp::GetAttributes, path, kErrorAccessDenied);
    if (f.attributeData) fs.Fail(FakeOp::GetAttributeData, path);
    if (f.timeConversion) fs.FailTimeConversion(dir.time);
    if (f.volume) fs.Fail(FakeOp::ExamineVolume, path);
    if (f.absoluteNotFound && absolute != path) {
      fs.Fail(FakeOp::GetAttributes, absolute, kErrorPathNotFound);
    }
    if (f.fullPath) fs.Fail(FakeOp::FullPath, path);
    // The catalogue walk asks first for the root, then ListFiles, then ListSubdirectories.
    if (f.subdirFullPath) fs.failFullPathCalls.insert({path, isRoot ? 3 : 2});
    if (f.truncated) fs.Fail(FakeOp::SearchNext, Join(path, u"*"));
    for (const ModelDir::Child& child : dir.children) {
      if (child.dir) Inject(fs, *child.dir, Join(path, child.dir->name), false);
    }
  }

  // The entries a search of the folder yields, as the fake yields them.
  std::vector<const ModelDir::Child*> Searched(const ModelDir& dir) const {
    std::vector<const ModelDir::Child*> out;
    if (dir.faults.denySearch) return out;
    for (const ModelDir::Child& child : dir.children) out.push_back(&child);
    // A search that ends after its first entry: below a drive root that entry is ".".
    if (dir.faults.truncated) out.resize(Windows() ? 0 : std::min<size_t>(out.size(), 1));
    return out;
  }

  void Catalogue(const ModelDir& dir, const Text& path, Expected& e) const {
    for (const ModelDir::Child* child : Searched(dir)) {
      if (!child->dir) continue;
      const Text p = Join(path, child->dir->name);
      e.catalogue.push_back(p);
      e.byPath[p] = child->dir.get();
      Catalogue(*child->dir, p, e);
    }
  }

  Text RecordOf(const ModelDir& dir, const Text& path, Expected& e, testing::PlainCollation& c) {
    const DirFaults& f = dir.faults;
    Text record = u"D.p([\"" + ReplaceAll(path, u"&", u"&amp;");
    auto& seen = *e.seen;
    // In the order DirectoryWriteTime meets them.
    if (f.pathNotFound || (f.volume && !f.attributeData)) {
      record += u"*0*-\"";
      ++seen[f.pathNotFound ? "A: path not found" : "A: volume cannot be examined"];
    } else if (f.attributeData || f.timeConversion) {
      record += u"*0*1899/12/30 0:00:00\"";
      ++seen["A: time 0.0"];
    } else {
      record += u"*0*" + TimeText(dir.time) + u"\"";
    }

    Text files;
    uint64_t sum = 0;
    if (f.absoluteNotFound || f.fullPath) ++seen["B: file listing fails"];
    if (f.denySearch) ++seen["search refused"];
    if (f.truncated) ++seen["search ends early"];
    if (f.attributesDenied) ++seen["attributes denied"];
    if (!f.absoluteNotFound && !f.fullPath) {
      std::vector<std::pair<Text, const ModelFile*>> listed;
      for (const ModelDir::Child* child : Searched(dir)) {
        if (child->file) listed.emplace_back(Join(path, child->file->name), child->file.get());
      }
      std::sort(listed.begin(), listed.end(),
                [&](const auto& a, const auto& b) { return c.Compare(a.first, b.first) < 0; });
      for (const auto& [full, file] : listed) {
        if (file->fault == FileFault::Gone) {
          ++seen["C: file gone"];
          continue;
        }
        sum += file->size;
        if (file->fault == FileFault::DateAfter9999) {
          e.hiddenSizes = static_cast<int64_t>(static_cast<uint64_t>(e.hiddenSizes) + file->size);
          ++seen["C: date after 9999"];
          continue;
        }
        if (file->fault == FileFault::ConversionFails) ++seen["C: time conversion fails"];
        const Text time = file->fault == FileFault::ConversionFails ? Text(u"1900/1/1 0:00:00")
                                                                    : TimeText(file->time);
        files += u",\"" + ReplaceAll(file->name, u"&", u"&amp;") + u"*" +
                 Decimal(static_cast<int64_t>(file->size)) + u"*" + time + u"\"";
        ++e.fileCount;
      }
    }
    e.totalSize = static_cast<int64_t>(static_cast<uint64_t>(e.totalSize) + sum);
    record += files.empty() ? Text(u",0") : files + u"," + Decimal(static_cast<int64_t>(sum));

    Text indices;
    if (f.pathNotFound || f.fullPath || f.subdirFullPath) ++seen["D: subdirectory listing fails"];
    if (!f.pathNotFound && !f.fullPath && !f.subdirFullPath) {
      std::vector<Text> subdirs;
      for (const ModelDir::Child* child : Searched(dir)) {
        if (child->dir) subdirs.push_back(Join(path, child->dir->name));
      }
      std::sort(subdirs.begin(), subdirs.end(),
                [&](const Text& a, const Text& b) { return c.Compare(a, b) < 0; });
      for (const Text& s : subdirs) {
        auto at = std::find(e.catalogue.begin(), e.catalogue.end(), s);
        if (at == e.catalogue.end()) {
          ++seen["D: subdirectory not catalogued"];
          continue;
        }
        indices += (indices.empty() ? u"" : u"*") + Decimal(at - e.catalogue.begin());
      }
    }
    record += u",\"" + indices + u"\"])";
    std::replace(record.begin(), record.end(), u'\\', u'/');
    return record;
  }

  Expected Expect(const ModelDir& root, bool walkFails, testing::PlainCollation& c) {
    Expected e;
    e.seen = &seen_;
    if (walkFails || root.faults.pathNotFound || root.faults.fullPath)
      ++seen_["catalogue walk fails"];
    e.catalogue.push_back(Root());
    e.byPath[Root()] = &root;
    // The walk fails as a whole when the root itself fails its checks.
    if (!walkFails && !root.faults.pathNotFound && !root.faults.fullPath)
      Catalogue(root, Root(), e);
    std::sort(e.catalogue.begin(), e.catalogue.end(),
              [&](const Text& a, const Text& b) { return c.Compare(a, b) < 0; });
    for (const Text& path : e.catalogue) e.records.push_back(RecordOf(*e.byPath[path], path, e, c));
    return e;
  }

  int targets_ = 0;
  std::map<std::string, int> seen_;
};

TEST_P(FaultInjectionTest, EveryFallbackIsTheOneItsFailureNames) {
  Generator generator(kSeed + static_cast<uint32_t>(GetParam()));
  int recordsChecked = 0;
  for (int tree = 0; tree < kTrees; ++tree) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    std::unique_ptr<ModelDir> root = generator.Tree(0, true);
    const bool walkFails = generator.Chance(8);

    CountingFileSystem fs(GetParam());
    testing::PlainCollation collation;
    testing::FakeTextFiles textFiles;
    testing::ScriptedClock clock;
    testing::TableLocaleSource locale;
    SetPlainDateFormats(locale);
    RegionalSettings regional(locale);
    testing::RecordingUi ui;
    const Text appDir = Windows() ? u"C:\\app\\" : u"/app/";
    const std::string page = "\xEF\xBB\xBF<script>\n[DIR DATA]</script>\n";
    textFiles.files[textFiles.FullPath(appDir + u"template.html")] = page;
    fs.AddFile(appDir + u"template.html", page.size());
    targets_ = 0;
    Place(fs, *root, Root(), true);
    Inject(fs, *root, Root(), true);
    if (walkFails) fs.failFullPathCalls.insert({Root(), 1});
    ui.source = Root();
    ui.chosen = Windows() ? u"D:\\Out" : u"/out";

    const Expected expected = Expect(*root, walkFails, collation);
    ListingRun run(ListingServices{fs, collation, textFiles, clock, regional}, appDir);
    ASSERT_NO_THROW(run.BuildListing(ui));
    EXPECT_EQ(run.LastOutcome(), ListingOutcome::PageWritten);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(fs.OpenSearches(), 0);

    ASSERT_EQ(run.DirList.Lines(), expected.catalogue);
    ASSERT_EQ(run.RecordLines.Count(), run.DirList.Count());
    int64_t entrySizes = 0, entries = 0;
    for (int32_t k = 0; k < run.RecordLines.Count(); ++k) {
      SCOPED_TRACE(Utf8(expected.catalogue[k]));
      EXPECT_EQ(Utf8(run.RecordLines[k]), Utf8(expected.records[k]));
      testing::ParsedRecord parsed;
      std::string why;
      ASSERT_TRUE(testing::ParseRecord(run.RecordLines[k], parsed, why)) << why;
      for (int32_t index : parsed.indices) EXPECT_LT(index, run.DirList.Count());
      for (const testing::ParsedFile& file : parsed.files) {
        entrySizes = static_cast<int64_t>(static_cast<uint64_t>(entrySizes) + file.size);
        ++entries;
      }
      ++recordsChecked;
    }
    // The counters agree with the entries written; only files whose date lies
    // past 9999 are counted in the size without an entry.
    EXPECT_EQ(run.FileCount, entries);
    EXPECT_EQ(run.FileCount, expected.fileCount);
    EXPECT_EQ(run.TotalSize, expected.totalSize);
    EXPECT_EQ(static_cast<int64_t>(static_cast<uint64_t>(run.TotalSize) - entrySizes),
              expected.hiddenSizes);
    if (HasFailure()) break;
  }
  EXPECT_GT(recordsChecked, kTrees * 3);
  // Every fault was met, many times over.
  for (const char* fallback :
       {"A: path not found", "A: volume cannot be examined", "A: time 0.0", "B: file listing fails",
        "C: file gone", "C: date after 9999", "C: time conversion fails",
        "D: subdirectory listing fails", "D: subdirectory not catalogued", "catalogue walk fails",
        "search refused", "search ends early", "attributes denied"}) {
    EXPECT_GE(seen_[fallback], 5) << fallback;
  }
}

// The tree changes while the records are built: folders that were catalogued
// vanish before their record, folders appear below folders not yet recorded,
// files vanish while their folder is being recorded. The run goes on, writes a
// record for every catalogued folder, refers only to catalogued folders, and
// counts only what it wrote.
TEST_P(FaultInjectionTest, TreeChangingDuringTheRun) {
  Generator generator(kSeed * 3 + static_cast<uint32_t>(GetParam()), false);
  std::mt19937 random(kSeed);
  int removedChecked = 0, added = 0, filesRemoved = 0;
  for (int tree = 0; tree < kTrees; ++tree) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    std::unique_ptr<ModelDir> root = generator.Tree(0, true);
    CountingFileSystem fs(GetParam());
    testing::PlainCollation collation;
    testing::FakeTextFiles textFiles;
    testing::ScriptedClock clock;
    testing::TableLocaleSource locale;
    SetPlainDateFormats(locale);
    RegionalSettings regional(locale);
    testing::RecordingUi ui;
    const Text appDir = Windows() ? u"C:\\app\\" : u"/app/";
    textFiles.files[textFiles.FullPath(appDir + u"template.html")] = "[DIR DATA]";
    fs.AddFile(appDir + u"template.html", 10);
    Place(fs, *root, Root(), true);
    ui.source = Root();
    ui.chosen = Windows() ? u"D:\\Out" : u"/out";

    ListingRun run(ListingServices{fs, collation, textFiles, clock, regional}, appDir);
    std::set<Text> removed;  // catalogue paths removed before their record began
    std::set<Text> created;
    ui.onPump = [&] {
      const int32_t done = run.RecordLines.Count();  // the record in progress is the next
      const int32_t count = run.DirList.Count();
      const int choice = static_cast<int>(random() % 100);
      if (choice < 6 && done + 1 < count) {
        const Text victim =
            run.DirList[done + 1 + static_cast<int32_t>(random() % (count - done - 1))];
        if (fs.Node(victim) != nullptr) {
          fs.Remove(victim);
          removed.insert(victim);
        }
      } else if (choice < 12 && done < count) {
        const Text parent = run.DirList[done + static_cast<int32_t>(random() % (count - done))];
        if (fs.Node(parent) != nullptr) {
          const Text fresh = Join(parent, u"new" + Decimal(added++));
          fs.AddDirectory(fresh);
          created.insert(fresh);
        }
      } else if (choice < 20 && run.FileList.Count() > 0) {
        const Text file = run.FileList[static_cast<int32_t>(random() % run.FileList.Count())];
        if (fs.Node(file) != nullptr) {
          fs.Remove(file);
          ++filesRemoved;
        }
      }
    };
    ASSERT_NO_THROW(run.BuildListing(ui));
    EXPECT_EQ(run.LastOutcome(), ListingOutcome::PageWritten);
    ASSERT_EQ(run.RecordLines.Count(), run.DirList.Count());

    int64_t entries = 0, sizes = 0;
    for (int32_t k = 0; k < run.RecordLines.Count(); ++k) {
      const Text& path = run.DirList[k];
      SCOPED_TRACE(Utf8(path));
      EXPECT_EQ(created.count(path), 0u) << "a folder made after the catalogue was catalogued";
      testing::ParsedRecord parsed;
      std::string why;
      ASSERT_TRUE(testing::ParseRecord(run.RecordLines[k], parsed, why)) << why;
      Text shown = ReplaceAll(path, u"&", u"&amp;");
      std::replace(shown.begin(), shown.end(), u'\\', u'/');
      EXPECT_EQ(parsed.path, shown);
      const bool gone = std::any_of(removed.begin(), removed.end(), [&](const Text& r) {
        return path == r || (path.size() > r.size() && path.starts_with(r) &&
                             (path[r.size()] == u'\\' || path[r.size()] == u'/'));
      });
      if (gone) {
        // Gone, itself or a folder above it, before its record: every step falls back.
        EXPECT_EQ(run.RecordLines[k], u"D.p([\"" + shown + u"*0*-\",0,\"\"])");
        ++removedChecked;
      }
      for (int32_t index : parsed.indices) {
        ASSERT_LT(index, run.DirList.Count());
        const Text& child = run.DirList[index];
        EXPECT_TRUE(child.size() > path.size() && child.starts_with(path)) << Utf8(child);
      }
      for (const testing::ParsedFile& file : parsed.files) {
        ++entries;
        sizes = static_cast<int64_t>(static_cast<uint64_t>(sizes) + file.size);
      }
    }
    EXPECT_EQ(run.FileCount, entries);
    EXPECT_EQ(run.TotalSize, sizes);
    if (HasFailure()) break;
  }
  EXPECT_GE(removedChecked, 10);
  EXPECT_GE(added, 10);
  EXPECT_GE(filesRemoved, 10);
}

// Windows trims the spaces and dots at the end of every part of a path, so a
// folder that Linux, Samba or a "\\?\" path made under a name of nothing but
// spaces and dots is reached, by path, as the folder that holds it: entering
// it would walk that folder again below itself, every such name multiplying
// the walk, until paths grow too long (and Wine sets no such limit).
TEST(TrimmedNames, FoldersNamedOnlySpacesAndDotsAreNotEntered) {
  for (const std::vector<Text>& names :
       {std::vector<Text>{u" "}, std::vector<Text>{u"...", u". .", u"  "}}) {
    SCOPED_TRACE(Utf8(names[0]));
    FakeFileSystem fs(PathStyle::Windows);
    fs.AddDirectory(u"C:\\src\\a");
    fs.AddFile(u"C:\\src\\f.txt", 3);
    int n = 0;
    for (const Text& name : names) {
      const Text odd = u"C:\\src\\odd" + Decimal(n++);
      fs.AddFile(odd + u"\\g.txt", 5);
      fs.Node(odd)->name = name;  // as a search reports it; no path reaches it
    }
    fs.AddFile(u"C:\\src\\oddfile").name = u". ";

    testing::PlainCollation collation;
    testing::FakeTextFiles textFiles;
    textFiles.files[u"C:\\app\\template.html"] = "[DIR DATA]";
    fs.AddFile(u"C:\\app\\template.html", 10);
    testing::ScriptedClock clock;
    testing::TableLocaleSource locale;
    SetPlainDateFormats(locale);
    RegionalSettings regional(locale);
    testing::RecordingUi ui;
    ui.source = u"C:\\src";
    ListingRun run(ListingServices{fs, collation, textFiles, clock, regional}, u"C:\\app\\");
    run.BuildListing(ui);

    EXPECT_EQ(run.DirList.Lines(), (std::vector<Text>{u"C:\\src", u"C:\\src\\a"}));
    ASSERT_EQ(run.RecordLines.Count(), 2);
    // Only f.txt: the file named ". " would be looked up as C:\src itself.
    EXPECT_EQ(run.FileCount, 1);
    EXPECT_EQ(run.TotalSize, 3);
    EXPECT_LT(fs.Calls().size(), 200u);
  }
}

INSTANTIATE_TEST_SUITE_P(Styles, FaultInjectionTest,
                         ::testing::Values(PathStyle::Windows, PathStyle::Posix),
                         [](const auto& info) {
                           return info.param == PathStyle::Windows ? "Windows" : "Posix";
                         });

}  // namespace
}  // namespace ostrivel
