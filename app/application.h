#pragma once
// The application object: OLE and COM on the user-interface thread, the hidden
// application window, the main loop, the message pump the listing run uses and
// the default handling of failures that escape an event handler.

#include <exception>
#include <functional>

#include "core/text.h"
#include "core/windows.h"

namespace ostrivel {

class TApplication {
 public:
  // Initialises OLE, takes the program title from `modulePath` and creates the
  // hidden application window. Raises Error when the window cannot be made.
  explicit TApplication(TextView modulePath);
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  // Destroys the application window, then undoes COM and OLE.
  ~TApplication();

  // CoInitialize: the thread becomes a single-threaded apartment.
  void Initialize();
  // The application window leaves the taskbar to the main window.
  void HideFromTaskbar();
  // Makes `window` the main window; the application window can no longer be activated.
  void SetMainWindow(HWND window);

  HWND Handle() const { return handle_; }
  HWND MainWindow() const { return mainWindow_; }
  const Text& Title() const { return title_; }

  // True once a quit message has been taken from the queue.
  bool Terminated() const { return terminated_; }
  // Asks for the end of the program: the main loop ends when it next looks.
  void Terminate() { PostQuitMessage(0); }

  // The main loop: until terminated, handle messages, waiting while there are none.
  void Run();
  // Handles the next message of the queue; false when there was none.
  bool ProcessMessage();
  // Empties the queue without waiting (ProcessPendingMessages).
  void ProcessMessages();

  // The default failure handling: the failure box, owned by the active window.
  // Never raises.
  void HandleException(std::exception_ptr failure) noexcept;

  // Keys a window handles before translation (Tab between controls, say):
  // true means the message was consumed.
  using KeyPreview = std::function<bool(const MSG&)>;
  void SetKeyPreview(KeyPreview preview) { keyPreview_ = std::move(preview); }
  // Called when the system's settings change or the taskbar is re-created.
  void SetSettingsChanged(std::function<void()> handler) { settingsChanged_ = std::move(handler); }
  // Shows the failure box; tests replace it with a recorder.
  using ErrorBox = std::function<void(HWND owner, const Text& text, const Text& caption)>;
  void SetErrorBox(ErrorBox box) { errorBox_ = std::move(box); }

  // The window class of the application window.
  static constexpr const wchar_t* kClassName = L"TApplication";

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  bool oleInitialized_ = false;
  bool comInitialized_ = false;
  bool terminated_ = false;
  Text title_;
  HWND handle_ = nullptr;
  HWND mainWindow_ = nullptr;
  UINT taskbarCreated_ = 0;
  KeyPreview keyPreview_;
  std::function<void()> settingsChanged_;
  ErrorBox errorBox_;
};

}  // namespace ostrivel
