#include "framework/Dialog.h"

#include <commctrl.h>

#include <cstdlib>
#include <cwchar>

#include "framework/WinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent, HINSTANCE module)
    : templateId_(templateId), parent_(parent), module_(module) {}

HINSTANCE CDialog::GetResourceModule() const {
  return module_ ? module_ : AfxGetResourceHandle();
}

HICON CDialog::LoadIconResource(UINT id, bool big) const {
  return static_cast<HICON>(::LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         ::GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON),
                                         ::GetSystemMetrics(big ? SM_CYICON : SM_CYSMICON),
                                         LR_SHARED));
}

void CDialog::SetIconsFrom(UINT id) {
  iconId_ = id;
  const UINT dpi = GetDpi();
  for (const bool big : {true, false}) {
    afx::UniqueIcon& own = icons_[big ? 0 : 1];
    afx::UniqueIcon previous = std::move(own);
    if (dpi == afx::SystemDpi()) {
      SetIcon(LoadIconResource(id, big), big);
    } else {
      // Not the system's size: an icon of our own (shared ones keep the
      // size they were first loaded at).
      own = afx::LoadIconOfSize(id, afx::SystemMetricForDpi(big ? SM_CXICON : SM_CXSMICON, dpi),
                                GetResourceModule());
      SetIcon(own.get(), big);
    }
  }
}

HFONT CDialog::GetDialogFont() const {
  const HFONT font = GetFont();
  // The fonts are kept by the top-level dialog, for its pages too.
  const auto* top = dynamic_cast<const CDialog*>(FromHandlePermanent(::GetAncestor(m_hWnd, GA_ROOT)));
  for (const ScaledFont& scaled : (top ? top : this)->scaledFonts_) {
    if (scaled.original == font) return scaled.font;
  }
  return font;
}

LRESULT CDialog::OnDpiChangedMessage(WPARAM dpis, LPARAM suggested) {
  const UINT from = LaidOutDpi();
  const UINT to = LOWORD(dpis);
  if (afx::SystemFollowsDpiChanges(m_hWnd)) {
    DefWindowProc(afx::kWmDpiChanged, dpis, suggested);
  } else if (from != 0 && to != 0 && from != to && !(GetStyle() & WS_CHILD)) {
    ScaleTemplate(from, to);
  }
  // Then what every window does: its own drawing, children first, and the
  // suggested rectangle.
  LRESULT result = 0;
  CWnd::OnWndMsg(afx::kWmDpiChanged, dpis, suggested, result);
  return result;
}

namespace {

bool IsDialogWindow(HWND wnd) {
  wchar_t name[16] = {};
  ::GetClassNameW(wnd, name, 16);
  return wcscmp(name, L"#32770") == 0;
}

bool IsComboBox(HWND wnd) {
  wchar_t name[32] = {};
  ::GetClassNameW(wnd, name, 32);
  return _wcsicmp(name, WC_COMBOBOXW) == 0 || _wcsicmp(name, WC_COMBOBOXEXW) == 0;
}

// The height of a line of `font`'s text.
int LineHeight(HFONT font) {
  HDC screen = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(screen, font);
  TEXTMETRICW tm{};
  ::GetTextMetricsW(screen, &tm);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  return tm.tmHeight;
}

void Descendants(HWND parent, std::vector<HWND>& out) {
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(c);
    Descendants(c, out);
  }
}

}  // namespace

