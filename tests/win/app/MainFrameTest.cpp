// The main frame's behaviour: window commands, tray icon, drive items and
// slots, library and system commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "TestPump.h"
#include "framework/Elevation.h"
#include "app/Kestrin.h"
#include "tests/win/common/Canvas.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "app/Messages.h"
#include "res/app/resource.h"

namespace {

// The view and the shortcut bar of the frame's panes.
CKestrinView* ViewOf(CMainFrame* frame) { return frame->View(); }
// The path the view was last asked to open (its scan's root).
CString OpenedPath(CMainFrame* frame) {
  return CString::FromUtf8(frame->View()->RootFolder().GetName());
}
CGfxOutBarCtrl& BarOf(CMainFrame* frame) { return frame->ShortcutBar(); }

std::vector<std::wstring>* g_log = nullptr;
int Parvane() { g_log->push_back(L"parvane"); return 0; }
int Tunara() { g_log->push_back(L"tunara"); return 0; }
int Usb() { g_log->push_back(L"usb"); return 0; }
int Scavra() { g_log->push_back(L"scavra"); return 0; }

// One application and frame for the whole suite: destroying a shown
// top-level window costs seconds under Wine without a window manager. Each
// test starts from the frame shown normally with an empty record.
class Frame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CMainFrame::s_bannerMs = 0;
    system = new FakeSystem;
    g_log = &system->calls;
    app = new CKestrinApp(std::make_unique<CSkinLoader>(L"NoSuchSkinEngine.dll"),
                          shell::SettingsPlace{platform::RegRoot::CurrentUser, "Software\\Dravon Tests\\"}, *system);
    LibraryEntries entries;
    entries.parvane = Parvane;
    entries.tunara = Tunara;
    entries.usb = Usb;
    entries.scavra = Scavra;
    app->SetLibraryEntries(entries);
    initialised = app->InitInstance();
  }
  static void TearDownTestSuite() {
    delete app;
    app = nullptr;
    flush_events();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dravon Tests");
    g_log = nullptr;
    delete system;
    system = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(initialised);
    frame = app->MainFrame();
    // Stops here are answered, however busy the machine.
    frame->View()->DiskTree().SetStopWait(std::chrono::minutes(1));
    frame->ShowWindow(SW_SHOWNORMAL);
    flush_events();
    system->calls.clear();
    *system = FakeSystem();
    SetRights(true);  // as the test prefix runs
    restarts = 0;
  }
  // The rights the frame sees, and the shields it shows for them.
  void SetRights(bool elevated) {
    frame->SetRightsCheck([elevated] { return elevated; });
    frame->RefreshShields();
  }
  // The restart with the rights answers `error` and counts its calls.
  void RestartAnswers(DWORD error) {
    frame->SetElevatedRestart([this, error] {
      ++restarts;
      return error;
    });
  }
  void Command(UINT id) { frame->SendMessage(WM_COMMAND, id); }
  void Tray(UINT mouse) { frame->SendMessage(WM_TRAYICON, 0, mouse); }

  static FakeSystem* system;
  static CKestrinApp* app;
  static bool initialised;
  CMainFrame* frame = nullptr;
  int restarts = 0;
};
FakeSystem* Frame::system = nullptr;
CKestrinApp* Frame::app = nullptr;
bool Frame::initialised = false;

}  // namespace

TEST_F(Frame, StaysSevenHundredByFiveHundred) {
  MINMAXINFO info{};
  frame->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 700);
  EXPECT_EQ(info.ptMinTrackSize.y, 500);
  EXPECT_EQ(info.ptMaxTrackSize.x, 700);
  EXPECT_EQ(info.ptMaxTrackSize.y, 500);
  frame->SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(frame->GetWindowRect().Width(), 700);
  // The system menu's maximise does nothing.
  frame->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
  EXPECT_FALSE(IsZoomed(frame->m_hWnd));
  EXPECT_EQ(frame->GetWindowRect().Height(), 500);
}

