#pragma once
// The listing run: the output folder, the catalogue, one record per catalogued
// directory, the page, and the completion message with the elapsed seconds.
// The window and the command line drive it through a ListingUi.

#include <cstdint>
#include <functional>
#include <utility>

#include "core/text.h"
#include "scan/records.h"

namespace ostrivel {

class Clock;
class Collation;
class FileSystem;
class ListingUi;
struct ListingProgress;
class RegionalSettings;
class TextFiles;

// What a second thread builds records with, alongside the run's own thread: a
// file system and a collation of its own, which nothing else uses during a
// run. The records come out the same; they are ready sooner on two cores.
struct RecordHelper {
  FileSystem& fs;
  Collation& collation;
};

struct ListingServices {
  FileSystem& fs;
  Collation& collation;
  TextFiles& textFiles;
  Clock& clock;
  RegionalSettings& regional;
  // Without one, every record is built on the run's thread. Only for a user
  // interface whose handlers leave the run's state alone while it runs: the
  // helper reads the catalogue meanwhile.
  const RecordHelper* helper = nullptr;
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
  // The records of the whole catalogue, built on this thread and the helper's.
  void BuildRecordsWithHelper(ListingUi& ui, const RecordServices& own, ListingProgress& progress,
                              const std::function<uint32_t()>& elapsed);

  ListingServices services_;
  Text templatePath_;
  bool inProgress_ = false;
  ListingOutcome outcome_ = ListingOutcome::NotRun;
  Text pagePath_;
};

}  // namespace ostrivel
