#include "framework/ToolBar.h"

#include <cwchar>

#include "framework/Module.h"

namespace {
// 96-DPI pixels, scaled to the bar's DPI.
constexpr int kGripperWidth = 8;
constexpr int kSeparatorWidth = 6;
constexpr int kButtonMargin = 7;  // a button is its image and this each way
}  // namespace

bool CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD barStyle, const RECT& borders,
                        UINT id) {
  barStyle_ = barStyle & (0xFFFF | CBRS_GRIPPER);
  // Bar styles are ours; the window gets the window styles and the control's.
  DWORD style = (barStyle & 0xFFFF0000UL & ~CBRS_GRIPPER) | WS_CHILD | ctrlStyle | CCS_NODIVIDER |
                CCS_NOPARENTALIGN | CCS_NORESIZE;
  if (barStyle & CBRS_TOOLTIPS) style |= TBSTYLE_TOOLTIPS;
  if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, style, CRect(0, 0, 0, 0),
                      parent ? parent->m_hWnd : nullptr, id)) {
    return false;
  }
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  // Room at the left for the gripper the bar draws itself.
  if (barStyle & CBRS_GRIPPER) SendMessage(TB_SETINDENT, Scale(kGripperWidth));
  return true;
}

void CToolBar::FitToDpi() {
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(Scale(imageSize_.cx), Scale(imageSize_.cy)));
  SendMessage(TB_SETBUTTONSIZE, 0,
              MAKELPARAM(Scale(imageSize_.cx + kButtonMargin), Scale(imageSize_.cy + kButtonMargin)));
}

void CToolBar::FitTipsToDpi(UINT dpi) {
  HWND tips = reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS));
  if (!tips) return;
  if (systemTipFont_.lfHeight == 0) {
    auto own = reinterpret_cast<HFONT>(::SendMessageW(tips, WM_GETFONT, 0, 0));
    if (!own || !::GetObjectW(own, sizeof systemTipFont_, &systemTipFont_)) return;
  }
  CFont made;
  if (afx::CreateSystemFontForDpi(made, systemTipFont_, dpi)) {
    ::SendMessageW(tips, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
    // Kept while the tips may draw with it; the one it replaces goes now.
    tipFont_ = std::move(made);
  }
}

void CToolBar::OnDpiChanged(UINT dpi) {
  if (barStyle_ & CBRS_GRIPPER) SendMessage(TB_SETINDENT, Scale(kGripperWidth));
  FitToDpi();
  FitTipsToDpi(dpi);
  for (int i = 0, n = GetCount(); i < n; ++i) {
    if (GetItemID(i) != 0) continue;
    // A separator's image number is its width.
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_IMAGE;
    info.iImage = Scale(kSeparatorWidth);
    SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
  }
}

bool CToolBar::LoadToolBar(UINT id, HINSTANCE module) {
  if (!m_hWnd) return false;
  if (!module) module = AfxGetResourceHandle();
  HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(RT_TOOLBAR_ID));
  HGLOBAL mem = res ? ::LoadResource(module, res) : nullptr;
  const WORD* data = mem ? static_cast<const WORD*>(::LockResource(mem)) : nullptr;
  DWORD size = res ? ::SizeofResource(module, res) : 0;
  if (!data || size < 8 || data[0] != 1) return false;
  WORD cx = data[1];
  WORD cy = data[2];
  WORD count = data[3];
  if (size < 8u + 2u * count) return false;

  imageSize_ = CSize(cx, cy);
  FitToDpi();
  // The 16-colour images of the same identifier, when the module has them.
  if (bitmap_.LoadBitmap(id, module)) {
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(bitmap_.get())};
    CSize s = bitmap_.GetSize();
    SendMessage(TB_ADDBITMAP, cx ? s.cx / cx : 0, reinterpret_cast<LPARAM>(&add));
  }
  std::vector<TBBUTTON> buttons(count);
  int image = 0;
  for (WORD i = 0; i < count; ++i) {
    TBBUTTON& b = buttons[i];
    b.idCommand = data[4 + i];
    if (b.idCommand == 0) {
      b.fsStyle = BTNS_SEP;
      b.iBitmap = Scale(kSeparatorWidth);
    } else {
      b.fsStyle = BTNS_BUTTON;
      b.fsState = TBSTATE_ENABLED;
      b.iBitmap = image++;
    }
  }
  return SendMessage(TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

UINT CToolBar::GetItemID(int index) const {
  TBBUTTON b{};
  if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b))) {
    return 0;
  }
  return b.fsStyle & BTNS_SEP ? 0 : static_cast<UINT>(b.idCommand);
}

