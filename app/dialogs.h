#pragma once
// The two exchanges of the main window that leave it: the folder chooser and
// the message box. The program gives the real ones; tests give recording fakes.

#include "core/text.h"
#include "core/windows.h"

namespace ostrivel {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // `folder` holds the initial folder on entry and the chosen one when the
  // result is true; false means cancelled or not shown.
  virtual bool ChooseFolder(const Text& prompt, Text& folder) = 0;
  // A modal box with one OK button and no icon.
  virtual void ShowMessageBox(HWND owner, const Text& text, const Text& caption) = 0;
};

}  // namespace ostrivel