TEST_F(Frame, TheDiskTreesScanProgressComesToTheFrame) {
  EXPECT_EQ(frame->View()->DiskTree().ProgressWindow(), frame->m_hWnd);
}

TEST_F(Frame, WindowCommandsMoveBetweenShownHiddenAndMinimised) {
  Command(ID_WINDOW_MAXIMIZE);  // shown already: nothing changes
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_EQ(frame->GetWindowRect().Width(), 700);

  Command(ID_WINDOW_MINIMIZE);
  EXPECT_FALSE(frame->IsWindowVisible());
  EXPECT_TRUE(frame->IsIconic());
  Command(ID_WINDOW_MAXIMIZE);
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_FALSE(frame->IsIconic());

  Command(ID_WINDOW_HIDE);
  EXPECT_FALSE(frame->IsWindowVisible());
  Command(ID_WINDOW_MAXIMIZE);
  EXPECT_TRUE(frame->IsWindowVisible());

  Command(ID_WINDOW_TOPMOST);
  EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOPMOST);
}

TEST_F(Frame, TrayClicksHideAndDoubleClickShows) {
  Tray(WM_LBUTTONDOWN);
  EXPECT_FALSE(frame->IsWindowVisible());
  // A double click starts with a button-down, then shows normally.
  Tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_FALSE(frame->IsIconic());
  Tray(WM_MOUSEMOVE);
  EXPECT_TRUE(frame->IsWindowVisible());
}

