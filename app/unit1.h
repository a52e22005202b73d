#pragma once
// The main window Form1: a page control with the snapshot page (source folder,
// page title, the choose and create buttons) and the About page.

#include <array>
#include <functional>
#include <memory>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/dpi.h"
#include "app/win_handles.h"
#include "core/text.h"
#include "core/windows.h"
#include "scan/listing_run.h"
#include "scan/listing_ui.h"

namespace ostrivel {

class TForm1 final : public ListingUi {
 public:
  // The DPI the window is scaled to while it is loaded; tests give their own.
  using LoadDpi = std::function<int(HWND)>;

  // `services` reach the listing run, which FormShow creates.
  TForm1(TApplication& app, Dialogs& dialogs, ListingServices services,
         LoadDpi loadDpi = LoadDpiOfWindow);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;
  ~TForm1() override;

  // Builds the window and its controls from the design, scaled to the DPI of
  // its monitor. Raises Error when a window cannot be made.
  void Create();
  // FormShow, the first placement, then ShowWindow: maximised for
  // SW_SHOWMAXIMIZED, minimised for SW_SHOWMINNOACTIVE, otherwise normal.
  void Show(int showCommand);
  // FormDestroy, then the window and its controls go.
  void Destroy();

  // The event handlers; none uses its sender. A press of the create button
  // while a run is in progress is refused with a beep.
  void btnOpenClick(HWND sender);
  void btnSaveClick(HWND sender);
  void FormShow(HWND sender);
  void FormDestroy(HWND sender);
  void BuildListing();

  // What the listing run asks of the window.
  bool ChooseFolder(const Text& prompt, Text& folder) override;
  void ShowMessageBox(const Text& text, const Text& caption) override;
  void ProcessPendingMessages() override;
  Text SourceText() override;
  Text TitleText() override;

  // Tab, Shift+Tab, Ctrl+Tab, arrows and Enter between the controls; true when
  // the key was used here.
  bool DialogKey(const MSG& msg);

  HWND Handle() const { return handle_; }
  HWND pgc1() const { return pgc1_; }
  HWND ts1() const { return ts1_; }
  HWND ts2() const { return ts2_; }
  HWND lbl1() const { return lbl1_; }
  HWND lbl2() const { return lbl2_; }
  HWND btnOpen() const { return btnOpen_; }
  HWND btnSave() const { return btnSave_; }
  HWND edtdir() const { return edtdir_; }
  HWND edttitle() const { return edttitle_; }
  HWND pnl1() const { return pnl1_; }
  int Dpi() const { return dpi_; }
  int FontHeight() const { return fontHeight_; }
  HFONT Font() const { return font_.Get(); }
  const Text& AppDir() const { return appDir_; }
  // The run and its shared lists, from FormShow to FormDestroy.
  ListingRun* Run() const { return run_.get(); }

  // The About text, one line.
  static Text AboutText();

 private:
  // A control placed by its own bounds (the rest follow their parent's size).
  struct Placed {
    HWND* handle;
    Bounds bounds;
    bool autoSize;
  };

  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  static void RegisterClasses();

  LRESULT HandleFormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandlePageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
  void Command(int id, HWND control);

  HWND MakeControl(DWORD exStyle, const wchar_t* className, const Text& text, DWORD style,
                   HWND parent, int id);
  void ApplyFont();
  void PlaceControls();
  void Layout();
  void ScaleForm(int newDpi, int oldDpi);
  void SetClientSize(int width, int height);
  void FirstPlacement();
  void ShowPage(int index);
  bool IsOwnControl(HWND window) const;
  void SelectNextControl(HWND from, bool forward);
  void FocusFirstControl();
  void PaintPanel();

  TApplication& app_;
  Dialogs& dialogs_;
  ListingServices services_;
  LoadDpi loadDpi_;

  HWND handle_ = nullptr;
  HWND pgc1_ = nullptr, ts1_ = nullptr, ts2_ = nullptr, lbl1_ = nullptr, lbl2_ = nullptr;
  HWND btnOpen_ = nullptr, btnSave_ = nullptr, edtdir_ = nullptr, edttitle_ = nullptr;
  HWND pnl1_ = nullptr;

  std::array<Placed, 6> placed_;
  int dpi_ = kDesignDpi;
  int fontHeight_ = -11;
  FontHandle font_;
  HWND savedFocus_ = nullptr;
  bool mouseEntering_ = false;
  bool shown_ = false;

  Text appDir_;
  std::unique_ptr<ListingRun> run_;
};

}  // namespace ostrivel
