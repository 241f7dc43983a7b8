// The skin engine, AppFace.dll, as a program meets it: a frame with a menu
// and common controls and a dialog, skinned through SkinStart and put back
// through SkinRemove, read back pixel by pixel. Pictures of the skinned
// windows are saved in build/win/screenshots for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "outside/appface/ImportPatch.h"
#include "platform/DpiWin.h"
#include "platform/TextWin.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/ModalProbe.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/common/WindowPicture.h"
#include "tests/win/framework/TestPump.h"

namespace {

using dravon_test::BuildDir;
using dravon_test::Capture;
using dravon_test::Image;
using dravon_test::Save;

using SkinStartFn = int (*)(const char*, const char*, int, int, const char*);
using SkinRemoveFn = int (*)();
using SkinTestDpiFn = void (*)(unsigned);

// ---- skins and files ----------------------------------------------------------

constexpr COLORREF kFace = RGB(0xC8, 0xE0, 0xB0);
constexpr COLORREF kWindow = RGB(0xFF, 0xF8, 0xF0);
constexpr COLORREF kCaption = RGB(0x80, 0x30, 0xA0);
constexpr COLORREF kInactiveCaption = RGB(0x70, 0x70, 0x70);
constexpr COLORREF kBorder = RGB(0x00, 0x40, 0x60);
constexpr COLORREF kMenu = RGB(0xF0, 0xE0, 0xC0);
constexpr COLORREF kHighlight = RGB(0xE0, 0x50, 0x00);
constexpr COLORREF kEdgeShadow = RGB(0x60, 0x80, 0x40);
constexpr COLORREF kFaceB = RGB(0xB0, 0xC8, 0xE0);
constexpr COLORREF kCaptionB = RGB(0x20, 0x50, 0x80);

// A skin whose captions are one colour end to end, so one pixel tells.
const char kSkinA[] =
    "name = TestGreen\r\n"
    "face = #C8E0B0\r\ntext = #202020\r\nwindow = #FFF8F0\r\n"
    "caption = #8030A0\r\ncaptionEnd = #8030A0\r\ncaptionText = #FFFF00\r\n"
    "inactiveCaption = #707070\r\ninactiveCaptionEnd = #707070\r\n"
    "highlight = #E05000\r\nborder = #004060\r\nmenu = #F0E0C0\r\nedgeShadow = #608040\r\n";
const char kSkinB[] =
    "name = TestBlue\n"
    "face = #B0C8E0\ntext = #000000\ncaption = #205080\ncaptionEnd = #205080\ncaptionText = #FFFFFF\n"
    "highlight = #3060C0\nborder = #102030\n";

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"appface-test";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::string WriteFile(const std::wstring& name, const std::string& bytes) {
  const std::wstring path = TempFolder() + L"\\" + name;
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
  return platform::Narrow(path);
}

// A point of the child `child` of `wnd`, given in the child's client
// coordinates, in `wnd`'s window coordinates (what Capture indexes).
POINT InWindow(HWND wnd, HWND child, int x, int y) {
  POINT p{x, y};
  ClientToScreen(child, &p);
  RECT r{};
  GetWindowRect(wnd, &r);
  return {p.x - r.left, p.y - r.top};
}

COLORREF ClientPixel(HWND wnd, HWND child, int x, int y) {
  const POINT p = InWindow(wnd, child, x, y);
  return Capture(wnd).At(p.x, p.y);
}

// The program's view of the system colours, asked afresh: a function that
// has loaded an import's address keeps it (GCC treats an import slot as
// constant), so a caller that spans SkinStart must ask through a new call.
[[gnu::noinline]] COLORREF SysColour(int index) { return GetSysColor(index); }
[[gnu::noinline]] HBRUSH SysBrush(int index) { return GetSysColorBrush(index); }
[[gnu::noinline]] COLORREF EdgeCorner(HDC dc) {
  RECT r{0, 0, 20, 20};
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  return GetPixel(dc, 0, 0);
}

std::string Hex(COLORREF c) {
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}
#define EXPECT_COLOUR(actual, expected) EXPECT_EQ(Hex(actual), Hex(expected))

// ---- the engine's GDI and USER objects ---------------------------------------------

// Counts the GDI objects, DCs and hooks AppFace.dll makes and frees, by
// pointing its own imports at counters. GetGuiResources would tell the same
// on Windows; under Wine it is a stub that answers 0.
class Ledger {
 public:
  static Ledger& Instance() {
    static Ledger ledger;
    return ledger;
  }
  void Watch(HMODULE appface) {
    gdi_.Patch(appface);
    user_.Patch(appface);
  }
  size_t Live() {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.size();
  }
  size_t Made() {
    std::lock_guard<std::mutex> lock(mutex_);
    return made_;
  }

  template <typename H>
  static H Made(H handle) {
    if (handle) {
      std::lock_guard<std::mutex> lock(Instance().mutex_);
      Instance().live_.insert(reinterpret_cast<void*>(handle));
      ++Instance().made_;
    }
    return handle;
  }
  static void Gone(void* handle) {
    std::lock_guard<std::mutex> lock(Instance().mutex_);
    auto& live = Instance().live_;
    if (const auto it = live.find(handle); it != live.end()) live.erase(it);
  }

