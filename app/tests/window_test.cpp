// The main window built in-process: its controls, layout and scaling, the
// keyboard, the two commands with a recording chooser, and the failure box.

#include "app/tests/window_fixture.h"

#include <commctrl.h>

#include "app/control_ids.h"

namespace ostrivel::testing {
namespace {

Text ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return FromW(name);
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  GetObjectW(handle, sizeof font, &font);
  return font;
}

SIZE TextSize(HWND control, const Text& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, W(text), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {r.right, r.bottom};
}

bool Contains(const Bounds& outer, const Bounds& inner) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

TEST_F(WindowTest, ControlTreeCaptionsAndStyles) {
  HWND f = form->Handle();
  EXPECT_EQ(ClassOf(f), U("TForm1"));
  EXPECT_EQ(WindowText(f), U("VantrethOstrivel V1.0"));
  EXPECT_EQ(GetWindow(f, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(f), nullptr);
  const LONG_PTR style = GetWindowLongPtrW(f, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_TRUE(GetWindowLongPtrW(f, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_TRUE(IsWindowVisible(f));
  EXPECT_EQ(GetClassLongPtrW(f, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
  EXPECT_NE(GetClassLongPtrW(f, GCLP_HICON), 0) << "the program icon";

  struct Row {
    HWND window;
    int id;
    HWND parent;
    const char* className;
    const char* text;
    bool tabStop;
  };
  const Row rows[] = {
      {form->pgc1(), kIdPgc1, f, "SysTabControl32", "", true},
      {form->ts1(), kIdTs1, form->pgc1(), "TTabSheet", "快照", false},
      {form->ts2(), kIdTs2, form->pgc1(), "TTabSheet", "关于", false},
      {form->lbl1(), kIdLbl1, form->ts1(), "Static", "选择路径:", false},
      {form->lbl2(), kIdLbl2, form->ts1(), "Static", "网页名称:", false},
      {form->btnOpen(), kIdBtnOpen, form->ts1(), "Button", "选择", true},
      {form->btnSave(), kIdBtnSave, form->ts1(), "Button", "创建快照", true},
      {form->edtdir(), kIdEdtDir, form->ts1(), "Edit", "", true},
      {form->edttitle(), kIdEdtTitle, form->ts1(), "Edit", "", true},
      {form->pnl1(), kIdPnl1, form->ts2(), "TPanel", nullptr, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.className + std::string(" ") + std::to_string(row.id));
    ASSERT_TRUE(IsWindow(row.window));
    EXPECT_EQ(GetDlgCtrlID(row.window), row.id);
    EXPECT_EQ(GetParent(row.window), row.parent);
    EXPECT_EQ(Utf8(ClassOf(row.window)), row.className);
    if (row.text) {
      EXPECT_EQ(Utf8(WindowText(row.window)), row.text);
    }
    EXPECT_EQ((GetWindowLongPtrW(row.window, GWL_STYLE) & WS_TABSTOP) != 0, row.tabStop);
    const LOGFONTW font = FontOf(row.window);
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(Text(reinterpret_cast<const char16_t*>(font.lfFaceName)), U("Tahoma"));
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
  }

  // The tab strip: two pages, the first one shown.
  ASSERT_EQ(SendMessageW(form->pgc1(), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(form->pgc1(), TCM_GETCURSEL, 0, 0), 0);
  wchar_t tab[16];
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = tab;
  item.cchTextMax = 16;
  SendMessageW(form->pgc1(), TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(FromW(tab), U("关于"));
  EXPECT_TRUE(IsWindowVisible(form->ts1()));
  EXPECT_FALSE(IsWindowVisible(form->ts2()));

  // The application window: hidden, zero size, no caption, never on the taskbar.
  HWND a = app->Handle();
  EXPECT_EQ(ClassOf(a), U("TApplication"));
  EXPECT_FALSE(IsWindowVisible(a));
  EXPECT_EQ(WindowText(a), Text());
  RECT r{};
  GetWindowRect(a, &r);
  EXPECT_EQ(r.right - r.left, 0);
  EXPECT_EQ(r.bottom - r.top, 0);
  const LONG_PTR ex = GetWindowLongPtrW(a, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_EQ(app->MainWindow(), f);
  EXPECT_EQ(app->Title(), U("Ostrivel"));
}

// Positions and sizes at a DPI: the design's, scaled by the far-edge rule.
struct LayoutRow {
  int dpi;
  SIZE client;
  int fontHeight;
  Bounds btnOpen, btnSave, edtdir, edttitle;
  POINT lbl1, lbl2;
};

const LayoutRow kLayouts[] = {
    {96,
     {348, 164},
     -11,
     {248, 14, 75, 25},
     {248, 56, 75, 58},
     {73, 16, 152, 21},
     {73, 56, 152, 21},
     {3, 19},
     {3, 59}},
    {120,
     {435, 205},
     -14,
     {310, 18, 94, 31},
     {310, 70, 94, 73},
     {91, 20, 190, 26},
     {91, 70, 190, 26},
     {4, 24},
     {4, 74}},
    {144,
     {522, 246},
     -17,
     {372, 21, 113, 38},
     {372, 84, 113, 87},
     {110, 24, 228, 32},
     {110, 84, 228, 32},
     {5, 29},
     {5, 89}},
};

void ExpectLayout(TForm1& form, const LayoutRow& row, bool checkClient) {
  SCOPED_TRACE("at " + std::to_string(row.dpi) + " dpi");
  EXPECT_EQ(form.Dpi(), row.dpi);
  if (checkClient) {
    const SIZE client = ClientSize(form.Handle());
    EXPECT_EQ(client.cx, row.client.cx);
    EXPECT_EQ(client.cy, row.client.cy);
  }
  EXPECT_EQ(FontOf(form.btnSave()).lfHeight, row.fontHeight);
  EXPECT_EQ(FontOf(form.pnl1()).lfHeight, row.fontHeight);
  const std::pair<HWND, Bounds> placed[] = {{form.btnOpen(), row.btnOpen},
                                            {form.btnSave(), row.btnSave},
                                            {form.edtdir(), row.edtdir},
                                            {form.edttitle(), row.edttitle}};
  for (const auto& [control, expected] : placed) {
    SCOPED_TRACE(Utf8(WindowText(control)) + " id " + std::to_string(GetDlgCtrlID(control)));
    EXPECT_EQ(Describe(ChildBounds(control)), Describe(expected));
  }
  // Labels keep their corner and take the size of their text.
  for (auto [label, corner] : {std::pair{form.lbl1(), row.lbl1}, {form.lbl2(), row.lbl2}}) {
    const Bounds b = ChildBounds(label);
    const SIZE text = TextSize(label, WindowText(label));
    EXPECT_EQ(b.left, corner.x);
    EXPECT_EQ(b.top, corner.y);
    EXPECT_EQ(b.width, text.cx);
    EXPECT_EQ(b.height, text.cy);
    // A label must end before the edit box beside it begins.
    EXPECT_LT(b.left + b.width, ChildBounds(form.edtdir()).left);
  }
  // pgc1 fills the client area, both pages fill the area below the tab
  // strip, pnl1 fills its page.
  const SIZE client = ClientSize(form.Handle());
  EXPECT_EQ(Describe(ChildBounds(form.pgc1())), Describe({0, 0, client.cx, client.cy}));
  const Bounds page = ChildBounds(form.ts1());
  EXPECT_EQ(Describe(ChildBounds(form.ts2())), Describe(page));
  RECT tab{};
  SendMessageW(form.pgc1(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  EXPECT_GE(page.top, tab.bottom);
  EXPECT_TRUE(Contains({0, 0, client.cx, client.cy}, page));
  const SIZE pageSize = ClientSize(form.ts2());
  EXPECT_EQ(Describe(ChildBounds(form.pnl1())), Describe({0, 0, pageSize.cx, pageSize.cy}));
  if (row.dpi == kDesignDpi && checkClient) {
    EXPECT_EQ(Describe(ChildBounds(form.pnl1())), Describe({0, 0, 340, 136}));
  }
  // Every control of the first page lies inside it, and its text fits.
  for (HWND control :
       {form.lbl1(), form.lbl2(), form.btnOpen(), form.btnSave(), form.edtdir(), form.edttitle()}) {
    SCOPED_TRACE(GetDlgCtrlID(control));
    EXPECT_TRUE(Contains({0, 0, page.width, page.height}, ChildBounds(control)));
    const SIZE text = TextSize(control, WindowText(control));
    EXPECT_LE(text.cx, ChildBounds(control).width);
  }
  // The tab captions fit their tabs; the About line fits the panel.
  for (int i = 0; i < 2; ++i) {
    SendMessageW(form.pgc1(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab));
    EXPECT_LE(TextSize(form.pgc1(), i == 0 ? U("快照") : U("关于")).cx, tab.right - tab.left);
    EXPECT_LE(TextSize(form.pgc1(), U("快照")).cy, tab.bottom - tab.top);
  }
  EXPECT_LE(TextSize(form.pnl1(), TForm1::AboutText()).cx + 4, pageSize.cx);
}

TEST_F(WindowTest, LayoutScaledWhileLoading) {
  for (const LayoutRow& row : kLayouts) {
    Build(row.dpi);
    ExpectLayout(*form, row, true);
  }
}

TEST_F(WindowTest, LayoutFollowsDpiChange) {
  for (const LayoutRow& row : kLayouts) {
    Build(kDesignDpi);
    RECT suggested{};
    GetWindowRect(form->Handle(), &suggested);
    suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, row.dpi, 96);
    suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, row.dpi, 96);
    EXPECT_EQ(SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(row.dpi, row.dpi),
                           reinterpret_cast<LPARAM>(&suggested)),
              0);
    ExpectLayout(*form, row, false);
    RECT now{};
    GetWindowRect(form->Handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << "takes the suggested rectangle";
  }
  // Back from 144 to 96 ends where it began; the same DPI again changes nothing.
  Build(144);
  RECT r{0, 0, 400, 300};
  SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&r));
  ExpectLayout(*form, kLayouts[0], false);
  RECT unchanged{10, 10, 500, 500};
  RECT before{};
  GetWindowRect(form->Handle(), &before);
  SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96),
               reinterpret_cast<LPARAM>(&unchanged));
  RECT after{};
  GetWindowRect(form->Handle(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowTest, FailedOrTinyDpiLeavesTheDesign) {
  for (int dpi : {0, 29}) {
    SCOPED_TRACE(dpi);
    Build(dpi);
    ExpectLayout(*form, kLayouts[0], true);
  }
}

TEST_F(WindowTest, ResizingMovesOnlyThePageControl) {
  const Bounds open = ChildBounds(form->btnOpen());
  RECT r{};
  GetWindowRect(form->Handle(), &r);
  SetWindowPos(form->Handle(), nullptr, 0, 0, r.right - r.left + 100, r.bottom - r.top + 60,
               SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  const SIZE client = ClientSize(form->Handle());
  EXPECT_EQ(client.cx, 448);
  EXPECT_EQ(client.cy, 224);
  EXPECT_EQ(Describe(ChildBounds(form->pgc1())), Describe({0, 0, 448, 224}));
  EXPECT_EQ(Describe(ChildBounds(form->btnOpen())), Describe(open));
  const SIZE page = ClientSize(form->ts2());
  EXPECT_EQ(Describe(ChildBounds(form->pnl1())), Describe({0, 0, page.cx, page.cy}));
}

TEST_F(WindowTest, FirstPlacementCentresOnTheVirtualDesktop) {
  RECT r{};
  GetWindowRect(form->Handle(), &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  EXPECT_EQ(r.left, std::max(x, x + cx / 2 - w / 2));
  EXPECT_EQ(r.top, std::max(y, y + cy / 2 - h / 2));
}

TEST_F(WindowTest, FocusStartsOnTheTabStripAndTabCycles) {
  EXPECT_EQ(GetFocus(), form->pgc1());
  const HWND forward[] = {form->btnOpen(), form->btnSave(), form->edtdir(), form->edttitle(),
                          form->pgc1()};
  for (HWND expected : forward) {
    PressKey(VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), GetDlgCtrlID(expected));
  }
  const HWND backward[] = {form->edttitle(), form->edtdir(), form->btnSave(), form->btnOpen(),
                           form->pgc1()};
  for (HWND expected : backward) {
    PressKey(VK_TAB, true);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), GetDlgCtrlID(expected));
  }
  // On the About page only the tab strip takes the focus.
  PressKey(VK_TAB, false, true);
  EXPECT_EQ(SendMessageW(form->pgc1(), TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(form->ts2()));
  EXPECT_FALSE(IsWindowVisible(form->ts1()));
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), form->pgc1());
  PressKey(VK_TAB, true);
  EXPECT_EQ(GetFocus(), form->pgc1());
  // The arrow keys on the tab strip switch pages, as the tab control does.
  PressKey(VK_LEFT);
  EXPECT_EQ(SendMessageW(form->pgc1(), TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(form->ts1()));
  EXPECT_EQ(GetFocus(), form->pgc1());
}

TEST_F(WindowTest, EditBoxEnteredByKeyboardSelectsItsText) {
  SetText(form->edtdir(), U("C:\\Data"));
  SetText(form->edttitle(), U("标题"));
  SetFocus(form->btnSave());
  SendMessageW(form->edtdir(), EM_SETSEL, 2, 2);
  PressKey(VK_TAB);
  ASSERT_EQ(GetFocus(), form->edtdir());
  DWORD start = 0, end = 0;
  SendMessageW(form->edtdir(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 7u);
  PressKey(VK_TAB);
  ASSERT_EQ(GetFocus(), form->edttitle());
  SendMessageW(form->edttitle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);

  // Entered with the mouse, the caret goes where the click was instead.
  SetFocus(form->btnOpen());
  SendMessageW(form->edtdir(), EM_SETSEL, 0, 0);
  SendMessageW(form->edtdir(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 5));
  SendMessageW(form->edtdir(), WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
  ASSERT_EQ(GetFocus(), form->edtdir());
  SendMessageW(form->edtdir(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end) << "no selection after a click";
}

TEST_F(WindowTest, EnterOnAFocusedButtonClicksIt) {
  dialogs.answers.push_back({true, U("C:\\Data")});
  SetFocus(form->btnOpen());
  PressKey(VK_RETURN);
  ASSERT_EQ(dialogs.chooserCalls.size(), 1u);
  EXPECT_EQ(WindowText(form->edtdir()), U("C:\\Data"));
}

TEST_F(WindowTest, ChoosingASourceFillsPathAndTitle) {
  struct Row {
    const char* chosen;
    const char* path;
    const char* title;
  };
  const Row rows[] = {
      {"C:\\Data", "C:\\Data", "C:\\Data 快照"},
      {"D:\\", "D:\\", "D:\\ 快照"},  // a drive root keeps its backslash
      {"C:/Users/li/文档", "C:\\Users\\li\\文档", "C:\\Users\\li\\文档 快照"},
      {"\\\\server\\share\\年报", "\\\\server\\share\\年报", "\\\\server\\share\\年报 快照"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.chosen);
    dialogs.chooserCalls.clear();
    SetText(form->edtdir(), U("C:\\Windows"));  // exists, yet the chooser starts empty
    SetText(form->edttitle(), U("typed title"));
    dialogs.answers.push_back({true, U(row.chosen)});
    Click(form->btnOpen());
    ASSERT_EQ(dialogs.chooserCalls.size(), 1u);
    EXPECT_EQ(dialogs.chooserCalls[0].prompt, U("请选择需要快照的磁盘路径"));
    EXPECT_EQ(dialogs.chooserCalls[0].initialFolder, Text());
    EXPECT_EQ(Utf8(WindowText(form->edtdir())), row.path);
    EXPECT_EQ(Utf8(WindowText(form->edttitle())), row.title);
  }
}

TEST_F(WindowTest, CancellingTheSourceChooserChangesNothing) {
  SetText(form->edtdir(), U("C:\\Before"));
  SetText(form->edttitle(), U("之前"));
  dialogs.answers.push_back({false, U("C:\\Ignored")});
  Click(form->btnOpen());
  EXPECT_EQ(dialogs.chooserCalls.size(), 1u);
  EXPECT_EQ(WindowText(form->edtdir()), U("C:\\Before"));
  EXPECT_EQ(WindowText(form->edttitle()), U("之前"));
}

TEST_F(WindowTest, ListingUiReadsTheEditBoxes) {
  SetText(form->edtdir(), U("  C:\\typed "));
  SetText(form->edttitle(), U("页面"));
  ListingUi& ui = *form;
  EXPECT_EQ(ui.SourceText(), U("  C:\\typed "));
  EXPECT_EQ(ui.TitleText(), U("页面"));
  ui.ShowMessageBox(U("总耗时0秒"), U("操作完成"));
  ASSERT_EQ(dialogs.messageBoxes.size(), 1u);
  EXPECT_EQ(dialogs.messageBoxes[0].owner, form->Handle());
  EXPECT_EQ(dialogs.messageBoxes[0].text, U("总耗时0秒"));
  EXPECT_EQ(dialogs.messageBoxes[0].caption, U("操作完成"));
}

TEST_F(WindowTest, FormShowMakesTheRunAndRecordsTheProgramFolder) {
  ASSERT_NE(form->Run(), nullptr);
  const Text module = ModuleFileName();
  EXPECT_EQ(form->AppDir(), module.substr(0, module.rfind(u'\\') + 1));
  EXPECT_EQ(form->Run()->AppDir, form->AppDir());
  EXPECT_EQ(form->Run()->DirList.Count(), 0);
  form->Destroy();
  EXPECT_EQ(form->Run(), nullptr) << "FormDestroy frees the lists";
  form.reset();
}

TEST_F(WindowTest, SettingsChangesReachTheHandler) {
  int refreshed = 0;
  app->SetSettingsChanged([&] { ++refreshed; });
  SendMessageW(app->Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
  EXPECT_EQ(refreshed, 1);
  SendMessageW(app->Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(refreshed, 2);
  SendMessageW(app->Handle(), WM_USER + 5, 0, 0);
  EXPECT_EQ(refreshed, 2);
  // A failing refresh is reported, not thrown through the window procedure.
  app->SetSettingsChanged([] { throw Error(U("locale gone")); });
  SendMessageW(app->Handle(), WM_SETTINGCHANGE, 0, 0);
  ASSERT_EQ(errorBoxes.size(), 1u);
  EXPECT_EQ(errorBoxes[0].text, U("locale gone."));
}

TEST_F(WindowTest, FailureInAHandlerIsBoxedAndTheLoopGoesOn) {
  SetText(form->edtdir(), U("C:\\Kept"));
  HWND focusBefore = form->btnOpen();
  SetFocus(focusBefore);
  RecordingDialogs::Answer failing;
  bool formEnabledInside = true;
  failing.during = [&] { throw Error(U("设备未就绪")); };
  dialogs.answers.push_back(std::move(failing));
  app->SetErrorBox([&](HWND owner, const Text& text, const Text& caption) {
    formEnabledInside = IsWindowEnabled(form->Handle()) != FALSE;
    errorBoxes.push_back({owner, text, caption, formEnabledInside});
  });
  // Through the main loop: the click, a second click that succeeds, then quit.
  PostMessageW(form->btnOpen(), BM_CLICK, 0, 0);
  dialogs.answers.push_back({true, U("C:\\Second")});
  PostMessageW(form->btnOpen(), BM_CLICK, 0, 0);
  PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
  app->Run();
  EXPECT_TRUE(app->Terminated());
  ASSERT_EQ(errorBoxes.size(), 1u);
  EXPECT_EQ(errorBoxes[0].text, U("设备未就绪."));
  EXPECT_EQ(errorBoxes[0].caption, U("Ostrivel"));
  EXPECT_EQ(errorBoxes[0].owner, form->Handle()) << "the active window owns the box";
  EXPECT_FALSE(formEnabledInside) << "the other windows are disabled while it is open";
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_EQ(GetFocus(), focusBefore);
  // The second click ran after the failure.
  EXPECT_EQ(dialogs.chooserCalls.size(), 2u);
  EXPECT_EQ(WindowText(form->edtdir()), U("C:\\Second"));
  EXPECT_TRUE(IsWindow(form->Handle())) << "closing only marks the end";
}

TEST_F(WindowTest, WithNoActiveWindowTheApplicationWindowOwnsTheFailureBox) {
  ShowWindow(form->Handle(), SW_HIDE);
  Pump();
  ASSERT_EQ(GetActiveWindow(), nullptr);
  app->HandleException(std::make_exception_ptr(Error(U("后台失败"))));
  ASSERT_EQ(errorBoxes.size(), 1u);
  EXPECT_EQ(errorBoxes[0].owner, GetLastActivePopup(app->Handle()));
  EXPECT_EQ(errorBoxes[0].text, U("后台失败."));
}

TEST_F(WindowTest, FailureInsideThePumpNeverReachesItsCaller) {
  RecordingDialogs::Answer failing;
  failing.during = [] { throw std::runtime_error("disk gone"); };
  dialogs.answers.push_back(std::move(failing));
  PostMessageW(form->btnOpen(), BM_CLICK, 0, 0);
  ListingUi& ui = *form;
  EXPECT_NO_THROW(ui.ProcessPendingMessages());
  ASSERT_EQ(errorBoxes.size(), 1u);
  EXPECT_EQ(errorBoxes[0].text, U("disk gone."));
}

TEST_F(WindowTest, QuitInsideThePumpMarksTheEndAndIsTaken) {
  int dispatched = 0;
  dialogs.answers.push_back({false, Text(), [&] { ++dispatched; }});
  PostQuitMessage(0);
  PostMessageW(form->btnOpen(), BM_CLICK, 0, 0);
  ListingUi& ui = *form;
  ui.ProcessPendingMessages();
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(dispatched, 1) << "messages after the quit are still handled";
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "the quit is not put back";
}

TEST_F(WindowTest, ClosingWhileAHandlerPumpsEndsOnlyAfterIt) {
  // A handler that keeps the window alive by pumping, as the listing run does.
  bool windowAliveAtEnd = false;
  bool terminatedInside = false;
  RecordingDialogs::Answer pumping;
  pumping.accepted = true;
  pumping.folder = U("C:\\Out");
  pumping.during = [&] {
    PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    form->ProcessPendingMessages();
    terminatedInside = app->Terminated();
    form->ProcessPendingMessages();
    windowAliveAtEnd = IsWindowVisible(form->Handle()) != FALSE;
  };
  dialogs.answers.push_back(std::move(pumping));
  PostMessageW(form->btnOpen(), BM_CLICK, 0, 0);
  app->Run();
  EXPECT_TRUE(terminatedInside);
  EXPECT_TRUE(windowAliveAtEnd);
  EXPECT_EQ(WindowText(form->edtdir()), U("C:\\Out")) << "the handler ran to its end";
}

}  // namespace
}  // namespace ostrivel::testing
