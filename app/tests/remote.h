#pragma once
// Looking at and driving the windows of another process of the same Wine
// prefix, as a user would: find them, read their texts, send them messages.

#include "core/windows.h"

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.h"
#include "app/win_text.h"

namespace ostrivel::remote {

using namespace std::chrono_literals;

// Polls `found` until it yields a window or `timeout` passes.
inline HWND WaitFor(const std::function<HWND()>& found, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (HWND w = found()) return w;
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    std::this_thread::sleep_for(50ms);
  }
}

// The text of a window of another process. GetWindowTextW does not ask such
// a window (it reads the caption Windows keeps, which an edit box does not
// update), so WM_GETTEXT is sent instead.
inline Text RemoteText(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return FromW(buffer.data(), static_cast<size_t>(copied));
}

inline DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

inline Text ClassName(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return FromW(name);
}

// The visible top-level windows of class `className` in process `pid` (any process when 0).
inline std::vector<HWND> TopWindows(const wchar_t* className, DWORD pid) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
       w = FindWindowExW(nullptr, w, className, nullptr)) {
    if (IsWindowVisible(w) && (pid == 0 || ProcessOf(w) == pid)) found.push_back(w);
  }
  return found;
}

inline HWND MainWindow(DWORD pid = 0) {
  const auto windows = TopWindows(kFormClassName, pid);
  return windows.empty() ? nullptr : windows.front();
}

inline HWND AppWindow(DWORD pid) {
  for (HWND w = FindWindowExW(nullptr, nullptr, L"TApplication", nullptr); w;
       w = FindWindowExW(nullptr, w, L"TApplication", nullptr)) {
    if (ProcessOf(w) == pid) return w;
  }
  return nullptr;
}

// A control of the main window by its identifier.
inline HWND Control(HWND form, int id) {
  if (id == kIdPgc1) return GetDlgItem(form, id);
  HWND pgc1 = GetDlgItem(form, kIdPgc1);
  if (id == kIdTs1 || id == kIdTs2) return GetDlgItem(pgc1, id);
  if (id == kIdPnl1) return GetDlgItem(GetDlgItem(pgc1, kIdTs2), id);
  return GetDlgItem(GetDlgItem(pgc1, kIdTs1), id);
}

inline std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

// The texts of a dialog's static controls (a message box's text among them).
inline std::vector<Text> StaticTexts(HWND dialog) {
  std::vector<Text> texts;
  for (HWND child : Descendants(dialog)) {
    if (ClassName(child) == U("Static")) texts.push_back(RemoteText(child));
  }
  return texts;
}

// The selected item of the first tree view in `dialog`, read through memory
// of the dialog's process.
inline Text SelectedTreeItem(HWND dialog) {
  HWND tree = nullptr;
  for (HWND child : Descendants(dialog)) {
    if (ClassName(child) == U("SysTreeView32")) tree = child;
  }
  if (!tree) return Text();
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return Text();
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               ProcessOf(tree));
  if (!process) return Text();
  constexpr size_t kChars = MAX_PATH;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TVITEMW) + kChars * 2, MEM_COMMIT, PAGE_READWRITE));
  Text result;
  if (remote) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
    tv.cchTextMax = kChars;
    WriteProcessMemory(process, remote, &tv, sizeof tv, nullptr);
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
    wchar_t text[kChars] = {};
    ReadProcessMemory(process, remote + sizeof(TVITEMW), text, sizeof text - 2, nullptr);
    result = FromW(text);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return result;
}

inline void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 1 | (3u << 30));
}

}  // namespace ostrivel::remote