void CDialog::ScaleTemplate(UINT from, UINT to) {
  std::vector<HWND> windows;
  Descendants(m_hWnd, windows);
  // The template fonts (this dialog's and those of the pages in it), each
  // made for `to` from the template font itself, so that changes back and
  // forth never drift. Fonts a control was given by its own object are
  // that object's to make again (OnDpiChanged).
  std::vector<HFONT> templateFonts{GetFont()};
  for (HWND w : windows) {
    if (IsDialogWindow(w)) templateFonts.push_back(reinterpret_cast<HFONT>(::SendMessageW(w, WM_GETFONT, 0, 0)));
  }
  auto templateOf = [&](HFONT font) -> HFONT {
    for (const ScaledFont& f : scaledFonts_) {
      if (f.font.get() == font) return f.original;
    }
    for (HFONT t : templateFonts) {
      if (t == font) return t;
    }
    return nullptr;
  };
  std::vector<ScaledFont> fonts;
  auto fontAt = [&](HFONT original) -> HFONT {
    if (to == templateDpi_) return original;
    for (ScaledFont& f : fonts) {
      if (f.original == original) return f.font;
    }
    LOGFONTW lf{};
    if (!::GetObjectW(original, sizeof lf, &lf)) return nullptr;
    lf.lfHeight = ::MulDiv(lf.lfHeight, static_cast<int>(to), static_cast<int>(templateDpi_));
    lf.lfWidth = ::MulDiv(lf.lfWidth, static_cast<int>(to), static_cast<int>(templateDpi_));
    ScaledFont& made = fonts.emplace_back(ScaledFont{original, CFont()});
    made.font.CreateFontIndirect(lf);
    // A control one line of the template font tall is that line's height
    // scaled, rounded down at worst; a font's lines do not grow exactly
    // with its size, so the font is made no taller than that.
    const int tallest = LineHeight(original) * static_cast<int>(to) / static_cast<int>(templateDpi_);
    while (made.font && LineHeight(made.font) > tallest && std::abs(lf.lfHeight) > 1) {
      lf.lfHeight += lf.lfHeight < 0 ? 1 : -1;
      made.font.CreateFontIndirect(lf);
    }
    return made.font;
  };
  const auto scale = [&](LONG v) { return ::MulDiv(v, static_cast<int>(to), static_cast<int>(from)); };
  for (HWND w : windows) {
    CRect screen;
    ::GetWindowRect(w, &screen);
    CRect r = screen;
    ::MapWindowPoints(nullptr, ::GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    int height = scale(r.bottom) - scale(r.top);
    if (IsComboBox(w)) {
      // A combo box is sized with its open list.
      CRect list;
      if (::SendMessageW(w, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list)) &&
          list.bottom > screen.top) {
        height = scale(list.bottom - screen.top);
      }
    }
    ::SetWindowPos(w, nullptr, scale(r.left), scale(r.top), scale(r.right) - scale(r.left), height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsDialogWindow(w)) continue;  // the dialog manager owns a dialog's font
    const HFONT original = templateOf(reinterpret_cast<HFONT>(::SendMessageW(w, WM_GETFONT, 0, 0)));
    if (!original) continue;
    if (HFONT font = fontAt(original)) ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  // The fonts of the last change are shown by nothing now.
  scaledFonts_ = std::move(fonts);
  Invalidate();
}

void CDialog::OnDpiChanged(UINT) {
  if (iconId_ != 0) SetIconsFrom(iconId_);
}

HWND CDialog::OwnerHandle() const {
  if (HWND owner = GetOwner()) return owner;
  if (parent_ && parent_->m_hWnd) return parent_->m_hWnd;
  CWinApp* app = AfxGetApp();
  return app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
}

// The object handles every message first (the window is subclassed), so the
// dialog manager's call of this procedure is only its default handling.
INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  modal_ = true;
  INT_PTR r;
  {
    afx::CreationScope scope(this, WC_DIALOG);
    r = ::DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId_), OwnerHandle(),
                          DialogProc, 0);
  }
  modal_ = false;
  return r;
}

bool CDialog::Create(CWnd* parent) {
  if (m_hWnd) return false;
  if (parent) parent_ = parent;
  modal_ = false;
  HWND wnd;
  {
    afx::CreationScope scope(this, WC_DIALOG);
    wnd = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId_), OwnerHandle(),
                               DialogProc, 0);
  }
  return wnd != nullptr && m_hWnd == wnd;
}

void CDialog::EndDialog(int result) {
  if (!m_hWnd) return;
  if (modal_) {
    ::EndDialog(m_hWnd, result);
  } else {
    DestroyWindow();
  }
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) {
  templateDpi_ = LaidOutDpi();
  // A modal dialog starts centred over its owner; OnInitDialog may move it.
  // A template that asks to be centred on the screen was placed already.
  if (modal_ && !(GetStyle() & (WS_CHILD | DS_CENTER))) CenterWindow();
  return OnInitDialog() ? TRUE : FALSE;
}

bool CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnMessage<&CDialog::OnInitDialogMessage>(WM_INITDIALOG),
      afx::OnMessage<&CDialog::OnDpiChangedMessage>(afx::kWmDpiChanged),
      afx::OnCommand<&CDialog::OnOK>(IDOK),
      afx::OnCommand<&CDialog::OnCancel>(IDCANCEL),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}

LRESULT CDialog::OnException(UINT msg) {
  if (msg != WM_INITDIALOG) return CWnd::OnException(msg);
  if (modal_) {
    ::EndDialog(m_hWnd, -1);
  } else {
    DestroyWindow();
  }
  return FALSE;
}

bool CDialog::PreTranslateMessage(MSG& msg) {
  // Keyboard navigation of a modeless top-level dialog; a modal one has its
  // own loop, and a child page is navigated by the dialog it sits in.
  if (modal_ || !m_hWnd || (GetStyle() & WS_CHILD)) return false;
  return ::IsDialogMessageW(m_hWnd, &msg) != FALSE;
}