int CToolBar::CalcHeight() const {
  int bottom = HIWORD(SendMessage(TB_GETBUTTONSIZE));
  for (int i = 0, n = GetCount(); i < n; ++i) {
    RECT r;
    if (SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) {
      bottom = bottom > r.bottom ? bottom : r.bottom;
    }
  }
  return bottom + 4;
}

void CToolBar::UpdateButtons(CWnd& target) {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    UINT id = GetItemID(i);
    if (id == 0) continue;
    bool enable = target.HandlesCommand(id);
    bool enabled = SendMessage(TB_ISBUTTONENABLED, id) != 0;
    if (enable != enabled) SendMessage(TB_ENABLEBUTTON, id, MAKELPARAM(enable ? TRUE : FALSE, 0));
  }
}

bool CToolBar::OnGetInfoTip(NMTBGETINFOTIPW& tip) {
  CString full;
  if (!full.LoadString(static_cast<UINT>(tip.iItem)) || !tip.pszText || tip.cchTextMax <= 0) {
    return false;
  }
  // "prompt\ntip": the tip is what follows the line break.
  int nl = full.Find(L'\n');
  CString text = nl >= 0 ? full.Mid(nl + 1) : full;
  std::wcsncpy(tip.pszText, text, static_cast<size_t>(tip.cchTextMax) - 1);
  tip.pszText[tip.cchTextMax - 1] = L'\0';
  // One tool tip window serves every button: its title is set or cleared
  // before it measures the text of the button it is about to show.
  if (HWND tips = reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS))) {
    const auto title = tipTitles_.find(static_cast<UINT>(tip.iItem));
    if (title != tipTitles_.end()) {
      ::SendMessageW(tips, TTM_SETTITLEW, reinterpret_cast<WPARAM>(title->second.icon),
                     reinterpret_cast<LPARAM>(title->second.text.c_str()));
    } else {
      // Windows takes the title away with an empty text; Wine only with
      // none, and keeps room for an empty one.
      ::SendMessageW(tips, TTM_SETTITLEW, TTI_NONE, reinterpret_cast<LPARAM>(L""));
      ::SendMessageW(tips, TTM_SETTITLEW, TTI_NONE, 0);
    }
  }
  return true;
}

void CToolBar::SetTipTitle(UINT command, HICON icon, const std::wstring& title) {
  if (!icon && title.empty()) tipTitles_.erase(command);
  else tipTitles_[command] = {icon, title};
}

void CToolBar::DrawGripper() {
  // Two raised vertical bars, as docked bars show where they can be taken.
  CClientDC dc(m_hWnd);
  CRect client = GetClientRect();
  for (int i = 0; i < 2; ++i) {
    RECT bar{Scale(2 + i * 3), client.top + Scale(3), Scale(5 + i * 3), client.bottom - Scale(3)};
    ::DrawEdge(dc, &bar, BDR_RAISEDINNER, BF_RECT);
  }
}

void CToolBar::OnPaint() {
  DefWindowProc(WM_PAINT, 0, 0);
  if (barStyle_ & CBRS_GRIPPER) DrawGripper();
}

bool CToolBar::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnReflectNotify<TBN_GETINFOTIPW, &CToolBar::OnGetInfoTip>(),
      afx::OnPaint<&CToolBar::OnPaint>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}
