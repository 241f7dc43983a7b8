#include "outside/appface/Engine.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "outside/appface/Controls.h"
#include "outside/appface/Draw.h"
#include "outside/appface/ImportPatch.h"
#include "outside/appface/Menus.h"
#include "outside/appface/NonClient.h"
#include "outside/appface/Redirects.h"
#include "platform/DpiWin.h"

namespace appface {
namespace {

constexpr UINT_PTR kSubclassId = 0x41465345;  // 'AFSE'
// Caption messages of the visual-styles frame; a skinned frame has none.
constexpr UINT kNcUahDrawCaption = 0x00AE;
constexpr UINT kNcUahDrawFrame = 0x00AF;

enum class Kind { Other, Button, ListView, Header, Tab, Slider, Toolbar, MenuPopup, Skipped };

Kind KindOf(HWND wnd) {
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  struct Row {
    const wchar_t* name;
    Kind kind;
  };
  static const Row kRows[] = {
      {L"Button", Kind::Button},       {WC_LISTVIEWW, Kind::ListView},  {WC_HEADERW, Kind::Header},
      {WC_TABCONTROLW, Kind::Tab},     {TRACKBAR_CLASSW, Kind::Slider}, {TOOLBARCLASSNAMEW, Kind::Toolbar},
      {L"#32768", Kind::MenuPopup},    {L"IME", Kind::Skipped},         {L"MSCTFIME UI", Kind::Skipped},
  };
  for (const Row& r : kRows) {
    if (CompareStringOrdinal(name, -1, r.name, -1, TRUE) == CSTR_EQUAL) return r.kind;
  }
  return Kind::Other;
}

struct Window {
  HWND hwnd = nullptr;
  Kind kind = Kind::Other;
  bool active = false;       // the caption is drawn active
  bool sliderOwned = false;  // the engine draws this slider's current paint cycle
  bool ncPolicySet = false;  // the compositor's frame is off for it
  controls::ListViewColours list;
};

LRESULT CALLBACK SkinProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK CbtProc(int, WPARAM, LPARAM);

class Engine;
Engine* g_engine = nullptr;
// Read by the redirected imports from any thread; written on the skinned one.
std::atomic<DWORD> g_thread{0};
std::atomic<const Palette*> g_palette{nullptr};

bool IsTopLevel(HWND wnd) { return !(GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD); }

std::wstring FolderOf(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (!n || n >= MAX_PATH) return {};
  std::wstring folder(path, n);
  const auto slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring{} : folder.substr(0, slash);
}

class Engine {
 public:
  Engine(DWORD thread, std::unique_ptr<Palette> palette)
      : thread_(thread), palette_(std::move(palette)), patcher_("user32.dll", ProgramRedirects()) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  DWORD Thread() const { return thread_; }
  const Palette& Colours() const { return *palette_; }
  MenuSkin& Menus() { return menus_; }
  const controls::SystemBrushes& System() const { return system_; }

  bool Begin();
  void End();
  void Switch(std::unique_ptr<Palette> palette);
  void ReleaseImports() {
    g_palette = nullptr;
    g_thread = 0;
    patcher_.RestoreAll();
  }

  void OnCreating(HWND wnd, const CREATESTRUCTW* cs);
  Window* Find(HWND wnd) {
    const auto it = windows_.find(wnd);
    return it == windows_.end() ? nullptr : it->second.get();
  }
  void Apply(Window& w);
  void Forget(HWND wnd);
  // After a change of scale: the menu bar measured and the frame laid out
  // and painted again at the new DPI.
  void Relayout(HWND wnd);

 private:
  void Attach(HWND wnd);
  void PatchIfProgramModule(HMODULE module);
  void SetCompositorFrame(Window& w, bool off);
  void RedrawAll();

