// Ostrivel.exe: start-up, the main loop and shut-down.

#include <memory>

#include "app/application.h"
#include "app/folder_chooser.h"
#include "app/program_text.h"
#include "app/unit1.h"
#include "app/win_text.h"
#include "core/windows.h"

using namespace ostrivel;

namespace {

// A failure before the main loop runs: reported, and the process ends with 1.
int StartFailed(const Text& title, std::exception_ptr failure) {
  const Text text = U("程序无法启动：") + FailureBoxText(failure);
  MessageBoxW(nullptr, W(text), W(title.empty() ? U("Ostrivel") : title), MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  const Text modulePath = ModuleFileName();
  std::unique_ptr<TApplication> app;
  std::unique_ptr<SystemDialogs> dialogs;
  std::unique_ptr<TForm1> form;
  try {
    app = std::make_unique<TApplication>(modulePath);
    app->Initialize();
    app->HideFromTaskbar();
    dialogs = std::make_unique<SystemDialogs>(*app);
    form = std::make_unique<TForm1>(*app, *dialogs);
    form->Create();
    app->SetKeyPreview([f = form.get()](const MSG& msg) { return f->DialogKey(msg); });
    form->Show(showCommand);
  } catch (...) {
    const auto failure = std::current_exception();
    form.reset();
    return StartFailed(ProgramTitle(modulePath), failure);
  }
  app->Run();
  form->Destroy();
  form.reset();
  app.reset();
  return 0;
}
