#pragma once
#include <vector>

#include "core/windows.h"

namespace ostrivel {

// Disables every visible and enabled top-level window of the calling thread
// for the life of the object, then enables those that still exist, so that a
// modal dialog leaves the rest of the program alone.
class DisabledThreadWindows {
 public:
  DisabledThreadWindows();
  DisabledThreadWindows(const DisabledThreadWindows&) = delete;
  DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;
  ~DisabledThreadWindows();

  const std::vector<HWND>& Windows() const { return windows_; }

 private:
  std::vector<HWND> windows_;
};

}  // namespace ostrivel