  DWORD thread_;
  std::unique_ptr<Palette> palette_;
  ImportPatcher patcher_;
  MenuSkin menus_;
  controls::SystemBrushes system_;
  std::unordered_map<HWND, std::unique_ptr<Window>> windows_;
  std::vector<HMODULE> checkedModules_;
  std::wstring programFolder_;
  HHOOK cbt_ = nullptr;
  HMODULE self_ = nullptr;
  HMODULE dwm_ = nullptr;
};

BOOL CALLBACK AttachChild(HWND wnd, LPARAM engine);
BOOL CALLBACK AttachTop(HWND wnd, LPARAM engine);

void Engine::Attach(HWND wnd) {
  if (!IsWindow(wnd) || GetWindowThreadProcessId(wnd, nullptr) != thread_) return;
  const Kind kind = KindOf(wnd);
  if (kind == Kind::Skipped) return;
  // A window being created cannot be subclassed yet: an entry for its
  // handle is left from a window the program unsubclassed us from.
  windows_.erase(wnd);
  auto w = std::make_unique<Window>();
  w->hwnd = wnd;
  w->kind = kind;
  if (!SetWindowSubclass(wnd, SkinProc, kSubclassId, reinterpret_cast<DWORD_PTR>(w.get()))) return;
  windows_.emplace(wnd, std::move(w));
}

void Engine::PatchIfProgramModule(HMODULE module) {
  if (!module || module == self_) return;
  for (HMODULE m : checkedModules_) {
    if (m == module) return;
  }
  checkedModules_.push_back(module);
  const std::wstring folder = FolderOf(module);
  if (!folder.empty() && CompareStringOrdinal(folder.c_str(), -1, programFolder_.c_str(), -1, TRUE) == CSTR_EQUAL) {
    patcher_.Patch(module);
  }
}

void Engine::SetCompositorFrame(Window& w, bool off) {
  // Where a compositor draws frames itself (DWM), it would draw over ours.
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  auto set = dwm_ ? reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm_, "DwmSetWindowAttribute")))
                  : nullptr;
  if (!set || off == w.ncPolicySet) return;
  const DWORD policy = off ? 1 /* DWMNCRP_DISABLED */ : 0 /* DWMNCRP_USEWINDOWSTYLE */;
  if (SUCCEEDED(set(w.hwnd, 2 /* DWMWA_NCRENDERING_POLICY */, &policy, sizeof policy))) w.ncPolicySet = off;
}

void Engine::Apply(Window& w) {
  if (w.kind == Kind::ListView) controls::ApplyListViewColours(w.hwnd, w.list, *palette_);
  if (IsTopLevel(w.hwnd)) {
    if (HMENU menu = GetMenu(w.hwnd)) menus_.Adopt(menu);
    if (nonclient::HasSkinnedFrame(w.hwnd)) {
      w.active = GetActiveWindow() == w.hwnd;
      SetCompositorFrame(w, true);
    }
  }
}

void Engine::Relayout(HWND wnd) {
  if (HMENU menu = GetMenu(wnd); menu && menus_.Owns(menu)) {
    // Setting an item's type again drops the size the system keeps for it.
    menus_.Release(menu);
    menus_.Adopt(menu);
  }
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if (IsWindowVisible(wnd)) {
    if (GetMenu(wnd)) DrawMenuBar(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
  }
}

void Engine::Forget(HWND wnd) {
  RemoveWindowSubclass(wnd, SkinProc, kSubclassId);
  windows_.erase(wnd);
}

BOOL CALLBACK AttachChild(HWND wnd, LPARAM engine) {
  reinterpret_cast<Engine*>(engine)->OnCreating(wnd, nullptr);
  return TRUE;
}

BOOL CALLBACK AttachTop(HWND wnd, LPARAM engine) {
  reinterpret_cast<Engine*>(engine)->OnCreating(wnd, nullptr);
  EnumChildWindows(wnd, AttachChild, engine);
  return TRUE;
}

BOOL CALLBACK RedrawTop(HWND wnd, LPARAM) {
  if (!IsWindowVisible(wnd)) return TRUE;
  if (IsTopLevel(wnd) && GetMenu(wnd)) DrawMenuBar(wnd);
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

void Engine::RedrawAll() { EnumThreadWindows(thread_, RedrawTop, 0); }

bool Engine::Begin() {
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&SkinProc), &self_)) {
    return false;
  }
  cbt_ = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, thread_);
  if (!cbt_) {
    FreeLibrary(self_);
    self_ = nullptr;
    return false;
  }
  dwm_ = LoadLibraryW(L"dwmapi.dll");
  g_palette = palette_.get();
  g_thread = thread_;

  programFolder_ = FolderOf(nullptr);
  HMODULE modules[1024];
  DWORD bytes = 0;
  if (K32EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &bytes)) {
    const DWORD count = std::min<DWORD>(bytes / sizeof(HMODULE), 1024);
    for (DWORD i = 0; i < count; ++i) PatchIfProgramModule(modules[i]);
  }

  EnumThreadWindows(thread_, AttachTop, reinterpret_cast<LPARAM>(this));
  std::vector<HWND> attached;
  for (const auto& [wnd, w] : windows_) attached.push_back(wnd);
  for (HWND wnd : attached) {
    if (Window* w = Find(wnd)) Apply(*w);
  }
  RedrawAll();
  return true;
}

