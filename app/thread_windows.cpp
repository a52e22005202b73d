#include "app/thread_windows.h"

namespace ostrivel {
namespace {

BOOL CALLBACK DisableOne(HWND window, LPARAM data) noexcept {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) {
    try {
      reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    } catch (...) {
      return FALSE;  // out of memory: leave the window as it is
    }
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

}  // namespace

DisabledThreadWindows::DisabledThreadWindows() {
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&windows_));
}

DisabledThreadWindows::~DisabledThreadWindows() {
  for (HWND window : windows_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
}

}  // namespace ostrivel