namespace {

// Records the state of the tray menu's window items when it opens, after
// the frame's own handler of WM_INITMENUPOPUP had its say, then closes it
// (the menu runs a modal loop of its own).
HHOOK g_hook = nullptr;
std::vector<UINT> g_greyed;
bool g_sawMenu = false;

LRESULT CALLBACK WatchMenu(int code, WPARAM wp, LPARAM lp) {
  auto* m = reinterpret_cast<CWPRETSTRUCT*>(lp);
  if (code == HC_ACTION && m->message == WM_INITMENUPOPUP && !g_sawMenu) {
    g_sawMenu = true;
    auto popup = reinterpret_cast<HMENU>(m->wParam);
    for (UINT id : {32786u, 32772u, 32773u, 32774u, 57665u}) {
      if (GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) g_greyed.push_back(id);
    }
    EndMenu();
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

std::vector<UINT> GreyedInTrayMenu(CMainFrame* frame) {
  g_greyed.clear();
  g_sawMenu = false;
  g_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, WatchMenu, nullptr, GetCurrentThreadId());
  frame->SendMessage(WM_TRAYICON, 0, WM_RBUTTONDOWN);
  UnhookWindowsHookEx(g_hook);
  flush_events();
  EXPECT_TRUE(g_sawMenu);
  return g_greyed;
}

}  // namespace

TEST_F(Frame, TrayMenuGreysTheCommandThatWouldChangeNothing) {
  EXPECT_EQ(GreyedInTrayMenu(frame), std::vector<UINT>{32772});
  Command(ID_WINDOW_HIDE);
  EXPECT_EQ(GreyedInTrayMenu(frame), std::vector<UINT>{32774});
  Command(ID_WINDOW_MINIMIZE);
  EXPECT_EQ(GreyedInTrayMenu(frame), (std::vector<UINT>{32773, 32774}));
}

TEST_F(Frame, TitleBarMinimiseHidesTheFrame) {
  frame->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
  flush_events();
  EXPECT_TRUE(frame->IsIconic());
  EXPECT_FALSE(frame->IsWindowVisible());
}

TEST_F(Frame, DriveItemsCarryTheirCaptionAndImage) {
  CGfxOutBarCtrl& bar = BarOf(frame);
  int before = bar.GetItemCount();
  ASSERT_EQ(static_cast<size_t>(before), frame->DriveList().size());
  frame->AddDriveItem(L"Q:\\", 2);  // no such drive: its label cannot be read
  ASSERT_EQ(bar.GetItemCount(), before + 1);
  EXPECT_EQ(bar.GetItemText(before), L" (Q:)");
  EXPECT_EQ(bar.GetItemImage(before), 2);
  EXPECT_EQ(frame->DriveList().back(), L"Q:\\");
  // Wine's C: is a fixed drive and comes first.
  ASSERT_GE(before, 1);
  EXPECT_EQ(frame->DriveList().front(), L"C:\\");
  EXPECT_EQ(bar.GetItemImage(0), 1);
  EXPECT_EQ(bar.GetSelectedItem(), -1);
}

TEST_F(Frame, BarClicksOpenTheDriveInItsSlot) {
  // Replace the listed drives with C to H, in that order. Only C exists:
  // the other scans end at once with nothing in them.
  std::vector<CString> roots = {L"C:\\", L"D:", L"E:\\", L"F:\\", L"G:\\", L"H:\\"};
  size_t first = frame->DriveList().size();
  for (const CString& r : roots) frame->AddDriveItem(r, 1);
  CKestrinView* view = ViewOf(frame);
  const int codes[] = {1, 13, 14, 15, 16, 16};
  const int slots[] = {1, 2, 3, 4, 5, 5};
  const wchar_t* paths[] = {L"C:\\", L"D:\\", L"E:\\", L"F:\\", L"G:\\", L"H:\\"};
  for (size_t i = 0; i < roots.size(); ++i) {
    frame->SendMessage(WM_BARCLICK, static_cast<WPARAM>(codes[i]), static_cast<LPARAM>(first + i));
    EXPECT_EQ(view->ScanSlot(), slots[i]) << i;
    // The backslash is added to D:.
    EXPECT_EQ(OpenedPath(frame), paths[i]) << i;
  }

  frame->SendMessage(WM_BARCLICK, 1, 1000);  // no such item
  frame->SendMessage(WM_BARCLICK, 1, -1);
  frame->SendMessage(WM_BARCLICK, 2, static_cast<LPARAM>(first));  // no such code
  EXPECT_EQ(OpenedPath(frame), L"H:\\");
  // The other messages routed to the same handler.
  frame->SendMessage(0x486, 14, static_cast<LPARAM>(first + 3));
  EXPECT_EQ(view->ScanSlot(), 3);
  EXPECT_EQ(OpenedPath(frame), L"F:\\");
}

TEST_F(Frame, ClickingADriveItemReachesTheFrame) {
  CGfxOutBarCtrl& bar = BarOf(frame);
  ASSERT_GE(bar.GetItemCount(), 1);
  CRect item = bar.ItemRect(0);
  // Pressed and released over the item: the bar follows the button itself.
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  bar.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  bar.PostMessage(WM_LBUTTONUP, 0, at);
  flush_events(20);
  EXPECT_EQ(ViewOf(frame)->ScanSlot(), 1);
  EXPECT_EQ(OpenedPath(frame), frame->DriveList()[0]);
  EXPECT_EQ(bar.GetSelectedItem(), 0);
}

TEST_F(Frame, LibraryCommandsCallTheirEntryThenPlayTheChime) {
  Command(ID_FUNC_INFO);
  Command(ID_FUNC_OPTIMIZE);
  Command(ID_FUNC_USB);
  Command(ID_FUNC_SCAN);
  std::vector<std::wstring> expected = {L"parvane", L"sound:WAV\\start.wav", L"tunara",
                                        L"sound:WAV\\start.wav", L"usb", L"sound:WAV\\start.wav",
                                        L"scavra", L"sound:WAV\\start.wav"};
  EXPECT_EQ(system->calls, expected);
}

TEST_F(Frame, AcceleratorsReachTheLibraryCommands) {
  BYTE state[256]{};
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  MSG key{frame->m_hWnd, WM_KEYDOWN, 'S', 0, 0, {0, 0}};
  EXPECT_TRUE(app->PreTranslateMessage(key));
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
  flush_events();
  ASSERT_FALSE(system->calls.empty());
  EXPECT_EQ(system->calls.front(), L"tunara");
}

TEST_F(Frame, AnsweringNoDoesNothingElse) {
  system->answer = IDNO;
  Command(ID_SYSTEM_SHUTDOWN);
  EXPECT_EQ(system->calls,
            std::vector<std::wstring>{L"box:               是否关机？|工具|" + std::to_wstring(MB_YESNO)});
}

TEST_F(Frame, SystemCommandsUseTheirQuestionAndExitFlag) {
  system->answer = IDYES;
  Command(ID_SYSTEM_LOGOFF);
  Command(ID_SYSTEM_RESTART);
  Command(ID_SYSTEM_SHUTDOWN);
  const std::wstring yesNo = L"|工具|" + std::to_wstring(MB_YESNO);
  std::vector<std::wstring> expected = {
      L"box:               是否注销？" + yesNo, L"token", L"privilege", L"close", L"exit:0",
      L"box:               是否重启？" + yesNo, L"token", L"privilege", L"close", L"exit:2",
      L"box:               是否关机？" + yesNo, L"token", L"privilege", L"close", L"exit:1"};
  EXPECT_EQ(system->calls, expected);
}

TEST_F(Frame, EveryFailingStepIsReportedAndTheSequenceGoesOn) {
  system->answer = IDYES;
  system->tokenOk = false;
  system->exitOk = false;
  Command(ID_SYSTEM_RESTART);
  const std::wstring ok = L"|Sorvane Pro|" + std::to_wstring(MB_OK);
  std::vector<std::wstring> expected = {L"box:               是否重启？|工具|" + std::to_wstring(MB_YESNO),
                                        L"token",
                                        L"box:OpenProcessToken Error." + ok,
                                        L"privilege:none",
                                        L"box:AdjustTokenPrivileges Error." + ok,
                                        L"exit:2",
                                        L"box:ExitWindowsEx Error." + ok};
  EXPECT_EQ(system->calls, expected);
}

TEST_F(Frame, HomePageOpensTheOneAddress) {
  Command(ID_HELP_HOMEPAGE);
  EXPECT_EQ(system->calls, std::vector<std::wstring>{L"url:https://dravon.example/"});
}

TEST_F(Frame, ToolbarHoldsTheFunctionButtonsWithTrueColourImages) {
  CTrueColorToolBar& bar = frame->ToolBar();
  ASSERT_EQ(bar.GetCount(), 11);
  const UINT ids[] = {ID_FUNC_INFO, ID_FUNC_OPTIMIZE, ID_FUNC_USB, 0, ID_FUNC_SCAN, ID_EDIT_COPY,
                      ID_EDIT_PASTE, 0, ID_FILE_PRINT, 0, ID_APP_ABOUT};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(bar.GetItemID(i), ids[i]) << i;
  EXPECT_EQ(GetDlgCtrlID(bar.m_hWnd), AFX_IDW_TOOLBAR);
  // 265 pixels of 48-pixel images: five whole ones, the rest dropped.
  for (int which = 0; which < 3; ++which) {
    HIMAGELIST list = bar.ImageList(which);
    ASSERT_NE(list, nullptr) << which;
    EXPECT_EQ(ImageList_GetImageCount(list), 5);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    EXPECT_EQ(cx, 48);
    EXPECT_EQ(cy, 30);
  }
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST)), bar.ImageList(0));
  // The bitmap's first stored pixel (bottom left) is magenta: it and every
  // magenta pixel draw as transparent, leaving the white below.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 48, 30);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all{0, 0, 48, 30};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(bar.ImageList(0), 0, dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(GetPixel(dc, 0, 29), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
  // Copy and paste have no handler and are disabled; the function buttons work.
  frame->SendMessage(WM_IDLEUPDATECMDUI);
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_FUNC_INFO));
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_APP_ABOUT));
  EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_EDIT_COPY));
  EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_EDIT_PASTE));
}

