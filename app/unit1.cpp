#include "app/unit1.h"

#include <commctrl.h>

#include "app/control_ids.h"
#include "app/program_text.h"
#include "app/win_text.h"
#include "core/error.h"

namespace ostrivel {
namespace {

constexpr int kDesignClientWidth = 348;
constexpr int kDesignClientHeight = 164;
constexpr int kDesignFontHeight = -11;
constexpr UINT_PTR kEditSubclassId = 1;

const Text& Caption() {
  static const Text caption = U("VantrethOstrivel V1.0");
  return caption;
}

// The sizes a label takes to show its text in one line with its font.
SIZE TextExtent(HWND control, HFONT font, const Text& text) {
  WindowDc dc(control);
  SelectedObject selected(dc.Get(), font);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc.Get(), W(text), static_cast<int>(text.size()), &r, DT_EXPANDTABS | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void MoveTo(HWND window, const Bounds& b) {
  SetWindowPos(window, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

TForm1* FormOf(HWND window) {
  return reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Stores the object given to CreateWindowExW with the window on WM_NCCREATE.
TForm1* AttachForm(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return FormOf(window);
}

}  // namespace

Text TForm1::AboutText() {
  // One line that must fit the panel at every DPI: keep it short.
  return U("借鉴经典设计，欢迎来论坛 https://forum.vantreth.example/");
}

TForm1::TForm1(TApplication& app, Dialogs& dialogs, ListingServices services, LoadDpi loadDpi)
    : app_(app), dialogs_(dialogs), services_(services), loadDpi_(std::move(loadDpi)) {
  placed_ = {{
      {&lbl1_, {3, 19, 52, 13}, true},
      {&lbl2_, {3, 59, 52, 13}, true},
      {&btnOpen_, {248, 14, 75, 25}, false},
      {&btnSave_, {248, 56, 75, 58}, false},
      {&edtdir_, {73, 16, 152, 21}, false},
      {&edttitle_, {73, 56, 152, 21}, false},
  }};
}

TForm1::~TForm1() {
  if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
}

void TForm1::RegisterClasses() {
  static bool registered = false;
  if (registered) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto small = [&](int metric) { return GetSystemMetrics(metric); };
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

  wc.lpfnWndProc = FormProc;
  wc.lpszClassName = kFormClassName;
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, small(SM_CXICON),
                                           small(SM_CYICON), LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, small(SM_CXSMICON),
                                             small(SM_CYSMICON), LR_DEFAULTCOLOR));
  RegisterClassExW(&wc);

  wc.hIcon = wc.hIconSm = nullptr;
  wc.lpfnWndProc = PageProc;
  wc.lpszClassName = kPageClassName;
  RegisterClassExW(&wc);

  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = kPanelClassName;
  RegisterClassExW(&wc);
  registered = true;
}

HWND TForm1::MakeControl(DWORD exStyle, const wchar_t* className, const Text& text, DWORD style,
                         HWND parent, int id) {
  HWND control = CreateWindowExW(exStyle, className, W(text), style | WS_CHILD, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), this);
  if (!control) {
    throw Error(U("无法创建窗口控件 (错误 ") + Decimal(GetLastError()) + U(")"));
  }
  return control;
}

void TForm1::Create() {
  RegisterClasses();
  // Created at its design position; the first placement centres it later.
  handle_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kFormClassName, W(Caption()),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                            kDesignClientWidth, kDesignClientHeight, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (!handle_) throw Error(U("无法创建主窗口 (错误 ") + Decimal(GetLastError()) + U(")"));
  SetClientSize(kDesignClientWidth, kDesignClientHeight);

  const DWORD visible = WS_VISIBLE | WS_CLIPSIBLINGS;
  pgc1_ = MakeControl(0, WC_TABCONTROLW, Text(), visible | WS_TABSTOP | WS_CLIPCHILDREN, handle_,
                      kIdPgc1);
  const Text tabs[] = {U("快照"), U("关于")};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(W(tabs[i]));
    SendMessageW(pgc1_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  ts1_ = MakeControl(WS_EX_CONTROLPARENT, kPageClassName, tabs[0], visible | WS_CLIPCHILDREN, pgc1_,
                     kIdTs1);
  ts2_ = MakeControl(WS_EX_CONTROLPARENT, kPageClassName, tabs[1],
                     WS_CLIPSIBLINGS | WS_CLIPCHILDREN, pgc1_, kIdTs2);

  // Made in tab order, which is also the order of the windows on the page.
  btnOpen_ =
      MakeControl(0, WC_BUTTONW, U("选择"), visible | WS_TABSTOP | BS_PUSHBUTTON, ts1_, kIdBtnOpen);
  btnSave_ = MakeControl(0, WC_BUTTONW, U("创建快照"), visible | WS_TABSTOP | BS_PUSHBUTTON, ts1_,
                         kIdBtnSave);
  edtdir_ = MakeControl(WS_EX_CLIENTEDGE, WC_EDITW, Text(), visible | WS_TABSTOP | ES_AUTOHSCROLL,
                        ts1_, kIdEdtDir);
  edttitle_ = MakeControl(WS_EX_CLIENTEDGE, WC_EDITW, Text(), visible | WS_TABSTOP | ES_AUTOHSCROLL,
                          ts1_, kIdEdtTitle);
  lbl1_ = MakeControl(0, WC_STATICW, U("选择路径:"), visible | SS_LEFTNOWORDWRAP, ts1_, kIdLbl1);
  lbl2_ = MakeControl(0, WC_STATICW, U("网页名称:"), visible | SS_LEFTNOWORDWRAP, ts1_, kIdLbl2);
  pnl1_ = MakeControl(0, kPanelClassName, AboutText(), visible, ts2_, kIdPnl1);
  for (HWND edit : {edtdir_, edttitle_}) {
    SetWindowSubclass(edit, EditProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }

  fontHeight_ = kDesignFontHeight;
  dpi_ = kDesignDpi;
  ApplyFont();
  PlaceControls();
  Layout();

  const int dpi = loadDpi_ ? loadDpi_(handle_) : kDesignDpi;
  if (dpi >= kLowestDpi && dpi != dpi_) {
    RECT client{};
    GetClientRect(handle_, &client);
    const int width = MulDiv(client.right, dpi, dpi_), height = MulDiv(client.bottom, dpi, dpi_);
    ScaleForm(dpi, dpi_);
    SetClientSize(width, height);
  }
  app_.SetMainWindow(handle_);
}

void TForm1::SetClientSize(int width, int height) {
  RECT outer{}, client{};
  GetWindowRect(handle_, &outer);
  GetClientRect(handle_, &client);
  const int frameX = (outer.right - outer.left) - client.right;
  const int frameY = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(handle_, nullptr, 0, 0, width + frameX, height + frameY,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::ApplyFont() {
  FontHandle fresh(CreateFontW(fontHeight_, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
  for (HWND control :
       {pgc1_, ts1_, ts2_, lbl1_, lbl2_, btnOpen_, btnSave_, edtdir_, edttitle_, pnl1_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fresh.Get()), TRUE);
  }
  // The old font goes only once no control uses it any more.
  font_ = std::move(fresh);
}

void TForm1::PlaceControls() {
  for (Placed& p : placed_) {
    if (p.autoSize) {
      const SIZE size = TextExtent(*p.handle, font_.Get(), WindowText(*p.handle));
      p.bounds.width = size.cx;
      p.bounds.height = size.cy;
    }
    MoveTo(*p.handle, p.bounds);
  }
}

void TForm1::Layout() {
  if (!pgc1_) return;
  RECT client{};
  GetClientRect(handle_, &client);
  MoveTo(pgc1_, {0, 0, client.right, client.bottom});
  RECT page{};
  GetClientRect(pgc1_, &page);
  SendMessageW(pgc1_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  // Two pixels more below the tab strip than the control's display area, as
  // the design's page size (340 x 136 in 348 x 164) has it.
  page.top += 2;
  const Bounds pageBounds{page.left, page.top, page.right - page.left, page.bottom - page.top};
  MoveTo(ts1_, pageBounds);
  MoveTo(ts2_, pageBounds);
  MoveTo(pnl1_, {0, 0, pageBounds.width, pageBounds.height});
}

void TForm1::ScaleForm(int newDpi, int oldDpi) {
  fontHeight_ = MulDiv(fontHeight_, newDpi, oldDpi);
  for (Placed& p : placed_) p.bounds = ScaleBounds(p.bounds, newDpi, oldDpi);
  dpi_ = newDpi;
  ApplyFont();
  PlaceControls();
  Layout();
}

void TForm1::Show(int showCommand) {
  if (!shown_) {
    shown_ = true;
    try {
      FormShow(handle_);
    } catch (...) {
      // The window is placed and shown all the same.
      app_.HandleException(std::current_exception());
    }
    FirstPlacement();
  }
  int command = SW_SHOWNORMAL;
  if (showCommand == SW_SHOWMAXIMIZED || showCommand == SW_SHOWMINNOACTIVE) command = showCommand;
  ShowWindow(handle_, command);
}

void TForm1::FirstPlacement() {
  RECT outer{};
  GetWindowRect(handle_, &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  const int deskLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int deskTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int deskWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int deskHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  int left = deskLeft + deskWidth / 2 - width / 2;
  int top = deskTop + deskHeight / 2 - height / 2;
  if (left < deskLeft) left = deskLeft;
  if (top < deskTop) top = deskTop;
  SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::Destroy() {
  if (!handle_) return;
  ShowWindow(handle_, SW_HIDE);
  try {
    FormDestroy(handle_);
  } catch (...) {
    app_.HandleException(std::current_exception());
  }
  DestroyWindow(handle_);
  handle_ = nullptr;
}

// ---- event handlers

void TForm1::btnOpenClick(HWND) {
  // The source chooser never opens at the path the edit box holds.
  Text folder;
  if (!dialogs_.ChooseFolder(U("请选择需要快照的磁盘路径"), folder)) return;
  folder = ReplaceAll(folder, u"/", u"\\");
  SetText(edtdir_, folder);
  SetText(edttitle_, folder + U(" 快照"));
}

void TForm1::btnSaveClick(HWND) {
  // The pump inside a run can bring a second press here. The run in progress
  // owns the shared lists, so this one is refused, audibly: the button looks
  // pressable, and silence would leave the user wondering whether it was.
  if (run_ && run_->InProgress()) {
    MessageBeep(MB_OK);
    return;
  }
  BuildListing();
}

void TForm1::FormShow(HWND) {
  appDir_ = FolderOfPath(ModuleFileName());
  run_ = std::make_unique<ListingRun>(services_, appDir_);
}

void TForm1::FormDestroy(HWND) { run_.reset(); }

void TForm1::BuildListing() {
  if (run_) run_->BuildListing(*this);
}

// ---- what the listing run asks of the window

bool TForm1::ChooseFolder(const Text& prompt, Text& folder) {
  return dialogs_.ChooseFolder(prompt, folder);
}

void TForm1::ShowMessageBox(const Text& text, const Text& caption) {
  dialogs_.ShowMessageBox(handle_, text, caption);
}

void TForm1::ProcessPendingMessages() { app_.ProcessMessages(); }

Text TForm1::SourceText() { return WindowText(edtdir_); }

Text TForm1::TitleText() { return WindowText(edttitle_); }

// ---- keyboard

bool TForm1::IsOwnControl(HWND window) const {
  return window && handle_ && (window == handle_ || IsChild(handle_, window));
}

void TForm1::SelectNextControl(HWND from, bool forward) {
  const HWND order[] = {pgc1_, btnOpen_, btnSave_, edtdir_, edttitle_};
  constexpr int n = 5;
  int at = forward ? -1 : n;
  for (int i = 0; i < n; ++i) {
    if (order[i] == from || IsChild(order[i], from)) at = i;
  }
  for (int step = 1; step <= n; ++step) {
    const int i = ((at + (forward ? step : -step)) % n + n) % n;
    if (IsWindowVisible(order[i]) && IsWindowEnabled(order[i])) {
      SetFocus(order[i]);
      return;
    }
  }
}

void TForm1::FocusFirstControl() { SelectNextControl(nullptr, true); }

bool TForm1::DialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !IsOwnControl(msg.hwnd)) return false;
  if (GetKeyState(VK_MENU) < 0) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  const LRESULT code =
      SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (code & DLGC_WANTALLKEYS) return false;
  switch (msg.wParam) {
    case VK_TAB:
      if (ctrl) {
        const int count = static_cast<int>(SendMessageW(pgc1_, TCM_GETITEMCOUNT, 0, 0));
        const int current = static_cast<int>(SendMessageW(pgc1_, TCM_GETCURSEL, 0, 0));
        const int next = ((current + (shift ? -1 : 1)) % count + count) % count;
        SendMessageW(pgc1_, TCM_SETCURSEL, next, 0);
        ShowPage(next);
        return true;
      }
      if (code & DLGC_WANTTAB) return false;
      SelectNextControl(msg.hwnd, !shift);
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (code & DLGC_WANTARROWS) return false;
      SelectNextControl(msg.hwnd, msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN);
      return true;
    case VK_RETURN:
      // A focused button takes Enter as a click.
      if (!(code & DLGC_BUTTON)) return false;
      Command(GetDlgCtrlID(msg.hwnd), msg.hwnd);
      return true;
    default:
      return false;
  }
}

void TForm1::ShowPage(int index) {
  HWND show = index == 0 ? ts1_ : ts2_;
  HWND hide = index == 0 ? ts2_ : ts1_;
  const bool focusLeaves = IsChild(hide, GetFocus());
  ShowWindow(show, SW_SHOW);
  ShowWindow(hide, SW_HIDE);
  if (focusLeaves) SetFocus(pgc1_);
}

// ---- window procedures

LRESULT CALLBACK TForm1::FormProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
  TForm1* self = AttachForm(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCCREATE) self->handle_ = window;
  try {
    return self->HandleFormMessage(message, wParam, lParam);
  } catch (...) {
    self->app_.HandleException(std::current_exception());
    return 0;
  }
}

LRESULT CALLBACK TForm1::PageProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
  TForm1* self = AttachForm(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->HandlePageMessage(window, message, wParam, lParam);
  } catch (...) {
    self->app_.HandleException(std::current_exception());
    return 0;
  }
}

LRESULT CALLBACK TForm1::PanelProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
  TForm1* self = AttachForm(window, message, lParam);
  if (!self || !self->pnl1_) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->HandlePanelMessage(message, wParam, lParam);
  } catch (...) {
    self->app_.HandleException(std::current_exception());
    return 0;
  }
}

LRESULT CALLBACK TForm1::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<TForm1*>(data);
  try {
    return self->HandleEditMessage(window, message, wParam, lParam);
  } catch (...) {
    self->app_.HandleException(std::current_exception());
    return 0;
  }
}

LRESULT TForm1::HandleFormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // Only marks the end: a listing run in progress finishes first, and the
      // window stays until control is back in the main loop.
      app_.Terminate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DPICHANGED: {
      const int dpi = HIWORD(wParam);
      if (dpi != dpi_) {
        ScaleForm(dpi, dpi_);
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(handle_, focus)) savedFocus_ = focus;
      } else if (!HIWORD(wParam)) {
        if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_) &&
            IsWindowEnabled(savedFocus_)) {
          SetFocus(savedFocus_);
        } else {
          FocusFirstControl();
        }
      }
      return 0;
    case WM_SETFOCUS:
      // The window itself takes no keys: pass the focus on to a control.
      if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_)) {
        SetFocus(savedFocus_);
      } else {
        FocusFirstControl();
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == pgc1_ && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(pgc1_, TCM_GETCURSEL, 0, 0)));
      }
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT TForm1::HandlePageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam && HIWORD(wParam) == BN_CLICKED) {
        Command(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
      }
      break;
    case WM_SETFONT:
      return 0;  // a page shows no text of its own; it reports the window's font
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.Get());
  }
  return DefWindowProcW(page, message, wParam, lParam);
}