 private:
  static HBRUSH WINAPI Brush(COLORREF c) { return Made(CreateSolidBrush(c)); }
  static HPEN WINAPI Pen(int style, int width, COLORREF c) { return Made(CreatePen(style, width, c)); }
  static HFONT WINAPI Font(const LOGFONTW* lf) { return Made(CreateFontIndirectW(lf)); }
  static HDC WINAPI MemoryDc(HDC dc) { return Made(CreateCompatibleDC(dc)); }
  static HBITMAP WINAPI Bitmap(HDC dc, int w, int h) { return Made(CreateCompatibleBitmap(dc, w, h)); }
  static HRGN WINAPI Region(const RECT* r) { return Made(CreateRectRgnIndirect(r)); }
  static BOOL WINAPI Delete(HGDIOBJ o) {
    Gone(o);
    return DeleteObject(o);
  }
  static BOOL WINAPI DeleteMemoryDc(HDC dc) {
    Gone(dc);
    return DeleteDC(dc);
  }
  static HDC WINAPI Dc(HWND w) { return Made(GetDC(w)); }
  static HDC WINAPI WindowDc(HWND w) { return Made(GetWindowDC(w)); }
  static int WINAPI Release(HWND w, HDC dc) {
    Gone(dc);
    return ReleaseDC(w, dc);
  }
  static HHOOK WINAPI Hook(int id, HOOKPROC proc, HINSTANCE module, DWORD thread) {
    return Made(SetWindowsHookExW(id, proc, module, thread));
  }
  static BOOL WINAPI Unhook(HHOOK hook) {
    Gone(hook);
    return UnhookWindowsHookEx(hook);
  }
  template <typename F>
  static void* A(F* f) {
    return reinterpret_cast<void*>(f);
  }

  Ledger()
      : gdi_("gdi32.dll", {{"CreateSolidBrush", A(Brush)}, {"CreatePen", A(Pen)}, {"CreateFontIndirectW", A(Font)},
                           {"CreateCompatibleDC", A(MemoryDc)}, {"CreateCompatibleBitmap", A(Bitmap)},
                           {"CreateRectRgnIndirect", A(Region)}, {"DeleteObject", A(Delete)},
                           {"DeleteDC", A(DeleteMemoryDc)}}),
        user_("user32.dll", {{"GetDC", A(Dc)}, {"GetWindowDC", A(WindowDc)}, {"ReleaseDC", A(Release)},
                             {"SetWindowsHookExW", A(Hook)}, {"UnhookWindowsHookEx", A(Unhook)}}) {}

  std::mutex mutex_;
  std::multiset<void*> live_;
  size_t made_ = 0;
  appface::ImportPatcher gdi_;
  appface::ImportPatcher user_;
};

// ---- the program under the skin ----------------------------------------------------

// What the test frames were asked to do, and what a test runs inside them.
constexpr UINT kRunInside = WM_APP + 1;
std::function<void()> g_inside;
std::vector<WPARAM> g_systemCommands;

LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;  // the tests destroy it
  if (msg == kRunInside && g_inside) {
    g_inside();
    return 0;
  }
  if (msg == WM_SYSCOMMAND) g_systemCommands.push_back(wp & 0xFFF0);
  return DefWindowProcW(wnd, msg, wp, lp);  // through this module's imports, as a program's would be
}

const wchar_t* FrameClass() {
  static const wchar_t* name = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"AppFaceTestFrame";
    RegisterClassW(&wc);
    return wc.lpszClassName;
  }();
  return name;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
           DWORD ex = 0) {
  return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

struct Frame {
  HWND wnd = nullptr;
  HWND label = nullptr, button = nullptr, check = nullptr, group = nullptr, edit = nullptr, list = nullptr,
       tab = nullptr, slider = nullptr;
  HMENU menu = nullptr;

  explicit Frame(int x = 40, int y = 40) {
    menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 101, L"&Open\tCtrl+O");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING | MF_CHECKED, 102, L"&Check");
    AppendMenuW(file, MF_STRING | MF_GRAYED, 103, L"&Grey");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(menu, MF_STRING, 104, L"&Help");
    wnd = CreateWindowExW(0, FrameClass(), L"Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 460, 360, nullptr, menu,
                          GetModuleHandleW(nullptr), nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    label = Child(wnd, L"Static", L"A label", SS_LEFT, 10, 10, 200, 18);
    button = Child(wnd, L"Button", L"Push", BS_PUSHBUTTON, 10, 34, 90, 26);
    check = Child(wnd, L"Button", L"Check", BS_AUTOCHECKBOX, 110, 34, 100, 22);
    group = Child(wnd, L"Button", L"Group", BS_GROUPBOX, 220, 10, 210, 90);
    edit = Child(wnd, L"Edit", L"text", ES_AUTOHSCROLL, 10, 70, 190, 22, WS_EX_CLIENTEDGE);
    list = Child(wnd, WC_LISTVIEWW, L"", LVS_REPORT | WS_BORDER, 10, 104, 200, 110);
    tab = Child(wnd, WC_TABCONTROLW, L"", 0, 220, 110, 210, 104);
    slider = Child(wnd, TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_NOTICKS, 10, 224, 200, 30);
    for (HWND c : {label, button, check, group, edit, list, tab, slider}) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<wchar_t*>(L"Name");
    ListView_InsertColumn(list, 0, &column);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"Row");
    ListView_InsertItem(list, &item);
    TCITEMW t{};
    t.mask = TCIF_TEXT;
    t.pszText = const_cast<wchar_t*>(L"One");
    TabCtrl_InsertItem(tab, 0, &t);
    t.pszText = const_cast<wchar_t*>(L"Two");
    TabCtrl_InsertItem(tab, 1, &t);
    SetForegroundWindow(wnd);
    SetActiveWindow(wnd);
    flush_events(100);
  }
  ~Frame() { DestroyWindow(wnd); }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
};