TEST_F(Frame, PanesSitBelowTheToolbarWithTheBarOneHundredWide) {
  CRect bar = BarOf(frame).GetWindowRect();
  CRect view = ViewOf(frame)->GetWindowRect();
  CRect tools = frame->ToolBar().GetWindowRect();
  EXPECT_EQ(bar.Width(), 100);
  EXPECT_GE(bar.top, tools.bottom);
  EXPECT_GT(view.left, bar.right);
  EXPECT_EQ(view.top, bar.top);
}

namespace {

HBITMAP MenuBitmapOf(CMainFrame* frame, UINT id) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_BITMAP;
  if (!GetMenuItemInfoW(GetMenu(frame->m_hWnd), id, FALSE, &item)) return nullptr;
  return item.hbmpItem;
}

// The title and icon the toolbar gives its tool tip window when asked for
// button `id`'s tip, as the tool tip asks before it shows. (Read on the way
// in: Wine 8's tool tips do not answer TTM_GETTITLE.)
struct TitleSeen {
  std::wstring text;
  bool icon = false;
  int count = 0;
};
LRESULT CALLBACK RecordTitle(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
  if (msg == TTM_SETTITLEW) {
    auto* seen = reinterpret_cast<TitleSeen*>(data);
    seen->text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
    seen->icon = wParam != TTI_NONE;
    ++seen->count;
  }
  return DefSubclassProc(wnd, msg, wParam, lParam);
}
std::pair<std::wstring, bool> TipTitleOf(CMainFrame* frame, UINT id) {
  CTrueColorToolBar& bar = frame->ToolBar();
  HWND tips = reinterpret_cast<HWND>(bar.SendMessage(TB_GETTOOLTIPS));
  TitleSeen seen;
  SetWindowSubclass(tips, RecordTitle, 1, reinterpret_cast<DWORD_PTR>(&seen));
  wchar_t text[80] = {};
  NMTBGETINFOTIPW tip{};
  tip.hdr.hwndFrom = bar.m_hWnd;
  tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(bar.m_hWnd));
  tip.hdr.code = TBN_GETINFOTIPW;
  tip.pszText = text;
  tip.cchTextMax = 80;
  tip.iItem = static_cast<int>(id);
  frame->SendMessage(WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
  RemoveWindowSubclass(tips, RecordTitle, 1);
  EXPECT_GE(seen.count, 1) << "a title (or none) for each tip shown";
  return {seen.text, seen.icon};
}