void TForm1::Command(int id, HWND control) {
  if (id == kIdBtnOpen) {
    btnOpenClick(control);
  } else if (id == kIdBtnSave) {
    btnSaveClick(control);
  }
}

LRESULT TForm1::HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintPanel();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(pnl1_, message, wParam, lParam);
      InvalidateRect(pnl1_, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      // The panel draws with the window's font.
      if (LOWORD(lParam)) InvalidateRect(pnl1_, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.Get());
  }
  return DefWindowProcW(pnl1_, message, wParam, lParam);
}

void TForm1::PaintPanel() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(pnl1_, &ps);
  RECT r{};
  GetClientRect(pnl1_, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  // A raised bevel one pixel wide: light above and left, shadow below and right.
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  const Text text = WindowText(pnl1_);
  {
    SelectedObject selected(dc, font_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, W(text), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
  }
  EndPaint(pnl1_, &ps);
}

LRESULT TForm1::HandleEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      // Entered with the mouse: the caret goes where the click was.
      mouseEntering_ = true;
      const LRESULT r = DefSubclassProc(edit, message, wParam, lParam);
      mouseEntering_ = false;
      return r;
    }
    case WM_SETFOCUS: {
      const LRESULT r = DefSubclassProc(edit, message, wParam, lParam);
      // Entered from another control by the keyboard: the whole text is selected.
      const HWND from = reinterpret_cast<HWND>(wParam);
      if (!mouseEntering_ && from && IsOwnControl(from)) SendMessageW(edit, EM_SETSEL, 0, -1);
      return r;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, EditProc, kEditSubclassId);
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace ostrivel
