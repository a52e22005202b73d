#pragma once
// The shell's folder browser and the message box, as the program shows them.

#include "app/dialogs.h"
#include "core/text.h"
#include "core/windows.h"

namespace ostrivel {

class TApplication;

// Whether `path` names an existing directory. A link must also open; a failed
// attribute query counts as missing only for the errors that say so (access
// denied, for one, does not).
bool IsExistingDirectory(const Text& path);

// SHBrowseForFolderW over the whole shell namespace, owned by `owner`, centred
// on the monitor nearest to `centreOn`, with `folder` preselected when it
// exists. A missing initial folder is emptied even when the user cancels. An
// accepted item without a file-system path counts as cancelled.
bool ChooseFolder(HWND owner, HWND centreOn, const Text& prompt, Text& folder);

// MessageBoxW with MB_OK; its result is of no interest.
void ShowMessageBox(HWND owner, const Text& text, const Text& caption);

// The real dialogs: the chooser owned by the application window and centred on
// the main window's monitor.
class SystemDialogs final : public Dialogs {
 public:
  explicit SystemDialogs(const TApplication& app) : app_(app) {}
  bool ChooseFolder(const Text& prompt, Text& folder) override;
  void ShowMessageBox(HWND owner, const Text& text, const Text& caption) override;

 private:
  const TApplication& app_;
};

}  // namespace ostrivel