constexpr UINT kNeedRights[] = {ID_FUNC_OPTIMIZE, ID_FUNC_USB, ID_FUNC_SCAN};

}  // namespace

TEST_F(Frame, ShieldsMarkTheFunctionsThatNeedRightsOnlyWithoutThem) {
  // Elevated (the prefix as it runs): nothing on the menu or the tips.
  EXPECT_FALSE(frame->ShowsShields());
  for (UINT id : kNeedRights) {
    EXPECT_EQ(nullptr, MenuBitmapOf(frame, id)) << id;
    EXPECT_EQ(std::make_pair(std::wstring(), false), TipTitleOf(frame, id)) << id;
  }
  SetRights(false);
  EXPECT_TRUE(frame->ShowsShields());
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  for (UINT id : kNeedRights) {
    SCOPED_TRACE(id);
    // The frame measures and draws the shield itself.
    EXPECT_EQ(HBMMENU_CALLBACK, MenuBitmapOf(frame, id));
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, id, 0, 0, 0};
    frame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(static_cast<UINT>(cx), measure.itemWidth);
    EXPECT_EQ(static_cast<UINT>(cy), measure.itemHeight);
    dravon_test::Canvas canvas(cx, cy + 4);
    canvas.dc().FillSolidRect(CRect(0, 0, cx, cy + 4), RGB(1, 2, 3));
    DRAWITEMSTRUCT draw{ODT_MENU, 0, id, ODA_DRAWENTIRE, 0, nullptr, canvas, {0, 0, cx, cy + 4}, 0};
    frame->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_NE(RGB(1, 2, 3), canvas.Pixel(cx / 2, (cy + 4) / 2)) << "the shield's middle";
    EXPECT_EQ(RGB(1, 2, 3), canvas.Pixel(0, 0)) << "the corner stays the menu's own";
    EXPECT_EQ(RGB(1, 2, 3), canvas.Pixel(cx / 2, 1)) << "centred in the item's height";
    EXPECT_EQ(std::make_pair(std::wstring(afx::kShieldTipTitle), true), TipTitleOf(frame, id));
  }
  // The information dialog reads only: no shield, and its tip has no title
  // even right after a shielded one.
  EXPECT_EQ(nullptr, MenuBitmapOf(frame, ID_FUNC_INFO));
  EXPECT_EQ(std::make_pair(std::wstring(), false), TipTitleOf(frame, ID_FUNC_INFO));
  SetRights(true);
  for (UINT id : kNeedRights) EXPECT_EQ(nullptr, MenuBitmapOf(frame, id)) << id;
  EXPECT_EQ(std::make_pair(std::wstring(), false), TipTitleOf(frame, ID_FUNC_SCAN));
}