void Engine::End() {
  if (cbt_) UnhookWindowsHookEx(cbt_);
  cbt_ = nullptr;
  menus_.ReleaseAll();
  for (auto& [wnd, w] : windows_) {
    if (!IsWindow(wnd)) continue;
    if (w->kind == Kind::ListView) controls::RestoreListViewColours(wnd, w->list);
    SetCompositorFrame(*w, false);
    RemoveWindowSubclass(wnd, SkinProc, kSubclassId);
  }
  windows_.clear();
  g_palette = nullptr;
  g_thread = 0;
  patcher_.RestoreAll();
  RedrawAll();
  if (dwm_) FreeLibrary(dwm_);
  dwm_ = nullptr;
  if (self_) FreeLibrary(self_);  // the caller holds its own reference while it calls in
  self_ = nullptr;
}

void Engine::Switch(std::unique_ptr<Palette> palette) {
  for (auto& [wnd, w] : windows_) {
    if (w->kind == Kind::ListView && IsWindow(wnd)) controls::RestoreListViewColours(wnd, w->list);
  }
  std::unique_ptr<Palette> old = std::move(palette_);
  palette_ = std::move(palette);
  g_palette = palette_.get();
  for (auto& [wnd, w] : windows_) {
    if (w->kind == Kind::ListView && IsWindow(wnd)) controls::ApplyListViewColours(wnd, w->list, *palette_);
  }
  RedrawAll();
  // `old` goes here, once nothing paints with it any more.
}

void Engine::OnCreating(HWND wnd, const CREATESTRUCTW* cs) {
  if (cs) {
    if (cs->hwndParent == HWND_MESSAGE) return;
    PatchIfProgramModule(cs->hInstance);
  }
  Attach(wnd);
  // A popup menu's window is made for its menu before the menu is measured;
  // a popup opened without notifications (TPM_NONOTIFY) is adopted here.
  Window* w = Find(wnd);
  if (w && w->kind == Kind::MenuPopup && cs && IsMenu(static_cast<HMENU>(cs->lpCreateParams))) {
    menus_.Adopt(static_cast<HMENU>(cs->lpCreateParams));
  }
}

// ---- messages -------------------------------------------------------------

using PaintFn = void (*)(HWND, HDC, const Palette&);

LRESULT PaintOwn(HWND wnd, WPARAM wp, PaintFn paint, const Palette& p) {
  if (wp) {
    paint(wnd, reinterpret_cast<HDC>(wp), p);
    return 0;
  }
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(wnd, &ps)) {
    paint(wnd, dc, p);
    EndPaint(wnd, &ps);
  }
  return 0;
}

// After the window's own handling of a message that it may answer by
// painting in system colours straight away: paint it again in the skin's.
LRESULT ThenRepaint(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, PaintFn paint) {
  const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
  if (Engine* e = g_engine) controls::RepaintNow(wnd, paint, e->Colours());
  return r;
}

bool ButtonStateMessage(UINT msg, HWND wnd) {
  switch (msg) {
    case BM_SETSTATE: case BM_SETSTYLE: case BM_SETCHECK: case BM_CLICK:
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: case WM_SETTEXT: case WM_SETFONT:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_KEYDOWN: case WM_KEYUP:
    case WM_CAPTURECHANGED: case WM_UPDATEUISTATE: case WM_MOUSELEAVE:
      return true;
    case WM_MOUSEMOVE:
      return GetCapture() == wnd;
    default:
      return false;
  }
}

LRESULT ButtonMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, const Palette& p) {
  const bool push = controls::IsPushButton(wnd);
  if (!push && !controls::IsGroupBox(wnd)) return DefSubclassProc(wnd, msg, wp, lp);
  const PaintFn paint = push ? controls::PaintPushButton : controls::PaintGroupBox;
  switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintOwn(wnd, wp, paint, p);
    case WM_ERASEBKGND:
      if (push) return 1;
      break;
    default:
      if (ButtonStateMessage(msg, wnd)) return ThenRepaint(wnd, msg, wp, lp, paint);
      break;
  }
  return DefSubclassProc(wnd, msg, wp, lp);
}

