#pragma once
// The listing run: the output folder, the catalogue, one record per catalogued
// directory, the page, and the completion message with the elapsed seconds.
// The window and the command line drive it through a ListingUi.

#include <utility>

#include "core/text.h"
#include "scan/records.h"

namespace ostrivel {

class Clock;
class Collation;
class FileSystem;
class ListingUi;
class RegionalSettings;
class TextFiles;

struct ListingServices {
  FileSystem& fs;
  Collation& collation;
  TextFiles& textFiles;
  Clock& clock;
  RegionalSettings& regional;
};

// How the last run that was not refused ended. A failure of the page itself
// leaves BuildListing as Error, with the outcome PageFailed.
enum class ListingOutcome { NotRun, Cancelled, TemplateMissing, PageFailed, PageWritten };

inline constexpr char16_t kOutputPrompt[] = u"请选择快照文件保存的路径";
inline constexpr char16_t kCompletionCaption[] = u"操作完成";

// The shared state (DirList, SubDirList, FileList, RecordLines, FileCount,
// TotalSize, SourceRoot, AppDir) lives as long as the run object and keeps a
// run's results until the next run clears them.
class ListingRun : public ListingState {
 public:
  ListingRun(ListingServices services, Text appDir);

  // One whole run. A call made while a run is in progress (from a handler
  // inside ProcessPendingMessages) returns at once and changes nothing: the
  // run in progress owns the shared lists and counters.
  void BuildListing(ListingUi& ui);
  bool InProgress() const { return inProgress_; }

  // The template: AppDir followed by template.html unless set otherwise.
  void SetTemplatePath(Text path) { templatePath_ = std::move(path); }
  Text TemplatePath() const;

  ListingOutcome LastOutcome() const { return outcome_; }
  // The page the last run wrote; empty when it wrote none.
  const Text& PagePath() const { return pagePath_; }

 private:
  ListingServices services_;
  Text templatePath_;
  bool inProgress_ = false;
  ListingOutcome outcome_ = ListingOutcome::NotRun;
  Text pagePath_;
};

}  // namespace ostrivel