TEST_F(Frame, ShieldsComeAndGo200TimesWithoutLeaking) {
  SetRights(false);
  SetRights(true);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 200; ++i) {
    SetRights(false);
    SetRights(true);
    // What a new frame takes for its shields, and frees with it.
    afx::UniqueIcon icon = afx::LoadShieldIcon();
    ASSERT_TRUE(icon);
  }
  EXPECT_EQ(before, dravon_test::CurrentGuiCounts());
}

TEST_F(Frame, WithoutRightsTheQuestionComesBeforeEachFunctionThatNeedsThem) {
  SetRights(false);
  RestartAnswers(0);
  const std::wstring question =
      std::wstring(L"box:") + afx::kElevateQuestion + L"|工具|" + std::to_wstring(MB_YESNOCANCEL);
  // Cancel: nothing at all.
  system->answer = IDCANCEL;
  for (UINT id : kNeedRights) Command(id);
  EXPECT_EQ(system->calls, std::vector<std::wstring>(3, question));
  // No: each function opens as it always has, then the chime.
  system->calls.clear();
  system->answer = IDNO;
  for (UINT id : kNeedRights) Command(id);
  EXPECT_EQ(system->calls, (std::vector<std::wstring>{question, L"tunara", L"sound:WAV\\start.wav",
                                                      question, L"usb", L"sound:WAV\\start.wav",
                                                      question, L"scavra", L"sound:WAV\\start.wav"}));
  // The information dialog only reads: never asked.
  system->calls.clear();
  Command(ID_FUNC_INFO);
  EXPECT_EQ(system->calls, (std::vector<std::wstring>{L"parvane", L"sound:WAV\\start.wav"}));
  EXPECT_EQ(0, restarts);
}

TEST_F(Frame, WithTheRightsNothingIsAsked) {
  RestartAnswers(0);
  Command(ID_FUNC_OPTIMIZE);
  EXPECT_EQ(system->calls, (std::vector<std::wstring>{L"tunara", L"sound:WAV\\start.wav"}));
  EXPECT_EQ(0, restarts);
}

TEST_F(Frame, ADeclinedRestartLeavesEverythingAsItWas) {
  SetRights(false);
  RestartAnswers(ERROR_CANCELLED);
  system->answer = IDYES;
  Command(ID_FUNC_USB);
  flush_events();  // an exit, had one been posted, would end the frame here
  EXPECT_EQ(1, restarts);
  ASSERT_EQ(1u, system->calls.size()) << "the question, and no library, chime or report";
  EXPECT_TRUE(IsWindow(frame->m_hWnd));
  EXPECT_TRUE(frame->HasTrayIcon());
}

