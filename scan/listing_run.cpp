#include "scan/listing_run.h"

#include <algorithm>

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

}  // namespace

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
  auto elapsed = [&] { return static_cast<uint32_t>(clock.TickCount() - startTick); };

  FileQueries queries(services_.fs);
  DirList.Add(SourceRoot);
  CollectDirectories(SourceRoot, DirList, queries, services_.collation);
  DirIndex.Forget();

  const RecordServices recordServices{queries, services_.collation, services_.regional, ui};
  ListingProgress progress;
  progress.directoryCount = DirList.Count();
  progress.elapsedMs = elapsed();
  ui.Progress(progress);
  for (int32_t index = 0; index < DirList.Count(); ++index) {
    AppendDirectoryRecord(index, *this, recordServices);
    progress.directoriesDone = index + 1;
    progress.filesSoFar = FileCount;
    progress.elapsedMs = elapsed();
    ui.Progress(progress);
    ui.ProcessPendingMessages();
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
