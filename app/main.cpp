// Ostrivel.exe: start-up, the main loop and shut-down.

#include <memory>

#include "app/application.h"
#include "app/folder_chooser.h"
#include "app/program_text.h"
#include "app/unit1.h"
#include "app/win_text.h"
#include "core/clock.h"
#include "core/windows.h"
#include "page/date_time.h"
#include "page/locale_source.h"
#include "page/text_file.h"
#include "scan/collation.h"
#include "scan/file_system.h"
#include "scan/listing_run.h"

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
  std::unique_ptr<RegionalSettings> regional;
  std::unique_ptr<Collation> collation;
  std::unique_ptr<TApplication> app;
  std::unique_ptr<SystemDialogs> dialogs;
  std::unique_ptr<TForm1> form;
  try {
    // The regional settings come first: every time text of a run uses them.
    regional = std::make_unique<RegionalSettings>(SystemLocaleSource());
    collation = MakeUserCollation();
    app = std::make_unique<TApplication>(modulePath);
    app->SetSettingsChanged([r = regional.get()] { r->Refresh(); });
    app->Initialize();
    app->HideFromTaskbar();
    dialogs = std::make_unique<SystemDialogs>(*app);
    const ListingServices services{SystemFileSystem(), *collation, SystemTextFiles(), SystemClock(),
                                   *regional};
    form = std::make_unique<TForm1>(*app, *dialogs, services);
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