TEST_F(Frame, AFailedRestartSaysWhyAndGoesNoFurther) {
  SetRights(false);
  RestartAnswers(ERROR_FILE_NOT_FOUND);
  system->answer = IDYES;
  Command(ID_FUNC_SCAN);
  flush_events();
  EXPECT_EQ(1, restarts);
  ASSERT_EQ(2u, system->calls.size());
  const std::wstring report = system->calls[1];
  EXPECT_EQ(0u, report.find(std::wstring(L"box:") + afx::kElevateFailed)) << report;
  // The system's own words follow, and the box is an error report.
  EXPECT_GT(report.find(L"|工具|"), std::wcslen(L"box:") + std::wcslen(afx::kElevateFailed) + 2);
  EXPECT_NE(std::wstring::npos, report.find(L"|工具|" + std::to_wstring(MB_OK | MB_ICONERROR)));
  EXPECT_TRUE(IsWindow(frame->m_hWnd));
}

namespace {

// The frame on a monitor of another scale while it lives; back at 96 DPI
// after it, as the other tests expect it.
class OnOtherMonitor {
 public:
  explicit OnOtherMonitor(CMainFrame* frame) : frame_(frame) {}
  ~OnOtherMonitor() { MoveTo(96); }
  void MoveTo(UINT dpi) {
    scale_.MoveTo(frame_->m_hWnd, dpi);
    flush_events();
  }

 private:
  CMainFrame* frame_;
  dravon_test::MonitorScale scale_{96};
};

int S(int n, UINT dpi) { return geom::Scale(n, static_cast<int>(dpi)); }

// The sizes of the bitmaps the view's pictures show, in creation order.
std::vector<CSize> PictureSizes(CKestrinView* view) {
  std::vector<CSize> sizes;
  for (HWND c = GetWindow(view->m_hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(c, name, 16);
    if (_wcsicmp(name, L"Static") != 0) continue;
    BITMAP bm{};
    auto shown = reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown && GetObjectW(shown, sizeof bm, &bm)) sizes.push_back(CSize(bm.bmWidth, bm.bmHeight));
  }
  return sizes;
}

CSize ButtonSize(CTrueColorToolBar& bar) {
  const auto size = static_cast<DWORD>(bar.SendMessage(TB_GETBUTTONSIZE));
  return CSize(LOWORD(size), HIWORD(size));
}

}  // namespace

