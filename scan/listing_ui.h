#pragma once
// What the listing run needs of a user interface: the window gives the real
// operations, the command-line front end non-interactive ones, tests fakes.

#include <cstdint>

#include "core/text.h"

namespace ostrivel {

struct ListingProgress {
  int32_t directoriesDone = 0;
  int32_t directoryCount = 0;
  int64_t filesSoFar = 0;
  uint32_t elapsedMs = 0;
};

class ListingUi {
 public:
  virtual ~ListingUi() = default;
  // The folder chooser: `folder` holds the initial folder on entry and the
  // chosen one when it returns true; false means cancelled.
  virtual bool ChooseFolder(const Text& prompt, Text& folder) = 0;
  // The completion message, owned by the main window.
  virtual void ShowMessageBox(const Text& text, const Text& caption) = 0;
  // Lets the window breathe: called after every file, subdirectory lookup and record.
  virtual void ProcessPendingMessages() = 0;
  // The source root as `edtdir` holds it, read once when the run starts.
  virtual Text SourceText() = 0;
  // The page title as `edttitle` holds it, read when the page is written.
  virtual Text TitleText() = 0;
  // Progress after every record; the window ignores it, the command line draws it.
  virtual void Progress(const ListingProgress&) {}
};

}  // namespace ostrivel
