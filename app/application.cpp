#include "app/application.h"

#include <ole2.h>

#include "app/program_text.h"
#include "app/thread_windows.h"
#include "app/win_text.h"
#include "core/error.h"

namespace ostrivel {

TApplication::TApplication(TextView modulePath) {
  oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  title_ = ProgramTitle(modulePath);
  errorBox_ = [](HWND owner, const Text& text, const Text& caption) {
    MessageBoxW(owner, W(text), W(caption), MB_OK | MB_ICONERROR);
  };

  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, L"MAINICON");
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when a second object registers it again
  handle_ = CreateWindowExW(0, kClassName, W(title_),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (!handle_) {
    const DWORD error = GetLastError();
    if (oleInitialized_) OleUninitialize();
    throw Error(U("无法创建应用程序窗口 (错误 ") + Decimal(error) + U(")"));
  }
}

TApplication::~TApplication() {
  if (handle_) DestroyWindow(handle_);
  if (comInitialized_) CoUninitialize();
  if (oleInitialized_) OleUninitialize();
}

void TApplication::Initialize() { comInitialized_ = SUCCEEDED(CoInitialize(nullptr)); }

void TApplication::HideFromTaskbar() {
  const LONG_PTR ex = GetWindowLongPtrW(handle_, GWL_EXSTYLE);
  SetWindowLongPtrW(handle_, GWL_EXSTYLE, ex | WS_EX_TOOLWINDOW);
  SetWindowTextW(handle_, L"");
}

void TApplication::SetMainWindow(HWND window) {
  mainWindow_ = window;
  const LONG_PTR ex = GetWindowLongPtrW(handle_, GWL_EXSTYLE);
  SetWindowLongPtrW(handle_, GWL_EXSTYLE, (ex | WS_EX_NOACTIVATE) & ~LONG_PTR{WS_EX_APPWINDOW});
}

void TApplication::Run() {
  while (!terminated_) {
    try {
      if (!ProcessMessage()) WaitMessage();
    } catch (...) {
      HandleException(std::current_exception());
    }
  }
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  const bool unicode = !msg.hwnd || IsWindowUnicode(msg.hwnd);
  const BOOL removed = unicode ? PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)
                               : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  if (!removed) return true;
  if (msg.message == WM_QUIT) {
    // Taken, not dispatched and not put back: the loop ends when control returns to it.
    terminated_ = true;
    return true;
  }
  if (keyPreview_) {
    // Like a window procedure, the preview keeps its failures from the caller:
    // inside the listing run's pump they must not end the run.
    bool consumed = true;
    try {
      consumed = keyPreview_(msg);
    } catch (...) {
      HandleException(std::current_exception());
    }
    if (consumed) return true;
  }
  TranslateMessage(&msg);
  if (unicode) {
    DispatchMessageW(&msg);
  } else {
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleException(std::exception_ptr failure) noexcept {
  try {
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    const Text text = FailureBoxText(failure);
    HWND owner = GetActiveWindow();
    if (!owner) owner = GetLastActivePopup(handle_);
    HWND focus = GetFocus();
    {
      DisabledThreadWindows disabled;
      errorBox_(owner, text, title_);
    }
    if (owner && IsWindow(owner)) SetActiveWindow(owner);
    if (focus && IsWindow(focus)) SetFocus(focus);
  } catch (...) {
    // Nothing sensible is left to report with; the program goes on waiting for input.
  }
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    self->HandleException(std::current_exception());
    return 0;
  }
}

LRESULT TApplication::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_SETTINGCHANGE || (taskbarCreated_ && message == taskbarCreated_)) &&
      settingsChanged_) {
    settingsChanged_();
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace ostrivel
