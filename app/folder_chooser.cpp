#include "app/folder_chooser.h"

#include <shlobj.h>

#include "app/application.h"
#include "app/thread_windows.h"
#include "app/win_handles.h"
#include "app/win_text.h"

namespace ostrivel {
namespace {

constexpr UINT kChooserFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;

// What the initialisation callback needs; lives on ChooseFolder's stack.
struct ChooserStart {
  HWND centreOn;
  Text initialFolder;
};

int CALLBACK ChooserCallback(HWND dialog, UINT message, LPARAM, LPARAM data) noexcept {
  if (message != BFFM_INITIALIZED) return 0;
  const auto* start = reinterpret_cast<const ChooserStart*>(data);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT box{};
  if (GetMonitorInfoW(MonitorFromWindow(start->centreOn, MONITOR_DEFAULTTONEAREST), &monitor) &&
      GetWindowRect(dialog, &box)) {
    const RECT& m = monitor.rcMonitor;
    const int width = box.right - box.left, height = box.bottom - box.top;
    SetWindowPos(dialog, nullptr, m.left + (m.right - m.left - width) / 2,
                 m.top + (m.bottom - m.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  if (!start->initialFolder.empty()) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(W(start->initialFolder)));
  }
  return 0;
}

bool MissingPathError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return false;
    default:
      return true;
  }
}

// Sets the process error mode for the life of the object.
class ErrorModeScope {
 public:
  explicit ErrorModeScope(UINT mode) : previous_(SetErrorMode(mode)) {}
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;
  ~ErrorModeScope() { SetErrorMode(previous_); }

 private:
  UINT previous_;
};

}  // namespace

bool IsExistingDirectory(const Text& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return MissingPathError(GetLastError());
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  // A link to a directory counts only when its target opens.
  KernelHandle handle(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return handle.Valid();
}

bool ChooseFolder(HWND owner, HWND centreOn, const Text& prompt, Text& folder) {
  if (!IsExistingDirectory(folder)) folder.clear();

  ComRef<IMalloc> allocator;
  if (FAILED(SHGetMalloc(allocator.Out())) || !allocator) return false;
  ShellMemory<wchar_t> buffer(allocator.Get(),
                              static_cast<wchar_t*>(allocator->Alloc(MAX_PATH * sizeof(wchar_t))));
  if (!buffer.Get()) return false;
  buffer.Get()[0] = L'\0';

  ChooserStart start{centreOn, folder};
  BROWSEINFOW request{};
  request.hwndOwner = owner;
  request.pidlRoot = nullptr;
  request.pszDisplayName = buffer.Get();
  request.lpszTitle = W(prompt);
  request.ulFlags = kChooserFlags;
  request.lpfn = ChooserCallback;
  request.lParam = reinterpret_cast<LPARAM>(&start);

  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    // Destroyed in reverse: the error mode comes back before the windows do.
    DisabledThreadWindows disabled;
    ErrorModeScope errorMode(SEM_FAILCRITICALERRORS);
    chosen = SHBrowseForFolderW(&request);
  }
  if (!chosen) return false;
  ShellMemory<ITEMIDLIST> item(allocator.Get(), chosen);
  // An item without a file-system path leaves the buffer undefined: treat it
  // as a cancel rather than hand back whatever it holds.
  if (!SHGetPathFromIDListW(item.Get(), buffer.Get())) return false;
  folder = FromW(buffer.Get());
  return true;
}

void ShowMessageBox(HWND owner, const Text& text, const Text& caption) {
  MessageBoxW(owner, W(text), W(caption), MB_OK);
}

bool SystemDialogs::ChooseFolder(const Text& prompt, Text& folder) {
  return ostrivel::ChooseFolder(app_.Handle(), app_.MainWindow(), prompt, folder);
}

void SystemDialogs::ShowMessageBox(HWND owner, const Text& text, const Text& caption) {
  ostrivel::ShowMessageBox(owner, text, caption);
}

}  // namespace ostrivel