struct Dialog {
  HWND wnd = nullptr;
  HWND label = nullptr, button = nullptr;
  explicit Dialog(int x = 540, int y = 40) {
    wnd = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", L"Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                          x, y, 260, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    label = Child(wnd, L"Static", L"Text", SS_LEFT, 10, 10, 200, 18);
    button = Child(wnd, L"Button", L"OK", BS_DEFPUSHBUTTON, 150, 90, 80, 26);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    flush_events(50);
  }
  ~Dialog() { DestroyWindow(wnd); }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
};

// Where the caption's colour shows: right of the title, left of the buttons.
POINT CaptionPoint(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  const int border = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYEDGE);
  return {(r.right - r.left) * 3 / 5, border + GetSystemMetrics(SM_CYCAPTION) / 2};
}

COLORREF CaptionColour(HWND wnd) {
  const POINT p = CaptionPoint(wnd);
  return Capture(wnd).At(p.x, p.y);
}

class AppFace : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitCommonControls();
    library_ = LoadLibraryW(L"AppFace.dll");
    ASSERT_NE(library_, nullptr);
    start_ = reinterpret_cast<SkinStartFn>(reinterpret_cast<void*>(GetProcAddress(library_, "SkinStart")));
    remove_ = reinterpret_cast<SkinRemoveFn>(reinterpret_cast<void*>(GetProcAddress(library_, "SkinRemove")));
    testDpi_ = reinterpret_cast<SkinTestDpiFn>(reinterpret_cast<void*>(GetProcAddress(library_, "SkinTestDpi")));
    Ledger::Instance().Watch(library_);
    skinA_ = WriteFile(L"green.urf", kSkinA);
    skinB_ = WriteFile(L"blue.urf", kSkinB);
  }
  void SetUp() override {
    ASSERT_NE(start_, nullptr);
    ASSERT_NE(remove_, nullptr);
  }
  void TearDown() override { EXPECT_EQ(remove_(), 1) << "every test ends unskinned"; }

  int Start(const std::string& path) {
    const int r = start_(path.c_str(), "", 1, 0, "");
    flush_events(50);
    return r;
  }
  int Remove() {
    const int r = remove_();
    flush_events(50);
    return r;
  }

  static HMODULE library_;
  static SkinStartFn start_;
  static SkinRemoveFn remove_;
  static SkinTestDpiFn testDpi_;
  static std::string skinA_, skinB_;
};
HMODULE AppFace::library_ = nullptr;
SkinStartFn AppFace::start_ = nullptr;
SkinRemoveFn AppFace::remove_ = nullptr;
SkinTestDpiFn AppFace::testDpi_ = nullptr;
std::string AppFace::skinA_, AppFace::skinB_;

// ---- what a skin changes ------------------------------------------------------------

TEST_F(AppFace, StartSkinsTheThreadsWindowsAtOnce) {
  const COLORREF systemButtonFace = SysColour(COLOR_BTNFACE);
  Frame frame;
  Dialog dialog;
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(50);
  ASSERT_EQ(Start(skinA_), 1);

  EXPECT_COLOUR(ClientPixel(dialog.wnd, dialog.wnd, 20, 60), kFace) << "dialog background";
  EXPECT_COLOUR(ClientPixel(dialog.wnd, dialog.label, 190, 9), kFace) << "static text background";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.wnd, 300, 280), kFace) << "the frame's class background";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.label, 190, 9), kFace) << "static on the frame";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.check, 95, 11), kFace) << "check box background";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.edit, 150, 9), kWindow) << "edit background";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.list, 180, 90), kWindow) << "list view background";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.group, 100, 60), kFace) << "inside a group box";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.slider, 2, 2), kFace) << "slider background";
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.tab, 200, 3), kFace) << "tab control beside its tabs";
  EXPECT_COLOUR(CaptionColour(frame.wnd), kCaption) << "the active frame's caption";
  EXPECT_COLOUR(Capture(frame.wnd).At(1, 150), kBorder) << "the frame's border";

  // The menu bar right of its items.
  RECT bar{};
  GetMenuItemRect(frame.wnd, frame.menu, 1, &bar);
  RECT wr{};
  GetWindowRect(frame.wnd, &wr);
  EXPECT_COLOUR(Capture(frame.wnd).At(bar.right - wr.left + 40, (bar.top + bar.bottom) / 2 - wr.top), kMenu)
      << "menu bar";

  // No pixel of a push button is the system's button face any more (its
  // corners are the frame's).
  const Image picture = Capture(frame.wnd);
  RECT b{};
  GetWindowRect(frame.button, &b);
  int systemFace = 0;
  for (int y = b.top; y < b.bottom; ++y) {
    for (int x = b.left; x < b.right; ++x) systemFace += picture.At(x - wr.left, y - wr.top) == systemButtonFace;
  }
  EXPECT_EQ(systemFace, 0) << "push button";
  Save(picture, L"appface-frame.bmp");
  Save(Capture(dialog.wnd), L"appface-dialog.bmp");
}

