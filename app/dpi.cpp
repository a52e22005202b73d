#include "app/dpi.h"

namespace ostrivel {
namespace {

constexpr int kMdtEffectiveDpi = 0;

int SystemDpi() {
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

}  // namespace

Bounds ScaleBounds(const Bounds& b, int newDpi, int oldDpi) {
  Bounds r;
  r.left = MulDiv(b.left, newDpi, oldDpi);
  r.top = MulDiv(b.top, newDpi, oldDpi);
  r.width = MulDiv(b.left + b.width, newDpi, oldDpi) - r.left;
  r.height = MulDiv(b.top + b.height, newDpi, oldDpi) - r.top;
  return r;
}

GetDpiForMonitorFn FindGetDpiForMonitor(const wchar_t* library) {
  // Loaded, not linked: an import would keep the program from starting on
  // systems older than Windows 8.1. The library stays loaded for the process.
  HMODULE module = LoadLibraryW(library);
  if (!module) return nullptr;
  return reinterpret_cast<GetDpiForMonitorFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "GetDpiForMonitor")));
}

int MonitorDpi(HMONITOR monitor, GetDpiForMonitorFn query) {
  if (!query) return SystemDpi();
  UINT x = 0, y = 0;
  if (FAILED(query(monitor, kMdtEffectiveDpi, &x, &y))) return 0;
  return static_cast<int>(y);
}

int LoadDpiOfWindow(HWND window) {
  static const GetDpiForMonitorFn query = FindGetDpiForMonitor();
  if (!query) return SystemDpi();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  const POINT corner{placement.rcNormalPosition.left, placement.rcNormalPosition.top};
  return MonitorDpi(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), query);
}

}  // namespace ostrivel
