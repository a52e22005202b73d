#pragma once
// Builds the application object and the main window in the test process, with
// the folder chooser, the message box and the failure box replaced by recorders.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/unit1.h"
#include "app/win_text.h"
#include "core/error.h"
#include "page/date_time.h"
#include "tests/fake_file_system.h"
#include "tests/fake_text_files.h"
#include "tests/listing_fakes.h"

namespace ostrivel::testing {

struct ChooserCall {
  Text prompt;
  Text initialFolder;
};

struct BoxCall {
  HWND owner;
  Text text;
  Text caption;
  bool ownerEnabled;  // as seen while the box was open
};

// Answers the chooser from a script and records every call.
class RecordingDialogs final : public Dialogs {
 public:
  struct Answer {
    bool accepted = false;
    Text folder;
    std::function<void()> during;  // runs while the "dialog" is open
  };

  bool ChooseFolder(const Text& prompt, Text& folder) override {
    chooserCalls.push_back({prompt, folder});
    if (answers.empty()) return false;
    Answer answer = std::move(answers.front());
    answers.pop_front();
    if (answer.during) answer.during();
    if (answer.accepted) folder = answer.folder;
    return answer.accepted;
  }
  void ShowMessageBox(HWND owner, const Text& text, const Text& caption) override {
    messageBoxes.push_back({owner, text, caption, owner && IsWindowEnabled(owner) != FALSE});
    if (onMessageBox) onMessageBox();
  }

  std::deque<Answer> answers;
  std::vector<ChooserCall> chooserCalls;
  std::vector<BoxCall> messageBoxes;
  std::function<void()> onMessageBox;
};

// The program title the fixture's application object computes.
inline const char* kTestModulePath = "C:\\Program Files\\Vantreth\\OSTRIVEL.EXE";

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    SetPlainDateFormats(locale);
    regional = std::make_unique<RegionalSettings>(locale);
  }

  void SetUp() override { Build(kDesignDpi); }
  void TearDown() override {
    if (form) form->Destroy();
    form.reset();
    app.reset();
    // Nothing of one test may reach the next.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Build(int loadDpi) {
    if (form) form->Destroy();
    form.reset();
    app.reset();
    app = std::make_unique<TApplication>(U(kTestModulePath));
    app->Initialize();
    app->HideFromTaskbar();
    app->SetErrorBox([this](HWND owner, const Text& text, const Text& caption) {
      errorBoxes.push_back({owner, text, caption, owner && IsWindowEnabled(owner) != FALSE});
    });
    const ListingServices services{fs, collation, textFiles, clock, *regional};
    form = std::make_unique<TForm1>(*app, dialogs, services, [loadDpi](HWND) { return loadDpi; });
    form->Create();
    app->SetKeyPreview([f = form.get()](const MSG& msg) { return f->DialogKey(msg); });
    form->Show(SW_SHOWNORMAL);
    Pump();
  }

  // Handles whatever is queued, as the main loop would, without waiting.
  void Pump() { app->ProcessMessages(); }

  // A key press delivered through the queue to the focused control, with
  // Shift or Ctrl held as given.
  void PressKey(WPARAM key, bool shift = false, bool ctrl = false) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 1 | (3u << 30));
    Pump();
    state[VK_SHIFT] = state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }

  void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
  }

  // What the listing run works on: all in memory.
  FakeFileSystem fs;
  FakeTextFiles textFiles;
  PlainCollation collation;
  ScriptedClock clock;
  TableLocaleSource locale;
  std::unique_ptr<RegionalSettings> regional;

  RecordingDialogs dialogs;
  std::vector<BoxCall> errorBoxes;
  std::unique_ptr<TApplication> app;
  std::unique_ptr<TForm1> form;
};

// The bounds of a child relative to its parent's client area.
inline Bounds ChildBounds(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

inline std::string Describe(const Bounds& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.width) +
         "x" + std::to_string(b.height);
}

}  // namespace ostrivel::testing
