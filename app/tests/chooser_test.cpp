// The real folder chooser, shown in-process and answered from a second thread
// as a user would: what it preselects, where it opens, what it returns, and
// what it does to the program's other windows meanwhile.

#include "app/tests/window_fixture.h"

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <thread>

#include "app/folder_chooser.h"

namespace ostrivel::testing {
namespace {

using namespace std::chrono_literals;

struct Seen {
  bool found = false;
  RECT dialog{};
  Text selected;  // the tree's selected item, as shown
  bool promptShown = false;
  bool formEnabled = true;
  UINT errorMode = 0;
  int visibleButtons = 0;  // OK and Cancel only: no button for a new folder
  int visibleEdits = 0;    // no box for typing a path
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
  return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

Text ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return FromW(name);
}

Text SelectedTreeItem(HWND dialog) {
  for (HWND child : Descendants(dialog)) {
    if (ClassName(child) != U("SysTreeView32")) continue;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(child, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return Text();
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(child, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return FromW(text);
  }
  return Text();
}

// Waits for the chooser owned by `owner`, looks at it, then answers it.
class ChooserUser {
 public:
  ChooserUser(HWND owner, HWND form, DWORD uiThread, Text prompt, Text expectSelected,
              std::function<void(HWND)> answer)
      : thread_([=, this] { Work(owner, form, uiThread, prompt, expectSelected, answer); }) {}
  ~ChooserUser() {
    if (thread_.joinable()) thread_.join();
  }
  const Seen& Result() {
    if (thread_.joinable()) thread_.join();
    return seen_;
  }

 private:
  void Work(HWND owner, HWND form, DWORD uiThread, const Text& prompt, const Text& expectSelected,
            const std::function<void(HWND)>& answer) {
    auto deadline = std::chrono::steady_clock::now() + 30s;
    HWND dialog = nullptr;
    while (!dialog && std::chrono::steady_clock::now() < deadline) {
      for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
           w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        if (GetWindow(w, GW_OWNER) == owner && GetWindowThreadProcessId(w, nullptr) == uiThread &&
            IsWindowVisible(w)) {
          dialog = w;
        }
      }
      if (!dialog) std::this_thread::sleep_for(50ms);
    }
    if (!dialog) return;
    seen_.found = true;
    deadline = std::chrono::steady_clock::now() + 10s;
    // The preselection may land a moment after the dialog appears.
    while (std::chrono::steady_clock::now() < deadline) {
      seen_.selected = SelectedTreeItem(dialog);
      if (expectSelected.empty() || seen_.selected == expectSelected) break;
      std::this_thread::sleep_for(50ms);
    }
    GetWindowRect(dialog, &seen_.dialog);
    for (HWND child : Descendants(dialog)) {
      if (WindowText(child) == prompt) seen_.promptShown = true;
      if (!IsWindowVisible(child)) continue;
      if (ClassName(child) == U("Button")) ++seen_.visibleButtons;
      if (ClassName(child) == U("Edit")) ++seen_.visibleEdits;
    }
    seen_.formEnabled = IsWindowEnabled(form) != FALSE;
    seen_.errorMode = GetErrorMode();
    answer(dialog);
  }

  Seen seen_;
  std::thread thread_;
};

void PressOk(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); }
void PressCancel(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }

class ChooserTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // Folders on C: of the prefix: the dialog selects them reliably.
    root_ = U("C:\\ostrivel-chooser-") + Decimal(GetCurrentProcessId());
    CreateDirectoryW(W(root_), nullptr);
    CreateDirectoryW(W(root_ + U("\\输出")), nullptr);
    HANDLE file = CreateFileW(W(root_ + U("\\file.txt")), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    CloseHandle(file);
    // Wine's shell may not see a folder whose parent changed a moment ago
    // until the parent has been listed again.
    for (const Text& folder : {U("C:"), root_}) {
      WIN32_FIND_DATAW entry;
      HANDLE search = FindFirstFileW(W(folder + U("\\*")), &entry);
      while (search != INVALID_HANDLE_VALUE && FindNextFileW(search, &entry)) {
      }
      if (search != INVALID_HANDLE_VALUE) FindClose(search);
    }
  }
  void TearDown() override {
    DeleteFileW(W(root_ + U("\\file.txt")));
    RemoveDirectoryW(W(root_ + U("\\输出")));
    RemoveDirectoryW(W(root_));
    WindowTest::TearDown();
  }

  // The real chooser, as the program calls it, answered by `answer`.
  bool Choose(const Text& prompt, Text& folder, const Text& expectSelected,
              std::function<void(HWND)> answer, Seen& seen) {
    SetErrorMode(0);
    ChooserUser user(app->Handle(), form->Handle(), GetCurrentThreadId(), prompt, expectSelected,
                     std::move(answer));
    const bool chosen = ChooseFolder(app->Handle(), form->Handle(), prompt, folder);
    seen = user.Result();
    return chosen;
  }

