#pragma once
// Scaling the window's design (given for 96 pixels per inch) to a monitor's DPI.

#include "core/windows.h"

namespace ostrivel {

inline constexpr int kDesignDpi = 96;
// A DPI below this (a failed query reports 0) leaves the window unscaled.
inline constexpr int kLowestDpi = 30;

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

// Left and top scale directly; width and height through the far edges, so that
// edges which touch at one DPI still touch at the other.
Bounds ScaleBounds(const Bounds& b, int newDpi, int oldDpi);

// The DPI a window is scaled to when it is loaded: the effective DPI of the
// monitor nearest to the top-left corner of its normal rectangle where the
// system has GetDpiForMonitor, the system DPI elsewhere.
int LoadDpiOfWindow(HWND window);

// GetDpiForMonitor, looked up at run time in `library`: null where the
// library or the function is missing (before Windows 8.1).
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
GetDpiForMonitorFn FindGetDpiForMonitor(const wchar_t* library = L"shcore.dll");

// The effective DPI of a monitor through `query`, or the system DPI when
// `query` is null; 0 when the query fails.
int MonitorDpi(HMONITOR monitor, GetDpiForMonitorFn query);

}  // namespace ostrivel