LRESULT FrameMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  handled = true;
  Engine* e = g_engine;
  switch (msg) {
    case WM_NCPAINT: {
      // The system paints the menu bar (its items are ours), client edge
      // and scroll bars; the border and caption are the skin's.
      HRGN system = nonclient::SystemPaintedRegion(wnd);
      if (wp > 1) CombineRgn(system, system, reinterpret_cast<HRGN>(wp), RGN_AND);
      const LRESULT r = DefSubclassProc(wnd, msg, reinterpret_cast<WPARAM>(system), lp);
      DeleteObject(system);
      if ((e = g_engine) != nullptr) {
        if (Window* w = e->Find(wnd)) nonclient::PaintFrame(wnd, e->Colours(), w->active);
        nonclient::PaintMenuBarRest(wnd, e->Colours());
      }
      return r;
    }
    case WM_NCACTIVATE: {
      if (Window* w = e->Find(wnd)) w->active = wp != FALSE;
      // -1: the system changes the state without painting the old caption.
      const LRESULT r = DefSubclassProc(wnd, msg, wp, -1);
      if ((e = g_engine) != nullptr && IsWindowVisible(wnd)) {
        if (Window* w = e->Find(wnd)) nonclient::PaintFrame(wnd, e->Colours(), w->active);
      }
      return r;
    }
    case WM_SETTEXT:
    case WM_SETICON: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      if ((e = g_engine) != nullptr && IsWindowVisible(wnd)) {
        if (Window* w = e->Find(wnd)) nonclient::PaintFrame(wnd, e->Colours(), w->active);
      }
      return r;
    }
    case WM_NCLBUTTONDOWN: {
      Window* w = e->Find(wnd);
      if (w && nonclient::TrackCaptionButton(wnd, wp, w->active)) return 0;
      break;
    }
    case kNcUahDrawCaption:
    case kNcUahDrawFrame:
      return 0;
    default:
      break;
  }
  handled = false;
  return 0;
}