  Text root_;
};

TEST_F(ChooserTest, OpensAtTheInitialFolderAndReturnsTheChosenPath) {
  const Text prompt = U("请选择快照文件保存的路径");
  Text folder = root_ + U("\\输出");
  Seen seen;
  ASSERT_TRUE(Choose(prompt, folder, U("输出"), PressOk, seen));
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(Utf8(seen.selected), "输出");
  EXPECT_EQ(Utf8(folder), Utf8(root_ + U("\\输出"))) << "no trailing backslash";
  EXPECT_TRUE(seen.promptShown) << "the prompt is the instruction text";
  EXPECT_EQ(seen.visibleButtons, 2);
  EXPECT_EQ(seen.visibleEdits, 0);

  // Centred on the main window's monitor, taskbar area included.
  MONITORINFO monitor{sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& m = monitor.rcMonitor;
  const int w = seen.dialog.right - seen.dialog.left, h = seen.dialog.bottom - seen.dialog.top;
  EXPECT_EQ(seen.dialog.left, m.left + (m.right - m.left - w) / 2);
  EXPECT_EQ(seen.dialog.top, m.top + (m.bottom - m.top - h) / 2);

  // The program's windows are disabled and critical-error boxes suppressed
  // only while it is open.
  EXPECT_FALSE(seen.formEnabled);
  EXPECT_EQ(seen.errorMode, static_cast<UINT>(SEM_FAILCRITICALERRORS));
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_EQ(GetErrorMode(), 0u);
}

TEST_F(ChooserTest, ADriveRootKeepsItsBackslash) {
  Text folder = U("C:\\");
  Seen seen;
  ASSERT_TRUE(Choose(U("请选择需要快照的磁盘路径"), folder, Text(), PressOk, seen));
  EXPECT_NE(seen.selected.find(u'C'), Text::npos) << Utf8(seen.selected);
  EXPECT_EQ(Utf8(folder), "C:\\");
}

TEST_F(ChooserTest, CancelEscapeAndCloseAllYieldFalse) {
  const std::pair<const char*, std::function<void(HWND)>> ways[] = {
      {"cancel", PressCancel},
      {"escape",
       [](HWND d) {
         GUITHREADINFO info{sizeof info};
         GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &info);
         HWND target = info.hwndFocus ? info.hwndFocus : d;
         PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
         PostMessageW(target, WM_KEYUP, VK_ESCAPE, 1 | (3u << 30));
       }},
      {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& [name, answer] : ways) {
    SCOPED_TRACE(name);
    Text folder = root_;
    Seen seen;
    EXPECT_FALSE(Choose(U("prompt"), folder, Text(), answer, seen));
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(folder, root_) << "an existing initial folder is left alone";
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  }
}

TEST_F(ChooserTest, AMissingInitialFolderIsEmptiedEvenOnCancel) {
  const Text missing[] = {root_ + U("\\gone"), root_ + U("\\file.txt"), U("C:\\bad<name>"), Text()};
  for (const Text& start : missing) {
    SCOPED_TRACE(Utf8(start));
    Text folder = start;
    Seen seen;
    EXPECT_FALSE(Choose(U("prompt"), folder, Text(), PressCancel, seen));
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(folder, Text());
  }
}

TEST_F(ChooserTest, AnItemWithoutAFileSystemPathCountsAsCancelled) {
  Text folder = root_;
  Seen seen;
  const bool chosen = Choose(
      U("prompt"), folder, Text(),
      [](HWND dialog) {
        // The computer has no file-system path; OK is pressed regardless.
        PIDLIST_ABSOLUTE computer = nullptr;
        SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
        CoTaskMemFree(computer);
        PressOk(dialog);
      },
      seen);
  EXPECT_FALSE(chosen);
  EXPECT_EQ(folder, root_);
}

TEST(IsExistingDirectory, WhatCountsAsAnExistingDirectory) {
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  const Text win = FromW(windows);
  struct Row {
    Text path;
    bool exists;
  };
  const Row rows[] = {
      {win, true},
      {U("C:\\"), true},
      {win + U("\\"), true},
      {win + U("\\system32"), true},
      {win + U("\\win.ini"), false},  // a file
      {win + U("\\no-such-folder-ostrivel"), false},
      {U("C:\\no\\such\\path"), false},
      {U("C:\\a<b>"), false},  // invalid name
      {Text(), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.path));
    EXPECT_EQ(IsExistingDirectory(row.path), row.exists);
  }
}

}  // namespace
}  // namespace ostrivel::testing