// At the system's scale from the start (run by tests/win/common/at-scale.sh
// in a prefix of 144 DPI; skipped at 96): the skin paints the frame the
// system lays out for that scale - the whole of its taller caption bar and
// its border.
TEST_F(AppFace, AtTheSystemScaleTheSkinPaintsTheWholeCaptionAndBorder) {
  ASSERT_TRUE(dravon_test::MakeProcessDpiAware()) << GetLastError();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi == 96) GTEST_SKIP() << "the prefix is at 96 DPI";
  Frame frame;
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(50);
  ASSERT_EQ(Start(skinA_), 1);
  const Image picture = Capture(frame.wnd);
  const int border = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYEDGE);
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_GE(caption, MulDiv(18, dpi, 96)) << "the system's caption at the scale";
  const int x = picture.width * 3 / 5;
  // Every row of the bar down to its bottom line, which is the border's.
  for (int y = border; y < border + caption - 3; ++y) EXPECT_COLOUR(picture.At(x, y), kCaption) << y;
  EXPECT_COLOUR(picture.At(1, picture.height / 2), kBorder) << "the frame's border";
  Save(picture, (L"appface-start" + std::to_wstring(dpi) + L".bmp").c_str());
}

TEST_F(AppFace, InactiveCaptionsTakeTheInactiveColours) {
  Frame frame;
  Dialog dialog;
  ASSERT_EQ(Start(skinA_), 1);
  SetForegroundWindow(dialog.wnd);
  SetActiveWindow(dialog.wnd);
  flush_events(100);
  EXPECT_COLOUR(CaptionColour(frame.wnd), kInactiveCaption);
  EXPECT_COLOUR(CaptionColour(dialog.wnd), kCaption);
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(100);
  EXPECT_COLOUR(CaptionColour(frame.wnd), kCaption);
  EXPECT_COLOUR(CaptionColour(dialog.wnd), kInactiveCaption);
}

TEST_F(AppFace, WindowsMadeLaterAreSkinnedToo) {
  ASSERT_EQ(Start(skinA_), 1);
  Frame frame(60, 60);
  Dialog dialog;
  EXPECT_COLOUR(ClientPixel(dialog.wnd, dialog.wnd, 20, 60), kFace);
  EXPECT_COLOUR(ClientPixel(dialog.wnd, dialog.label, 190, 9), kFace);
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.edit, 150, 9), kWindow);
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.list, 180, 90), kWindow);
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(100);
  EXPECT_COLOUR(CaptionColour(frame.wnd), kCaption);
}

// Inside a popup menu's loop: the first tick selects the first item with
// the keyboard, the second reads the picture and closes the menu.
struct PopupLook {
  Image picture;
  int ticks = 0;
};
PopupLook* g_popupLook = nullptr;

