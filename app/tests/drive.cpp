// ostrivel_drive.exe: drives a running Ostrivel.exe from a script, one step a call.
//   wait-main [seconds]          wait for the main window; print its client size
//   text ID TEXT                 set a control's text
//   get ID                       print a control's text
//   click ID                     press a button
//   key ID VK                    a key press to a control (VK as a number)
//   wait-dialog [seconds]        wait for a dialog of the program; print its title and texts
//   dialog COMMAND               send a command (1 = OK, 2 = Cancel) to that dialog
//   close                        ask the main window to close
// Exit code 0 on success, 1 when the window or dialog was not found, 2 for bad usage.

#include <cstdlib>
#include <string>

#include "app/tests/remote.h"

using namespace ostrivel;
using namespace ostrivel::remote;

namespace {

void Print(const Text& text) {
  const std::string bytes = Utf8(text) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::chrono::milliseconds Seconds(int argc, wchar_t** argv, int at, int fallback) {
  return std::chrono::milliseconds(1000 * (argc > at ? _wtoi(argv[at]) : fallback));
}

HWND Dialog(HWND form) {
  const auto dialogs = TopWindows(L"#32770", ProcessOf(form));
  return dialogs.empty() ? nullptr : dialogs.front();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  HWND form = WaitFor([] { return MainWindow(); },
                      command == L"wait-main" ? Seconds(argc, argv, 2, 60) : 5000ms);
  if (!form) {
    Print(U("no main window"));
    return 1;
  }
  if (command == L"wait-main") {
    RECT r{};
    GetClientRect(form, &r);
    Print(Decimal(r.right) + U(" x ") + Decimal(r.bottom));
    return 0;
  }
  if (command == L"text" && argc == 4) {
    SendMessageW(Control(form, _wtoi(argv[2])), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    return 0;
  }
  if (command == L"get" && argc == 3) {
    Print(RemoteText(Control(form, _wtoi(argv[2]))));
    return 0;
  }
  if (command == L"click" && argc == 3) {
    PostMessageW(Control(form, _wtoi(argv[2])), BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"key" && argc == 4) {
    PostKey(Control(form, _wtoi(argv[2])), static_cast<WPARAM>(_wtoi(argv[3])));
    return 0;
  }
  if (command == L"wait-dialog") {
    HWND dialog = WaitFor([form] { return Dialog(form); }, Seconds(argc, argv, 2, 30));
    if (!dialog) return 1;
    Print(RemoteText(dialog));
    for (const Text& text : StaticTexts(dialog)) Print(text);
    return 0;
  }
  if (command == L"dialog" && argc == 3) {
    HWND dialog = Dialog(form);
    if (!dialog) return 1;
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[2])), 0);
    return 0;
  }
  if (command == L"close") {
    PostMessageW(form, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
