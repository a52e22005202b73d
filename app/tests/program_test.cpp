// Ostrivel.exe as a user meets it: started as its own process, driven through
// its windows from this one, and watched until it exits.

#include "app/tests/remote.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "core/error.h"

namespace ostrivel::testing {
namespace {

using namespace ostrivel::remote;

// The program as built: OSTRIVEL_EXE holds its POSIX path, reached through Z:.
Text BuiltProgram() {
  const char* path = std::getenv("OSTRIVEL_EXE");
  if (!path) return Text();
  return U("Z:") + ReplaceAll(U(path), u"/", u"\\");
}

bool WriteBytes(const Text& path, const std::string& bytes) {
  HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return written == bytes.size();
}

std::string ReadBytes(const Text& path) {
  HANDLE file =
      CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

std::vector<Text> FilesIn(const Text& folder, const Text& pattern) {
  std::vector<Text> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(W(folder + pattern), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(FromW(entry.cFileName));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

void RemoveTree(const Text& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(W(folder + U("\\*")), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const Text name = FromW(entry.cFileName);
      if (name == U(".") || name == U("..")) continue;
      const Text path = folder + U("\\") + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(W(path));
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(W(folder));
}

// The two top-level windows of a started program.
struct ProgramWindows {
  HWND form = nullptr;
  HWND app = nullptr;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Text built = BuiltProgram();
    ASSERT_FALSE(built.empty()) << "OSTRIVEL_EXE is not set";
    // A program folder of its own, on C: where the chooser selects reliably.
    folder_ =
        U("C:\\ostrivel-program-") + Decimal(GetCurrentProcessId()) + U("-") + Decimal(++serial_);
    source_ = folder_ + U("-源");
    RemoveTree(folder_);
    RemoveTree(source_);
    ASSERT_TRUE(CreateDirectoryW(W(folder_), nullptr));
    exe_ = folder_ + U("\\Ostrivel.exe");
    ASSERT_TRUE(CopyFileW(W(built), W(exe_), FALSE)) << Utf8(built);
    // UTF-8 with its byte-order mark, so the page is UTF-8 too.
    ASSERT_TRUE(
        WriteBytes(folder_ + U("\\template.html"),
                   "\xEF\xBB\xBF<html><title>[TITLE]</title>\r\n<p>[SOURCE ROOT] [NUM DIRS] "
                   "[NUM FILES] [TOT SIZE]</p>\r\n<script>\r\n[DIR DATA]\r\n</script>\r\n"));
    CreateDirectoryW(W(source_), nullptr);
    CreateDirectoryW(W(source_ + U("\\子目录")), nullptr);
    WriteBytes(source_ + U("\\a.txt"), "12345");
    WriteBytes(source_ + U("\\子目录\\b&c.txt"), "1234567890");
    // Wine's shell may miss a folder whose parent changed a moment ago until
    // the parent has been listed again.
    FilesIn(U("C:\\"), U("*"));
  }

  void TearDown() override {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
      }
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    RemoveTree(folder_);
    RemoveTree(source_);
  }

  ProgramWindows Start(WORD showCommand = SW_SHOWNORMAL) {
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    std::wstring commandLine = L"\"" + std::wstring(W(exe_)) + L"\"";
    if (!CreateProcessW(W(exe_), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        W(folder_), &startup, &process_)) {
      ADD_FAILURE() << "cannot start " << Utf8(exe_) << ": " << GetLastError();
      return {};
    }
    ProgramWindows windows;
    const DWORD pid = process_.dwProcessId;
    windows.form = WaitFor([pid] { return MainWindow(pid); }, 60s);
    windows.app = AppWindow(pid);
    return windows;
  }

  HWND WaitForDialog(std::chrono::milliseconds timeout = 60s) {
    const DWORD pid = process_.dwProcessId;
    return WaitFor(
        [pid] {
          const auto dialogs = TopWindows(L"#32770", pid);
          return dialogs.empty() ? nullptr : dialogs.front();
        },
        timeout);
  }

  // Waits for the process to end; its exit code, or -1 when it did not end.
  long ExitCode(std::chrono::milliseconds timeout = 30s) {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
        WAIT_OBJECT_0)
      return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

  // The pages written into the program's folder.
  std::vector<Text> Pages() const {
    std::vector<Text> pages;
    for (const Text& name : FilesIn(folder_, U("\\*.html"))) {
      if (name != U("template.html")) pages.push_back(name);
    }
    return pages;
  }

  // Characters typed into a control, one WM_CHAR each through the program's queue.
  static void Type(HWND control, const Text& text) {
    for (char16_t c : text) PostMessageW(control, WM_CHAR, c, 1);
  }

  static int serial_;
  Text folder_, source_, exe_;
  PROCESS_INFORMATION process_{};
};

int ProgramTest::serial_ = 0;

bool Contains(const std::vector<Text>& texts, const Text& wanted) {
  for (const Text& t : texts) {
    if (t == wanted) return true;
  }
  return false;
}

TEST_F(ProgramTest, SnapshotFromTypedSourceToTheProgramFolderThenExitCodeZero) {
  const ProgramWindows w = Start();
  ASSERT_TRUE(w.form);
  EXPECT_EQ(RemoteText(w.form), U("VantrethOstrivel V1.0"));
  RECT client{};
  GetClientRect(w.form, &client);
  EXPECT_EQ(client.right, 348);
  EXPECT_EQ(client.bottom, 164);
  ASSERT_TRUE(w.app) << "the hidden application window";
  EXPECT_FALSE(IsWindowVisible(w.app));
  EXPECT_TRUE(GetWindowLongPtrW(w.app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrW(w.app, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_TRUE(GetWindowLongPtrW(w.form, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  GUITHREADINFO gui{sizeof gui};
  if (GetGUIThreadInfo(process_.dwThreadId, &gui) && gui.hwndFocus) {
    EXPECT_EQ(gui.hwndFocus, Control(w.form, kIdPgc1)) << "focus on the tab strip";
  }

  HWND edtdir = Control(w.form, kIdEdtDir);
  Type(edtdir, source_);
  HWND edttitle = Control(w.form, kIdEdtTitle);
  Type(edttitle, U("测试 & 快照"));
  ASSERT_TRUE(
      WaitFor([&] { return RemoteText(edttitle) == U("测试 & 快照") ? edttitle : nullptr; }, 10s))
      << Utf8(RemoteText(edttitle)) << " / " << Utf8(RemoteText(edtdir));
  EXPECT_EQ(RemoteText(edtdir), source_);

  PostMessageW(Control(w.form, kIdBtnSave), BM_CLICK, 0, 0);
  HWND chooser = WaitForDialog();
  ASSERT_TRUE(chooser) << "the output chooser";
  EXPECT_TRUE(Contains(StaticTexts(chooser), U("请选择快照文件保存的路径")));
  EXPECT_FALSE(IsWindowEnabled(w.form)) << "the main window is disabled meanwhile";
  EXPECT_EQ(GetWindow(chooser, GW_OWNER), w.app) << "owned by the application window";
  // It opens at the program's folder.
  const Text folderName = folder_.substr(3);
  Text selected;
  WaitFor(
      [&] {
        selected = SelectedTreeItem(chooser);
        return selected == folderName ? chooser : nullptr;
      },
      10s);
  EXPECT_EQ(Utf8(selected), Utf8(folderName));
  PostMessageW(chooser, WM_COMMAND, IDOK, 0);

  // The completion message, owned by the main window.
  HWND done = WaitFor(
      [&] {
        HWND d = WaitForDialog(100ms);
        return d && d != chooser && RemoteText(d) == U("操作完成") ? d : nullptr;
      },
      60s);
  ASSERT_TRUE(done) << "the completion box";
  EXPECT_EQ(GetWindow(done, GW_OWNER), w.form);
  bool timeShown = false;
  for (const Text& text : StaticTexts(done)) {
    timeShown |= std::regex_match(Utf8(text), std::regex("总耗时[0-9]+秒"));
  }
  EXPECT_TRUE(timeShown);

  // The page, in the program's folder, named after the time.
  const std::vector<Text> pages = Pages();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(std::regex_match(Utf8(pages[0]), std::regex("[0-9]{12}\\.html"))) << Utf8(pages[0]);
  const std::string page = ReadBytes(folder_ + U("\\") + pages[0]);
  EXPECT_NE(page.find("<title>测试 & 快照</title>"), std::string::npos) << page;
  EXPECT_NE(page.find(Utf8(ReplaceAll(source_, u"\\", u"/")) + " 2 2 15"), std::string::npos)
      << page;
  EXPECT_NE(page.find("b&amp;c.txt"), std::string::npos) << page;

  PostMessageW(done, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(w.form) ? w.form : nullptr; }, 10s));
  PostMessageW(w.form, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

TEST_F(ProgramTest, AFailingRunShowsTheFailureBoxAndTheProgramGoesOn) {
  // Held open without sharing, the template cannot be read.
  HANDLE held = CreateFileW(W(folder_ + U("\\template.html")), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const ProgramWindows w = Start();
  ASSERT_TRUE(w.form);
  SendMessageW(Control(w.form, kIdEdtDir), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(source_)));
  PostMessageW(Control(w.form, kIdBtnSave), BM_CLICK, 0, 0);
  HWND chooser = WaitForDialog();
  ASSERT_TRUE(chooser);
  PostMessageW(chooser, WM_COMMAND, IDOK, 0);
  HWND failure = WaitFor(
      [&] {
        HWND d = WaitForDialog(100ms);
        return d && d != chooser && IsWindowVisible(d) ? d : nullptr;
      },
      60s);
  CloseHandle(held);
  ASSERT_TRUE(failure);
  EXPECT_EQ(RemoteText(failure), U("Ostrivel")) << "the program title is the caption";
  bool messageShown = false;
  for (const Text& text : StaticTexts(failure)) {
    const std::string t = Utf8(text);
    if (t.find("Cannot open file") != std::string::npos) {
      messageShown = true;
      EXPECT_NE(t.find("template.html"), std::string::npos) << t;
      EXPECT_LE(static_cast<unsigned char>(t.back()), '.') << t;
    }
  }
  EXPECT_TRUE(messageShown);
  PostMessageW(failure, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(w.form) ? w.form : nullptr; }, 10s));
  EXPECT_TRUE(Pages().empty()) << "no page";
  PostMessageW(w.form, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

TEST_F(ProgramTest, OpensMaximisedOrMinimisedAsItWasStarted) {
  struct Row {
    WORD command;
    const char* name;
    bool zoomed, iconic;
  };
  const Row rows[] = {
      {SW_SHOWMAXIMIZED, "maximised", true, false},
      {SW_SHOWMINNOACTIVE, "minimised", false, true},
      {SW_SHOWNOACTIVATE, "any other: normal", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramWindows w = Start(row.command);
    ASSERT_TRUE(w.form);
    ASSERT_TRUE(WaitFor(
        [&] {
          return IsZoomed(w.form) == row.zoomed && IsIconic(w.form) == row.iconic ? w.form
                                                                                  : nullptr;
        },
        10s))
        << "zoomed " << IsZoomed(w.form) << " iconic " << IsIconic(w.form);
    PostMessageW(w.form, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
  }
}

// The resources built into the program: icon sizes, manifest, version.
TEST(ProgramResources, IconManifestAndVersion) {
  const Text built = BuiltProgram();
  ASSERT_FALSE(built.empty());
  HMODULE module =
      LoadLibraryExW(W(built), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(module);

#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
  struct GroupHeader {
    WORD reserved, type, count;
  };
#pragma pack(pop)
  HRSRC group = FindResourceW(module, L"MAINICON", RT_GROUP_ICON);
  ASSERT_TRUE(group);
  const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(module, group)));
  const auto* entries = reinterpret_cast<const GroupEntry*>(header + 1);
  std::vector<int> sizes;
  for (int i = 0; i < header->count; ++i) {
    sizes.push_back(entries[i].width == 0 ? 256 : entries[i].width);
    EXPECT_EQ(entries[i].bitCount, 32) << "image " << i;
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));

  HRSRC manifestResource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_TRUE(manifestResource);
  const std::string manifest(
      static_cast<const char*>(LockResource(LoadResource(module, manifestResource))),
      SizeofResource(module, manifestResource));
  for (const char* wanted :
       {"<dpiAware "
        "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">True/PM</dpiAware>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "level=\"asInvoker\" uiAccess=\"false\"", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(std::regex_replace(manifest, std::regex("\\s+"), " ").find(wanted), std::string::npos)
        << wanted;
  }

  HRSRC version = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
  ASSERT_TRUE(version);
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, version)));
  const std::wstring_view block(reinterpret_cast<const wchar_t*>(data),
                                SizeofResource(module, version) / 2);
  EXPECT_NE(block.find(L"OriginalFilename"), std::wstring_view::npos);
  EXPECT_NE(block.find(L"Ostrivel.exe"), std::wstring_view::npos);
  EXPECT_NE(block.find(L"1.0.0.0"), std::wstring_view::npos);
  FreeLibrary(module);
}

// At 144 pixels per inch the program scales its window while loading.
TEST_F(ProgramTest, StartsScaledToTheDisplaysDpi) {
  HKEY desktop = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, &desktop),
            ERROR_SUCCESS);
  DWORD old = 0, size = sizeof old, type = 0;
  const bool hadValue = RegQueryValueExW(desktop, L"LogPixels", nullptr, &type,
                                         reinterpret_cast<BYTE*>(&old), &size) == ERROR_SUCCESS;
  const DWORD dpi = 144;
  RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                 sizeof dpi);
  const ProgramWindows w = Start();
  if (hadValue) {
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old),
                   sizeof old);
  } else {
    RegDeleteValueW(desktop, L"LogPixels");
  }
  RegCloseKey(desktop);
  ASSERT_TRUE(w.form);
  RECT client{};
  GetClientRect(w.form, &client);
  EXPECT_EQ(client.right, 522);
  EXPECT_EQ(client.bottom, 246);
  RECT button{};
  HWND btnOpen = Control(w.form, kIdBtnOpen);
  GetWindowRect(btnOpen, &button);
  MapWindowPoints(HWND_DESKTOP, GetParent(btnOpen), reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.left, 372);
  EXPECT_EQ(button.top, 21);
  EXPECT_EQ(button.right - button.left, 113);
  EXPECT_EQ(button.bottom - button.top, 38);
  PostMessageW(w.form, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

}  // namespace
}  // namespace ostrivel::testing