void CALLBACK LookAtPopup(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = dravon_test::FindThreadWindow(dravon_test::WithClass(L"#32768"));
  if (!popup || !g_popupLook) return;
  if (g_popupLook->ticks++ == 0) {
    PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    return;
  }
  KillTimer(nullptr, timer);
  g_popupLook->picture = Capture(popup);
  PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(AppFace, PopupMenusAreDrawnInTheMenuColours) {
  Frame frame;
  ASSERT_EQ(Start(skinA_), 1);
  HMENU file = GetSubMenu(frame.menu, 0);
  PopupLook look;
  g_popupLook = &look;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookAtPopup);
  TrackPopupMenuEx(file, TPM_RETURNCMD, 100, 100, frame.wnd, nullptr);
  KillTimer(nullptr, timer);
  g_popupLook = nullptr;
  const Image& popup = look.picture;
  ASSERT_GT(popup.width, 20) << "the popup was seen";
  EXPECT_COLOUR(popup.At(1, popup.height / 2), kMenu) << "the popup's border ring";
  EXPECT_COLOUR(popup.At(popup.width - 8, popup.height - 6), kMenu) << "an item's background";
  int highlighted = 0;
  for (COLORREF c : popup.pixels) highlighted += c == kHighlight;
  EXPECT_GT(highlighted, 100) << "the selected item";
  Save(popup, L"appface-popup.bmp");
  wchar_t text[64] = {};
  GetMenuStringW(file, 2, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&Check") << "the items keep their texts";
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(file, 0, TRUE, &info);
  EXPECT_EQ(info.fType & MFT_OWNERDRAW, 0u) << "a closed popup is the program's again";
}

TEST_F(AppFace, MenuBarItemsKeepTheirTextsAndAreThemselvesAgainAfterRemove) {
  Frame frame;
  ASSERT_EQ(Start(skinA_), 1);
  wchar_t text[64] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
  info.dwTypeData = text;
  info.cch = 63;
  ASSERT_TRUE(GetMenuItemInfoW(frame.menu, 1, TRUE, &info));
  EXPECT_STREQ(text, L"&Help");
  EXPECT_EQ(info.wID, 104u);
  EXPECT_NE(info.fType & MFT_OWNERDRAW, 0u) << "drawn by the skin";
  ASSERT_EQ(Remove(), 1);
  info.cch = 63;
  ASSERT_TRUE(GetMenuItemInfoW(frame.menu, 1, TRUE, &info));
  EXPECT_EQ(info.fType & MFT_OWNERDRAW, 0u);
  EXPECT_STREQ(text, L"&Help");
}

TEST_F(AppFace, MessageBoxesAreSkinned) {
  ASSERT_EQ(Start(skinA_), 1);
  Image box;
  dravon_test::CallWithModalProbe([] { return MessageBoxW(nullptr, L"Skinned?", L"Box", MB_OK); },
                                  dravon_test::WithCaption(L"Box"), [&](HWND wnd) {
                                    // The process's first window is not
                                    // always made active by Wine: draw it so.
                                    SendMessageW(wnd, WM_NCACTIVATE, TRUE, 0);
                                    flush_events(50);
                                    box = Capture(wnd);
                                  },
                                  dravon_test::kOk);
  ASSERT_GT(box.width, 20);
  EXPECT_COLOUR(box.At(box.width / 2, box.height - 8), kFace);
  EXPECT_COLOUR(box.At(2, box.height / 2), kBorder);
  Save(box, L"appface-messagebox.bmp");
}

// ---- the program's own drawing ----------------------------------------------------

TEST_F(AppFace, TheProgramsSystemColourCallsAnswerWithTheSkinOnItsThreadOnly) {
  const COLORREF face = SysColour(COLOR_BTNFACE);
  const COLORREF desktop = SysColour(COLOR_BACKGROUND);
  HBRUSH faceBrush = SysBrush(COLOR_BTNFACE);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
  HGDIOBJ old = SelectObject(mem, bitmap);
  const COLORREF systemEdge = EdgeCorner(mem);

  ASSERT_EQ(Start(skinA_), 1);
  EXPECT_COLOUR(SysColour(COLOR_BTNFACE), kFace);
  EXPECT_COLOUR(SysColour(COLOR_ACTIVEBORDER), kFace) << "panels in the border colour stay readable";
  EXPECT_COLOUR(SysColour(COLOR_WINDOW), kWindow);
  EXPECT_COLOUR(SysColour(COLOR_BTNSHADOW), kEdgeShadow);
  EXPECT_EQ(SysColour(COLOR_BACKGROUND), desktop) << "the desktop is left alone";
  LOGBRUSH lb{};
  GetObjectW(SysBrush(COLOR_BTNFACE), sizeof lb, &lb);
  EXPECT_COLOUR(lb.lbColor, kFace);
  COLORREF onOtherThread = 0;
  std::thread([&] { onOtherThread = SysColour(COLOR_BTNFACE); }).join();
  EXPECT_COLOUR(onOtherThread, face) << "another thread is not skinned";
  EXPECT_COLOUR(EdgeCorner(mem), kEdgeShadow) << "DrawEdge in the skin's edge colours";
  EXPECT_COLOUR(GetPixel(mem, 10, 10), kFace) << "and its middle";
  ASSERT_EQ(Remove(), 1);

  EXPECT_EQ(SysColour(COLOR_BTNFACE), face) << "the real colours once the skin is off";
  EXPECT_EQ(SysBrush(COLOR_BTNFACE), faceBrush);
  EXPECT_EQ(EdgeCorner(mem), systemEdge);
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST_F(AppFace, ACaptionButtonPressedAndReleasedOnItSendsItsCommand) {
  Frame frame;
  ASSERT_EQ(Start(skinA_), 1);
  RECT r{};
  GetWindowRect(frame.wnd, &r);
  const int border = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXEDGE);
  const POINT close{r.right - border - GetSystemMetrics(SM_CXSIZE) / 2, r.top + CaptionPoint(frame.wnd).y};
  ASSERT_EQ(SendMessageW(frame.wnd, WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLOSE);
  SetCursorPos(close.x, close.y);
  g_systemCommands.clear();
  // The release is queued first: the press runs its own loop until it comes.
  PostMessageW(frame.wnd, WM_LBUTTONUP, 0, 0);
  SendMessageW(frame.wnd, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
  EXPECT_EQ(g_systemCommands, std::vector<WPARAM>{SC_CLOSE});
  // Pressed on the button, released off it: nothing.
  g_systemCommands.clear();
  SetCursorPos(close.x - 200, close.y + 100);
  PostMessageW(frame.wnd, WM_LBUTTONUP, 0, 0);
  SendMessageW(frame.wnd, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
  EXPECT_TRUE(g_systemCommands.empty());
  EXPECT_COLOUR(CaptionColour(frame.wnd), kCaption) << "the caption is whole again";
}

TEST_F(AppFace, TheProgramMaySwitchOrEndTheSkinFromItsOwnMessages) {
  Frame frame;
  Dialog dialog;
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(100);
  const Image before = Capture(frame.wnd);
  ASSERT_EQ(Start(skinA_), 1);
  // As a menu command would: inside the skinned frame's own procedure.
  int switched = -1, removed = -1;
  g_inside = [&] {
    switched = start_(skinB_.c_str(), "", 1, 0, "");
    removed = remove_();
  };
  SendMessageW(frame.wnd, kRunInside, 0, 0);
  g_inside = nullptr;
  flush_events(50);
  EXPECT_EQ(switched, 1);
  EXPECT_EQ(removed, 1);
  EXPECT_TRUE(Capture(frame.wnd) == before);
  g_inside = [&] { switched = start_(skinB_.c_str(), "", 1, 0, ""); };
  SendMessageW(frame.wnd, kRunInside, 0, 0);
  g_inside = nullptr;
  flush_events(50);
  EXPECT_COLOUR(CaptionColour(frame.wnd), kCaptionB) << "started from inside, as the skin command does";
}

// ---- undoing and switching ----------------------------------------------------------

TEST_F(AppFace, RemovePutsEveryPixelBack) {
  Frame frame;
  Dialog dialog;
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(100);
  const Image frameBefore = Capture(frame.wnd);
  const Image dialogBefore = Capture(dialog.wnd);
  ASSERT_EQ(Start(skinA_), 1);
  ASSERT_FALSE(Capture(frame.wnd) == frameBefore);
  ASSERT_EQ(Start(skinB_), 1);
  ASSERT_EQ(Remove(), 1);
  EXPECT_TRUE(Capture(frame.wnd) == frameBefore) << "the frame, its menu and its controls";
  EXPECT_TRUE(Capture(dialog.wnd) == dialogBefore);
  EXPECT_EQ(Remove(), 1) << "removing twice is harmless";
}

TEST_F(AppFace, ASecondStartSwitchesSkins) {
  Frame frame;
  Dialog dialog;
  SetForegroundWindow(frame.wnd);
  SetActiveWindow(frame.wnd);
  flush_events(100);
  ASSERT_EQ(Start(skinA_), 1);
  ASSERT_EQ(Start(skinB_), 1);
  EXPECT_COLOUR(ClientPixel(dialog.wnd, dialog.wnd, 20, 60), kFaceB);
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.label, 190, 9), kFaceB);
  EXPECT_COLOUR(CaptionColour(frame.wnd), kCaptionB);
  EXPECT_COLOUR(SysColour(COLOR_BTNFACE), kFaceB);
}

TEST_F(AppFace, AMissingOrMalformedFileChangesNothing) {
  Frame frame;
  flush_events(100);
  const Image before = Capture(frame.wnd);
  const std::string malformed = WriteFile(L"malformed.urf", "face = #C8E0B0\r\ntext = oops\r\n");
  const std::string notASkin = platform::Narrow(BuildDir() + L"\\bin\\WAV\\start.wav");
  EXPECT_EQ(Start(platform::Narrow(TempFolder() + L"\\missing.urf")), 0);
  EXPECT_EQ(Start(malformed), 0);
  EXPECT_EQ(Start(notASkin), 0);
  EXPECT_EQ(start_(nullptr, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(Start(""), 0);
  EXPECT_TRUE(Capture(frame.wnd) == before);

  // With a skin on, a bad file leaves that skin on.
  ASSERT_EQ(Start(skinA_), 1);
  EXPECT_EQ(Start(malformed), 0);
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.label, 190, 9), kFace);
}

TEST_F(AppFace, OnlyTheSkinnedThreadCanSwitchOrRemove) {
  Frame frame;
  ASSERT_EQ(Start(skinA_), 1);
  int started = -1, removed = -1;
  std::thread([&] {
    started = start_(skinB_.c_str(), "", 1, 0, "");
    removed = remove_();
  }).join();
  EXPECT_EQ(started, 0);
  EXPECT_EQ(removed, 0);
  EXPECT_COLOUR(ClientPixel(frame.wnd, frame.label, 190, 9), kFace) << "still the first skin";
}

TEST_F(AppFace, ReadsTheShippedSkinAndAPathOutsideTheCodePage) {
  const std::wstring shipped = BuildDir() + L"\\bin\\SKIN\\BluePinna.urf";
  const std::wstring dir = TempFolder() + L"\\皮肤测试";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring copy = dir + L"\\BluePinna.urf";
  ASSERT_TRUE(CopyFileW(shipped.c_str(), copy.c_str(), FALSE));
  EXPECT_EQ(Start(platform::Narrow(shipped)), 1);
  EXPECT_EQ(Remove(), 1);
  EXPECT_EQ(Start(platform::Narrow(copy)), 1);
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(dir.c_str());
}

TEST_F(AppFace, ManyStartsAndRemovesLeaveNoObjectBehind) {
  Frame frame;
  Dialog dialog;
  // One cycle first: the system makes what it caches on first use.
  ASSERT_EQ(Start(skinA_), 1);
  ASSERT_EQ(Remove(), 1);
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const size_t made = Ledger::Instance().Made();
  // 200 cycles show a leak of one object in a hundred as well as 1000 do.
  constexpr int kCycles = 200;
  for (int i = 0; i < kCycles; ++i) {
    ASSERT_EQ(start_(i % 2 ? skinA_.c_str() : skinB_.c_str(), "", 1, 0, ""), 1);
    if (i % 50 == 0) flush_events(0);
    ASSERT_EQ(remove_(), 1);
  }
  flush_events(50);
  EXPECT_GT(Ledger::Instance().Made(), made + kCycles) << "the ledger sees the engine's objects";
  EXPECT_EQ(Ledger::Instance().Live(), 0u) << "every brush, pen, font, DC, region and hook went again";
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore);
}

TEST_F(AppFace, WindowsComingAndGoingUnderTheSkinLeaveNoObjectBehind) {
  ASSERT_EQ(Start(skinA_), 1);
  const size_t live = Ledger::Instance().Live();
  for (int i = 0; i < 50; ++i) {
    Frame frame(80, 80);
    Dialog dialog;
  }
  flush_events(50);
  EXPECT_EQ(Ledger::Instance().Live(), live) << "only the palette's objects are alive";
}

// ---- at every display scale ------------------------------------------------------------

// A frame that paints no client area, so what the engine draws at a forced
// scale shows where the system (at its own scale) keeps the client area,
// and that takes the rectangle a change of scale suggests, as a program does.
LRESULT CALLBACK BareProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE: return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: ValidateRect(wnd, nullptr); return 0;
    case platform::dpi::kWmDpiChanged: {
      const RECT& r = *reinterpret_cast<const RECT*>(lp);
      SetWindowPos(wnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default: return DefWindowProcW(wnd, msg, wp, lp);
  }
}

struct BareFrame {
  HWND wnd = nullptr;
  BareFrame() {
    static const wchar_t* cls = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = BareProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
      wc.lpszClassName = L"AppFaceTestBare";
      RegisterClassW(&wc);
      return wc.lpszClassName;
    }();
    wnd = CreateWindowExW(0, cls, L"S", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 400, 260, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(wnd);
    SetActiveWindow(wnd);
    flush_events(50);
  }
  ~BareFrame() { DestroyWindow(wnd); }
  BareFrame(const BareFrame&) = delete;
  BareFrame& operator=(const BareFrame&) = delete;
};

// Puts the engine's own DPI answer back when a test ends.
struct Unforce {
  SkinTestDpiFn force;
  ~Unforce() { force(0); }
};

// What Windows does when a window reaches a monitor of `dpi`, from `from`:
// the window's DPI answer changes and it is told, with its size scaled.
void ChangeScale(HWND wnd, SkinTestDpiFn force, UINT from, UINT dpi) {
  RECT r{};
  GetWindowRect(wnd, &r);
  RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, static_cast<int>(dpi), static_cast<int>(from)),
                 r.top + MulDiv(r.bottom - r.top, static_cast<int>(dpi), static_cast<int>(from))};
  force(dpi);
  SendMessageW(wnd, platform::dpi::kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The run of pixels other than `behind` that contains or follows `from`
// along a row (dx) or a column (dy), as [first, last].
std::pair<int, int> Run(const Image& image, POINT from, int dx, int dy, COLORREF behind) {
  POINT p = from;
  while (image.At(p.x, p.y) == behind) p = {p.x + dx, p.y + dy};
  const POINT first = p;
  while (image.At(p.x, p.y) != behind) p = {p.x + dx, p.y + dy};
  return dx ? std::pair{std::min<int>(first.x, p.x - dx), std::max<int>(first.x, p.x - dx)}
            : std::pair{std::min<int>(first.y, p.y - dy), std::max<int>(first.y, p.y - dy)};
}

// Caption bar and close button as painted, in window coordinates.
struct PaintedCaption {
  int top = 0, bottom = 0;  // the caption colour's first and last row
  RECT close{};
};

PaintedCaption MeasureCaption(HWND wnd) {
  const Image picture = Capture(wnd);
  PaintedCaption c;
  const int x = picture.width * 3 / 5;
  int y = 0;
  while (y < picture.height && picture.At(x, y) != kCaption) ++y;
  c.top = y;
  while (y < picture.height && picture.At(x, y) == kCaption) ++y;
  c.bottom = y - 1;
  const int middle = (c.top + c.bottom) / 2;
  // From the caption's middle, right to left: the close button first.
  int right = picture.width - 1;
  while (right > x && picture.At(right, middle) != kCaption) --right;
  const auto [left, last] = Run(picture, {right, middle}, -1, 0, kCaption);
  // Down the button's middle: its rounded corners are as wide as its frame.
  const auto [top, bottom] = Run(picture, {(left + last) / 2, c.top}, 0, 1, kCaption);
  c.close = {left, top, last + 1, bottom + 1};
  return c;
}

// Where the system lays out the frame's caption and close button at `dpi`.
PaintedCaption ExpectedCaption(HWND wnd, UINT dpi) {
  RECT adjust{};
  platform::dpi::AdjustWindowRect(adjust, static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)), false, 0, dpi);
  RECT wr{};
  GetWindowRect(wnd, &wr);
  const int border = -adjust.left;
  const int right = wr.right - wr.left - border;
  const int cx = platform::dpi::Metric(SM_CXSIZE, dpi), cy = platform::dpi::Metric(SM_CYSIZE, dpi);
  const int gap = MulDiv(2, static_cast<int>(dpi), 96);
  PaintedCaption c;
  c.top = border;
  c.bottom = border + platform::dpi::Metric(SM_CYCAPTION, dpi) - 2;  // above the bar's bottom line
  c.close = {right - cx, border + gap, right - gap, border + cy - gap};
  return c;
}

