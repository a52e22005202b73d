#include "scan/listing_run.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "page/page_generation.h"
#include "scan/catalogue.h"
#include "scan/file_queries.h"
#include "scan/file_system.h"
#include "scan/listing_ui.h"

namespace ostrivel {
namespace {

class RunGuard {
 public:
  explicit RunGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunGuard() { flag_ = false; }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

 private:
  bool& flag_;
};

// The helper's user interface: nothing to show and no one waiting.
class QuietUi : public ListingUi {
 public:
  bool ChooseFolder(const Text&, Text&) override { return false; }
  void ShowMessageBox(const Text&, const Text&) override {}
  void ProcessPendingMessages() override {}
  Text SourceText() override { return Text(); }
  Text TitleText() override { return Text(); }
};

// Directories are claimed a few at a time, so that both threads finish close
// together whatever the shape of the tree.
constexpr int64_t kRecordsPerClaim = 8;

// The records two threads build together, each in its place in catalogue order.
struct SharedRecords {
  explicit SharedRecords(const StringList& list)
      : dirList(list), records(static_cast<size_t>(list.Count())) {}

  // Ends the claims: every thread stops at its next one.
  void Stop() { next.store(std::numeric_limits<int64_t>::max() / 2); }

  const StringList& dirList;
  std::vector<Text> records;
  std::atomic<int64_t> next{0};  // the first directory not yet claimed
  std::atomic<int32_t> done{0};
  std::atomic<int64_t> helperFiles{0};  // for the progress
};

// Claims directories until none is left and writes their records.
template <typename AfterEach>
void BuildClaimed(SharedRecords& shared, const RecordWork& work, const RecordServices& services,
                  AfterEach afterEach) {
  const int64_t count = shared.dirList.Count();
  for (;;) {
    const int64_t start = shared.next.fetch_add(kRecordsPerClaim);
    if (start >= count) return;
    const int64_t end = std::min(count, start + kRecordsPerClaim);
    for (int64_t i = start; i < end; ++i) {
      const auto index = static_cast<int32_t>(i);
      shared.records[static_cast<size_t>(i)] =
          DirectoryRecord(index, shared.dirList, work, services);
      shared.done.fetch_add(1);
      afterEach();
    }
  }
}

}  // namespace

void ListingRun::BuildRecordsWithHelper(ListingUi& ui, const RecordServices& own,
                                        ListingProgress& progress,
                                        const std::function<uint32_t()>& elapsed) {
  const RecordHelper& helper = *services_.helper;
  SharedRecords shared(DirList);

  FileQueries helperQueries(helper.fs);
  QuietUi quiet;
  const RecordServices helperServices{helperQueries, helper.collation, services_.regional, quiet};
  StringList helperFileList;
  StringList helperSubDirList;
  NameIndex helperIndex;
  int64_t helperFileCount = 0;
  int64_t helperTotalSize = 0;
  const RecordWork helperWork{helperFileList, helperSubDirList, helperIndex, helperFileCount,
                              helperTotalSize};
  std::exception_ptr helperFailure;
  std::thread thread;
  try {
    thread = std::thread([&] {
      try {
        BuildClaimed(shared, helperWork, helperServices,
                     [&] { shared.helperFiles.store(helperFileCount); });
      } catch (...) {
        // Not the file system's (records fall back on those): the run fails.
        helperFailure = std::current_exception();
        shared.Stop();
      }
    });
  } catch (const std::system_error&) {
    // No second thread to be had: this one claims every directory.
  }
  struct Join {
    std::thread& thread;
    SharedRecords& shared;
    ~Join() {
      if (!thread.joinable()) return;
      shared.Stop();
      thread.join();
    }
  } join{thread, shared};

  const RecordWork work{FileList, SubDirList, DirIndex, FileCount, TotalSize};
  BuildClaimed(shared, work, own, [&] {
    progress.directoriesDone = shared.done.load();
    progress.filesSoFar = FileCount + shared.helperFiles.load();
    progress.elapsedMs = elapsed();
    ui.Progress(progress);
    ui.ProcessPendingMessages();
  });
  if (thread.joinable()) thread.join();
  if (helperFailure) std::rethrow_exception(helperFailure);

  FileCount += helperFileCount;
  TotalSize = WrappingAdd(TotalSize, helperTotalSize);
  RecordLines.Lines() = std::move(shared.records);
  progress.directoriesDone = DirList.Count();
  progress.filesSoFar = FileCount;
  progress.elapsedMs = elapsed();
  ui.Progress(progress);
}

ListingRun::ListingRun(ListingServices services, Text appDir) : services_(services) {
  AppDir = std::move(appDir);
}

Text ListingRun::TemplatePath() const {
  return templatePath_.empty() ? AppDir + kTemplateFileName : templatePath_;
}

void ListingRun::BuildListing(ListingUi& ui) {
  if (inProgress_) return;
  RunGuard guard(inProgress_);

  Text outputFolder = AppDir;
  if (!ui.ChooseFolder(kOutputPrompt, outputFolder)) {
    outcome_ = ListingOutcome::Cancelled;
    return;
  }
  SourceRoot = ui.SourceText();
  DirList.Clear();
  RecordLines.Clear();
  TotalSize = 0;
  FileCount = 0;
  pagePath_.clear();
  outcome_ = ListingOutcome::PageFailed;

  Clock& clock = services_.clock;
  const uint32_t startTick = clock.TickCount();
  // Unsigned 32-bit: a wrap of the counter between two readings still gives
  // the true difference.
  const std::function<uint32_t()> elapsed = [&] {
    return static_cast<uint32_t>(clock.TickCount() - startTick);
  };

  FileQueries queries(services_.fs);
  DirList.Add(SourceRoot);
  CollectDirectories(SourceRoot, DirList, queries, services_.collation);
  DirIndex.Forget();

  const RecordServices recordServices{queries, services_.collation, services_.regional, ui};
  ListingProgress progress;
  progress.directoryCount = DirList.Count();
  progress.elapsedMs = elapsed();
  ui.Progress(progress);
  if (services_.helper != nullptr && DirList.Count() > 1) {
    BuildRecordsWithHelper(ui, recordServices, progress, elapsed);
  } else {
    for (int32_t index = 0; index < DirList.Count(); ++index) {
      AppendDirectoryRecord(index, *this, recordServices);
      progress.directoriesDone = index + 1;
      progress.filesSoFar = FileCount;
      progress.elapsedMs = elapsed();
      ui.Progress(progress);
      ui.ProcessPendingMessages();
    }
  }
  ConvertRecordBlock(RecordLines);

  // The window's chooser may hand back "/" separators; Windows paths are
  // used with "\". On POSIX "\" belongs to names, so the folder stays as is.
  if (services_.fs.Style() == PathStyle::Windows) {
    std::replace(outputFolder.begin(), outputFolder.end(), u'/', u'\\');
  }

  PageContent content{SourceRoot, DirList,   RecordLines,
                      FileCount,  TotalSize, [&ui] { return ui.TitleText(); }};
  const PageServices pageServices{services_.fs, services_.textFiles, clock, services_.regional};
  Text pagePath;
  const bool written = GeneratePage(outputFolder, TemplatePath(), content, pageServices, &pagePath);
  outcome_ = written ? ListingOutcome::PageWritten : ListingOutcome::TemplateMissing;
  pagePath_ = std::move(pagePath);

  const uint32_t seconds = elapsed() / 1000;
  ui.ShowMessageBox(u"总耗时" + Decimal(seconds) + u"秒", kCompletionCaption);
}

}  // namespace ostrivel