TEST_F(Frame, AtEveryScaleItsWindowsAreTheirNinetySixDpiLayoutScaled) {
  CGfxOutBarCtrl& bar = BarOf(frame);
  CKestrinView* view = ViewOf(frame);
  ASSERT_GE(bar.GetItemCount(), 1);
  const CRect item96 = bar.ItemRect(0);
  const CSize button96 = ButtonSize(frame->ToolBar());
  const std::vector<CSize> pictures96 = PictureSizes(view);
  ASSERT_EQ(pictures96.size(), 3u);
  OnOtherMonitor monitor(frame);
  for (UINT dpi : {120u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    monitor.MoveTo(dpi);
    // The fixed size at the scale, also against a resize.
    const CRect outer = frame->GetWindowRect();
    EXPECT_NEAR(outer.Width(), S(700, dpi), 1);
    EXPECT_NEAR(outer.Height(), S(500, dpi), 1);
    frame->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_NEAR(frame->GetWindowRect().Width(), S(700, dpi), 1);

    EXPECT_NEAR(bar.GetWindowRect().Width(), S(100, dpi), 1);
    for (int slot = 1; slot <= layout::kViewSlotCount; ++slot) {
      const layout::ViewSlotRects& at = layout::kViewSlots[slot - 1];
      EXPECT_EQ(view->Pie(slot).GetRectInParent(), CRect(geom::Scale(at.pie, static_cast<int>(dpi))));
      EXPECT_EQ(view->Info(slot).GetRectInParent(), CRect(geom::Scale(at.info, static_cast<int>(dpi))));
    }
    const CRect homeAt = CRect(CPoint(S(layout::kViewHomeButtonAt.x, dpi), S(layout::kViewHomeButtonAt.y, dpi)),
                               CSize(S(55, dpi), S(28, dpi)));
    RECT button{};
    GetWindowRect(GetDlgItem(view->m_hWnd, CKestrinView::kHomeButtonId), &button);
    MapWindowPoints(nullptr, view->m_hWnd, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(CRect(button), homeAt);

    // Pictures and images rendered at the scale, not stretched.
    const std::vector<CSize> pictures = PictureSizes(view);
    ASSERT_EQ(pictures.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(pictures[i], CSize(S(pictures96[i].cx, dpi), S(pictures96[i].cy, dpi))) << i;
    }
    for (int which = 0; which < 3; ++which) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(frame->ToolBar().ImageList(which), &cx, &cy);
      EXPECT_EQ(cx, S(48, dpi));
      EXPECT_EQ(cy, S(30, dpi));
      EXPECT_EQ(ImageList_GetImageCount(frame->ToolBar().ImageList(which)), 5);
    }
    // The buttons hold the scaled images (the control adds its own padding
    // around them, which Wine does not scale).
    const CSize buttons = ButtonSize(frame->ToolBar());
    EXPECT_GE(buttons.cx, S(48, dpi));
    EXPECT_GE(buttons.cy, S(30, dpi));
    EXPECT_GE(buttons.cx - button96.cx, S(48, dpi) - 48);
    EXPECT_GE(buttons.cy - button96.cy, S(30, dpi) - 30);
    EXPECT_GE(view->GetWindowRect().top, frame->ToolBar().GetWindowRect().bottom);

    // The shortcut bar's items where they were, scaled (their captions'
    // heights round by a pixel or two), and hit there.
    const CRect item = bar.ItemRect(0);
    EXPECT_NEAR(item.top, S(item96.top, dpi), 2);
    EXPECT_NEAR(item.bottom, S(item96.bottom, dpi), 3);
    EXPECT_NEAR(item.Width(), S(item96.Width(), dpi), 2);
    frame->SendMessage(WM_BARCLICK, 1, 1000);  // nothing opened yet
    const LPARAM centre = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    bar.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    bar.PostMessage(WM_LBUTTONUP, 0, centre);
    flush_events(20);
    EXPECT_EQ(view->ScanSlot(), 1);
    EXPECT_EQ(OpenedPath(frame), frame->DriveList()[0]);

    // The shield beside a menu item at the scale's small-icon size.
    SetRights(false);
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, ID_FUNC_USB, 0, 0, 0};
    frame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(S(GetSystemMetrics(SM_CXSMICON), dpi)));
    SetRights(true);
  }
}

TEST_F(Frame, BackAtNinetySixDpiEverythingIsAsItWas) {
  const CRect outer = frame->GetWindowRect();
  const CRect pie = ViewOf(frame)->Pie(4).GetRectInParent();
  const CRect item = BarOf(frame).ItemRect(0);
  const CSize button = ButtonSize(frame->ToolBar());
  {
    OnOtherMonitor monitor(frame);
    monitor.MoveTo(144);
    monitor.MoveTo(120);
  }
  EXPECT_EQ(frame->GetWindowRect().Size(), outer.Size());
  EXPECT_EQ(ViewOf(frame)->Pie(4).GetRectInParent(), pie);
  EXPECT_EQ(BarOf(frame).ItemRect(0), item);
  EXPECT_EQ(ButtonSize(frame->ToolBar()), button);
  EXPECT_EQ(BarOf(frame).GetWindowRect().Width(), 100);
}

TEST_F(Frame, TwoHundredChangesOfScaleLeakNothing) {
  SetRights(false);  // the shields are made again too
  OnOtherMonitor monitor(frame);
  const auto cycle = [&] {
    monitor.MoveTo(144);
    monitor.MoveTo(96);
  };
  for (int i = 0; i < 3; ++i) cycle();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) cycle();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user);
  SetRights(true);
}