TEST_F(AppFace, TheFrameFollowsTheWindowsScale) {
  ASSERT_NE(testDpi_, nullptr);
  const Unforce unforce{testDpi_};
  BareFrame frame;
  ASSERT_EQ(Start(skinA_), 1);
  const UINT system = platform::dpi::SystemDpi();
  UINT at = system;
  int captionAt96 = 0;
  for (UINT dpi : {96u, 120u, 144u, 192u, 96u}) {
    ChangeScale(frame.wnd, testDpi_, at, dpi);
    at = dpi;
    flush_events(50);
    const PaintedCaption painted = MeasureCaption(frame.wnd);
    const PaintedCaption expected = ExpectedCaption(frame.wnd, dpi);
    EXPECT_EQ(painted.top, expected.top) << dpi;
    EXPECT_EQ(painted.bottom, expected.bottom) << dpi;
    EXPECT_EQ(painted.close.left, expected.close.left) << dpi;
    EXPECT_EQ(painted.close.right, expected.close.right) << dpi;
    EXPECT_EQ(painted.close.top, expected.close.top) << dpi;
    EXPECT_EQ(painted.close.bottom, expected.close.bottom) << dpi;
    const int height = painted.bottom - painted.top + 1;
    if (dpi == 96) captionAt96 = height;
    EXPECT_NEAR(height, MulDiv(captionAt96, static_cast<int>(dpi), 96), 2) << "the caption in proportion at " << dpi;
    EXPECT_COLOUR(Capture(frame.wnd).At(1, 100), kBorder) << dpi;
    if (dpi == 144 || dpi == 192) {
      Save(Capture(frame.wnd), (L"appface-frame-" + std::to_wstring(dpi) + L".bmp").c_str());
    }
  }
}