LRESULT Dispatch(Engine& e, Window& w, UINT msg, WPARAM wp, LPARAM lp) {
  HWND wnd = w.hwnd;
  const Palette& p = e.Colours();
  // After DefSubclassProc the program may have ended or switched the skin,
  // or destroyed the window: from there on, look everything up again.
  switch (msg) {
    case WM_NCDESTROY: {
      if (IsTopLevel(wnd)) e.Menus().Release(GetMenu(wnd));
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      if (g_engine) g_engine->Forget(wnd);
      return r;
    }
    case WM_CREATE: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      if (r != -1 && g_engine) {
        if (Window* again = g_engine->Find(wnd)) g_engine->Apply(*again);
      }
      return r;
    }
    case WM_NCCALCSIZE:
      if (IsTopLevel(wnd)) e.Menus().Adopt(GetMenu(wnd));  // before the system measures the menu bar
      break;
    case platform::dpi::kWmDpiChanged: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);  // the program takes its new size first
      if (g_engine && IsWindow(wnd) && IsTopLevel(wnd)) g_engine->Relayout(wnd);
      return r;
    }
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      Engine* now = g_engine;
      return now ? controls::TranslateCtlColor(r, reinterpret_cast<HDC>(wp), now->Colours(), now->System()) : r;
    }
    case WM_INITMENUPOPUP: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);  // the program sets its items first
      if (Engine* now = g_engine) {
        now->Menus().Adopt(reinterpret_cast<HMENU>(wp));
        now->Menus().PopupOpening(reinterpret_cast<HMENU>(wp));
      }
      return r;
    }
    case WM_UNINITMENUPOPUP: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      if (Engine* now = g_engine) now->Menus().Release(reinterpret_cast<HMENU>(wp));
      return r;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mis && mis->CtlType == ODT_MENU && e.Menus().Measure(wnd, mis, p)) return TRUE;
      break;
    }
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (dis && dis->CtlType == ODT_MENU && e.Menus().Draw(wnd, dis, p)) return TRUE;
      break;
    }
    case WM_MENUCHAR: {
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      if (r == 0 && g_engine) {
        if (const LRESULT ours = g_engine->Menus().MenuChar(reinterpret_cast<HMENU>(lp), LOWORD(wp))) return ours;
      }
      return r;
    }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (!hdr || hdr->code != NM_CUSTOMDRAW) break;
      Window* from = e.Find(hdr->hwndFrom);
      if (!from || from->kind != Kind::Slider) break;
      const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
      Engine* now = g_engine;
      Window* slider = now ? now->Find(hdr->hwndFrom) : nullptr;
      if (!slider) return r;
      return controls::SliderCustomDraw(reinterpret_cast<NMCUSTOMDRAW*>(lp), r, slider->sliderOwned, now->Colours());
    }
    default:
      break;
  }

  if (nonclient::HasSkinnedFrame(wnd)) {
    bool handled = false;
    const LRESULT r = FrameMessage(wnd, msg, wp, lp, handled);
    if (handled) return r;
  } else if (msg == WM_NCPAINT && !IsTopLevel(wnd)) {
    const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
    if (Engine* now = g_engine) nonclient::PaintChildEdges(wnd, now->Colours());
    return r;
  }

  switch (w.kind) {
    case Kind::Button:
      return ButtonMessage(wnd, msg, wp, lp, p);
    case Kind::Tab: {
      const auto style = static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE));
      if (style & (TCS_VERTICAL | TCS_BOTTOM | TCS_OWNERDRAWFIXED)) break;  // left to the system
      if (msg == WM_PAINT || msg == WM_PRINTCLIENT) return PaintOwn(wnd, wp, controls::PaintTabControl, p);
      if (msg == WM_ERASEBKGND) return 1;
      break;
    }
    case Kind::Header:
      if (msg == WM_PAINT || msg == WM_PRINTCLIENT) return PaintOwn(wnd, wp, controls::PaintHeader, p);
      if (msg == WM_ERASEBKGND) return 1;
      // A header draws a pressed or dragged item straight onto the screen.
      if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED ||
          (msg == WM_MOUSEMOVE && GetCapture() == wnd)) {
        return ThenRepaint(wnd, msg, wp, lp, controls::PaintHeader);
      }
      break;
    case Kind::Toolbar:
      if (msg == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(wnd, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, p.Brush(Role::Face));
        return 1;
      }
      break;
    case Kind::MenuPopup:
      if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
        const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
        Engine* now = g_engine;
        if (now && now->Menus().Owns(reinterpret_cast<HMENU>(SendMessageW(wnd, MN_GETHMENU, 0, 0)))) {
          HDC dc = msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wp) : GetDC(wnd);
          MenuSkin::PaintPopupFrame(wnd, dc, now->Colours());
          if (msg == WM_PAINT) ReleaseDC(wnd, dc);
        }
        return r;
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(wnd, msg, wp, lp);
}

LRESULT CALLBACK SkinProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  Engine* e = g_engine;
  auto* w = reinterpret_cast<Window*>(ref);
  if (!e || !w || e->Find(wnd) != w) return DefSubclassProc(wnd, msg, wp, lp);
  try {
    return Dispatch(*e, *w, msg, wp, lp);
  } catch (...) {
    return 0;  // nothing may leave a window procedure; only allocation can throw here
  }
}

LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && g_engine) {
    try {
      g_engine->OnCreating(reinterpret_cast<HWND>(wp), reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs);
    } catch (...) {
      // an unskinned window is better than a failed creation
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

bool StartSkinning(const outside::SkinFile& skin) {
  const DWORD thread = GetCurrentThreadId();
  if (g_engine && g_engine->Thread() != thread) return false;
  auto palette = std::make_unique<Palette>(skin);
  if (!palette->Complete()) return false;
  if (g_engine) {
    g_engine->Switch(std::move(palette));
    return true;
  }
  auto engine = std::make_unique<Engine>(thread, std::move(palette));
  g_engine = engine.get();
  if (!engine->Begin()) {
    g_engine = nullptr;
    return false;
  }
  engine.release();
  return true;
}

bool StopSkinning() {
  if (!g_engine || g_engine->Thread() != GetCurrentThreadId()) return false;
  std::unique_ptr<Engine> engine(g_engine);
  engine->End();
  g_engine = nullptr;
  return true;
}

bool Skinning() { return g_engine != nullptr; }

void RestoreImportsAtExit() {
  if (g_engine) g_engine->ReleaseImports();
}

const Palette* ThreadPalette() {
  return GetCurrentThreadId() == g_thread.load() ? g_palette.load() : nullptr;
}

}  // namespace appface