// The height of the popup `menu` of `owner` as the system lays it out.
int PopupHeight(HWND owner, HMENU menu) {
  PopupLook look;
  g_popupLook = &look;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookAtPopup);
  TrackPopupMenuEx(menu, TPM_RETURNCMD, 100, 100, owner, nullptr);
  KillTimer(nullptr, timer);
  g_popupLook = nullptr;
  return look.picture.height;
}

// The width of the frame's first menu bar item's text in the system's menu
// font at `dpi`.
int MenuTextWidth(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  if (!platform::dpi::NonClientMetrics(metrics, dpi)) return -1;
  HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{};
  DrawTextW(dc, L"&File", -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return r.right - r.left;
}

TEST_F(AppFace, MenusAreMeasuredAtTheWindowsScale) {
  ASSERT_NE(testDpi_, nullptr);
  const Unforce unforce{testDpi_};
  Frame frame;
  ASSERT_EQ(Start(skinA_), 1);
  ChangeScale(frame.wnd, testDpi_, platform::dpi::SystemDpi(), 96);
  flush_events(50);
  RECT bar96{};
  ASSERT_TRUE(GetMenuItemRect(frame.wnd, frame.menu, 0, &bar96));
  const int popup96 = PopupHeight(frame.wnd, GetSubMenu(frame.menu, 0));
  ChangeScale(frame.wnd, testDpi_, 96, 192);
  flush_events(50);
  RECT bar192{};
  ASSERT_TRUE(GetMenuItemRect(frame.wnd, frame.menu, 0, &bar192));
  // (The bar's height is the system's own; its items' widths are their texts'
  // and the system's spacing.)
  EXPECT_EQ((bar192.right - bar192.left) - (bar96.right - bar96.left), MenuTextWidth(192) - MenuTextWidth(96))
      << "the menu bar measured again, its text at the scale";
  const int popup192 = PopupHeight(frame.wnd, GetSubMenu(frame.menu, 0));
  EXPECT_NEAR(popup192, 2 * popup96, popup96 / 5) << "a popup's items at the scale";
}

TEST_F(AppFace, ChangesOfScaleLeaveNoObjectBehind) {
  ASSERT_NE(testDpi_, nullptr);
  const Unforce unforce{testDpi_};
  constexpr UINT kScales[] = {96, 120, 144, 192};
  {
    Frame frame;
    ASSERT_EQ(Start(skinA_), 1);
    UINT at = platform::dpi::SystemDpi();
    // Once round first: the fonts of each scale are made on first use.
    for (UINT dpi : kScales) {
      ChangeScale(frame.wnd, testDpi_, at, dpi);
      at = dpi;
      flush_events(20);
    }
    const size_t live = Ledger::Instance().Live();
    const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
    for (int i = 0; i < 200; ++i) {
      const UINT dpi = kScales[i % 4];
      ChangeScale(frame.wnd, testDpi_, at, dpi);
      at = dpi;
      if (i % 10 == 0) flush_events(0);
    }
    flush_events(50);
    const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
    EXPECT_EQ(Ledger::Instance().Live(), live) << "the engine's objects";
    EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
    EXPECT_EQ(after.user, before.user);
    ASSERT_EQ(Remove(), 1);
  }
  EXPECT_EQ(Ledger::Instance().Live(), 0u) << "the fonts of every scale went with the skin";
}

}  // namespace
