#include "app/GfxOutBarCtrl.h"

#include <algorithm>
#include <utility>

#include "app/Messages.h"

namespace {

constexpr COLORREF kItemAreaColour = RGB(0, 50, 55);
constexpr int kSmallLabelGap = 4;   // icon to caption, small-icon view
constexpr int kLargeLabelGap = 0;   // icon to caption, large-icon view
constexpr int kLargeLabelExtra = 3; // added to a large item's height
constexpr int kCaptionInset = 4;    // each side of a wrapped caption
constexpr UINT_PTR kArrowTimer = 2;
constexpr wchar_t kItemSound[] = L"WAV\\start.wav";
constexpr wchar_t kArrowSound[] = L"WAV\\Windows XP.wav";

}  // namespace

CGfxOutBarCtrl::CGfxOutBarCtrl(SystemActions& system) : system_(system) {}

bool CGfxOutBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD options) {
  options_ = options;
  return CreateEx(WS_EX_STATICEDGE, nullptr, nullptr, style | WS_CHILD, rect,
                  parent ? parent->m_hWnd : nullptr, id);
}

void CGfxOutBarCtrl::ModifyStyleFlags(DWORD remove, DWORD add, UINT swpFlags) {
  options_ = (options_ & ~remove) | add;
  if (!m_hWnd) return;
  if (swpFlags) {
    SetWindowPos(nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  } else {
    Invalidate();
  }
}

HIMAGELIST CGfxOutBarCtrl::AttachImageList(HIMAGELIST list, int kind) {
  HIMAGELIST* slot = kind == kSmallIcons ? &smallList_ : kind == kLargeIcons ? &largeList_ : nullptr;
  if (!slot) return nullptr;
  return std::exchange(*slot, list);
}

int CGfxOutBarCtrl::AppendFolder(const wchar_t* name, DWORD data) {
  Folder folder;
  if (name) folder.name = name;
  folder.data = data;
  folders_.push_back(std::move(folder));
  return GetFolderCount() - 1;
}

void CGfxOutBarCtrl::AddItem(int folder, int index, const wchar_t* caption, int image, DWORD data) {
  if (folder < 0 || folder >= GetFolderCount()) return;
  std::vector<Item>& items = folders_[static_cast<size_t>(folder)].items;
  Item item{image, caption ? caption : L"", data};
  if (index < 0 || index >= static_cast<int>(items.size())) {
    items.push_back(std::move(item));
  } else {
    items.insert(items.begin() + index, std::move(item));
  }
}

void CGfxOutBarCtrl::SelectItem(int index) {
  if (!(options_ & fSelHighlight)) return;
  if (index == selected_ || index < -1 || index >= GetItemCount()) return;
  selected_ = index;
  if (m_hWnd) Invalidate();
}

int CGfxOutBarCtrl::GetItemCount() const {
  if (shownFolder_ < 0 || shownFolder_ >= GetFolderCount()) return 0;
  return static_cast<int>(folders_[static_cast<size_t>(shownFolder_)].items.size());
}

const CGfxOutBarCtrl::Item* CGfxOutBarCtrl::FindItem(int index) const {
  if (index < 0 || index >= GetItemCount()) return nullptr;
  return &folders_[static_cast<size_t>(shownFolder_)].items[static_cast<size_t>(index)];
}

std::wstring CGfxOutBarCtrl::GetItemText(int index) const {
  const Item* item = FindItem(index);
  return item ? item->caption : std::wstring();
}

void CGfxOutBarCtrl::SetItemText(int index, const wchar_t* caption) {
  if (Item* item = ItemToChange(index)) item->caption = caption ? caption : L"";
}

void CGfxOutBarCtrl::SetItemImage(int index, int image) {
  if (Item* item = ItemToChange(index)) item->image = image;
}

CGfxOutBarCtrl::Item* CGfxOutBarCtrl::ItemToChange(int index) {
  if (FindItem(index) == nullptr) return nullptr;
  if (m_hWnd) Invalidate(false);
  return &folders_[static_cast<size_t>(shownFolder_)].items[static_cast<size_t>(index)];
}

int CGfxOutBarCtrl::GetItemImage(int index) const {
  const Item* item = FindItem(index);
  return item ? item->image : -1;
}

layout::OutBarMetrics CGfxOutBarCtrl::Metrics() const {
  return layout::OutBarMetricsForDpi(static_cast<int>(GetDpi()));
}

CRect CGfxOutBarCtrl::ItemAreaRect() const {
  return CRect(
      layout::ItemAreaRect(GetClientRect().ToGeom(), GetFolderCount(), shownFolder_, Metrics()));
}

CRect CGfxOutBarCtrl::ItemRect(int index) const {
  if (index < 0 || index >= GetItemCount()) return CRect();
  return CRect(layout::ItemBounds(ItemAreaRect().ToGeom(), MeasureItems(), index, firstVisible_,
                                  !IsSmallIconView(), Metrics()));
}

HIMAGELIST CGfxOutBarCtrl::ImageList() const {
  const bool small = IsSmallIconView();
  if (shownFolder_ >= 0 && shownFolder_ < GetFolderCount()) {
    const Folder& f = folders_[static_cast<size_t>(shownFolder_)];
    if (HIMAGELIST own = small ? f.smallList : f.largeList) return own;
  }
  return small ? smallList_ : largeList_;
}

std::vector<geom::Size> CGfxOutBarCtrl::MeasureItems() const {
  std::vector<geom::Size> sizes;
  if (GetItemCount() == 0) return sizes;
  const std::vector<Item>& items = folders_[static_cast<size_t>(shownFolder_)].items;
  const bool small = IsSmallIconView();
  const int wrapWidth = std::max(ItemAreaRect().Width() - 2 * Scale(kCaptionInset), 0);
  HIMAGELIST list = ImageList();
  int iconCx = 0;
  int iconCy = 0;
  if (list) ImageList_GetIconSize(list, &iconCx, &iconCy);

  CMemoryDC dc(nullptr);
  CSelectObject font(dc, font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(SYSTEM_FONT));
  sizes.reserve(items.size());
  for (const Item& item : items) {
    const geom::Size icon = item.image >= 0 && list ? geom::Size{iconCx, iconCy} : geom::Size{};
    geom::Size text;
    if (small) {
      text = dc.GetTextExtent(item.caption.c_str(), static_cast<int>(item.caption.size())).ToGeom();
      sizes.push_back({icon.cx + text.cx + Scale(kSmallLabelGap), std::max(icon.cy, text.cy)});
    } else {
      CRect r(0, 0, wrapWidth, 0);
      dc.DrawText(item.caption.c_str(), static_cast<int>(item.caption.size()), r,
                  DT_CALCRECT | DT_CENTER | DT_WORDBREAK);
      sizes.push_back({std::max(icon.cx, r.Width()),
                       icon.cy + r.Height() + Scale(kLargeLabelGap) + Scale(kLargeLabelExtra)});
    }
  }
  return sizes;
}

layout::OutBarHitState CGfxOutBarCtrl::HitState() const {
  layout::OutBarHitState s;
  s.itemArea = ItemAreaRect().ToGeom();
  s.itemSizes = MeasureItems();
  s.firstVisible = firstVisible_;
  s.largeIcons = !IsSmallIconView();
  s.upArrowShown = upArrowShown_;
  s.downArrowShown = downArrowShown_;
  s.upArrow = upArrow_.ToGeom();
  s.downArrow = downArrow_.ToGeom();
  return s;
}

bool CGfxOutBarCtrl::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCreate<&CGfxOutBarCtrl::OnCreate>(),
      afx::OnPaint<&CGfxOutBarCtrl::OnPaint>(),
      afx::OnPrintClient<&CGfxOutBarCtrl::OnPrintClient>(),
      afx::OnSize<&CGfxOutBarCtrl::OnSize>(),
      afx::OnLButtonDown<&CGfxOutBarCtrl::OnLButtonDown>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}

int CGfxOutBarCtrl::OnCreate(CREATESTRUCTW&) {
  MakeFont(GetDpi());
  return 0;
}

void CGfxOutBarCtrl::OnDpiChanged(UINT dpi) {
  MakeFont(dpi);
  upArrowShown_ = downArrowShown_ = false;
  Invalidate();
}

void CGfxOutBarCtrl::MakeFont(UINT dpi) {
  // The bar's own font; one set from outside (WM_SETFONT) is not used.
  LOGFONTW lf{};
  lf.lfHeight = 19;
  lf.lfWeight = 570;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
  lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  wcscpy(lf.lfFaceName, L"MS Sans Serif");
  afx::CreateFontForDpi(font_, lf, dpi);
}

void CGfxOutBarCtrl::OnPaint() {
  CPaintDC paint(m_hWnd);
  COffscreenDC dc(paint, GetClientRect());
  Draw(dc);
}

void CGfxOutBarCtrl::OnPrintClient(HDC target, UINT) {
  COffscreenDC dc(target, GetClientRect());
  Draw(dc);
}

void CGfxOutBarCtrl::Draw(CDC& dc) {
  const CRect client = GetClientRect();
  const CRect area = ItemAreaRect();
  // The folder band shows no headers: the view's face colour there.
  dc.FillSolidRect(client, ::GetSysColor(COLOR_BTNFACE));
  dc.FillSolidRect(area, kItemAreaColour);

  if (GetItemCount() > 0) {
    const std::vector<Item>& items = folders_[static_cast<size_t>(shownFolder_)].items;
    const std::vector<geom::Size> sizes = MeasureItems();
    const bool large = !IsSmallIconView();
    const layout::OutBarMetrics metrics = Metrics();
    const int saved = ::SaveDC(dc);
    dc.IntersectClipRect(area);
    for (int i = std::max(firstVisible_, 0); i < GetItemCount(); ++i) {
      const CRect r(layout::ItemBounds(area.ToGeom(), sizes, i, firstVisible_, large, metrics));
      if (layout::IsPastItemArea(r.ToGeom(), area.ToGeom())) break;
      DrawItem(dc, items[static_cast<size_t>(i)], r, i == selected_);
    }
    ::RestoreDC(dc, saved);
  }
  DrawArrows(dc);
}

void CGfxOutBarCtrl::DrawItem(CDC& dc, const Item& item, const CRect& bounds, bool selected) const {
  CSelectObject font(dc, font_);
  const COLORREF oldColour = dc.SetTextColor(::GetSysColor(COLOR_WINDOW));
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  HIMAGELIST list = ImageList();
  int iconCx = 0;
  int iconCy = 0;
  if (list) ImageList_GetIconSize(list, &iconCx, &iconCy);
  const int caption = static_cast<int>(item.caption.size());

  if (IsSmallIconView()) {
    dc.TextOut(bounds.left + iconCx + Scale(kSmallLabelGap), bounds.top, item.caption.c_str(), caption);
  } else {
    if ((options_ & fSelHighlight) && selected) {
      CRect frame = bounds;
      frame.InflateRect(1, 1);
      dc.FillSolidRect(frame, highlightColour_);
      dc.Draw3dRect(frame, ::GetSysColor(COLOR_3DDKSHADOW), ::GetSysColor(COLOR_BTNFACE));
    }
    const int saved = ::SaveDC(dc);
    dc.IntersectClipRect(bounds);
    CRect r = bounds;
    if (list && item.image >= 0) {
      ImageList_Draw(list, item.image, dc, r.left + (r.Width() - iconCx) / 2, r.top, ILD_NORMAL);
      r.top += iconCy + Scale(kLargeLabelGap);
    }
    dc.DrawText(item.caption.c_str(), caption, r, DT_CENTER | DT_WORDBREAK);
    ::RestoreDC(dc, saved);
  }
  dc.SetBkMode(oldMode);
  dc.SetTextColor(oldColour);
}

void CGfxOutBarCtrl::DrawArrows(CDC& dc) {
  const int dpi = static_cast<int>(GetDpi());
  upArrow_ = CRect(geom::Scale(layout::kUpArrowRect, dpi));
  downArrow_ = CRect(geom::Scale(layout::kDownArrowRect, dpi));
  ::DrawFrameControl(dc, upArrow_, DFC_SCROLL, DFCS_SCROLLUP);
  ::DrawFrameControl(dc, downArrow_, DFC_SCROLL, DFCS_SCROLLDOWN);
  upArrowShown_ = downArrowShown_ = true;
}

void CGfxOutBarCtrl::OnSize(UINT type, int cx, int cy) {
  upArrowShown_ = downArrowShown_ = false;
  DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
}

void CGfxOutBarCtrl::OnLButtonDown(UINT, CPoint point) {
  if (::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
  const layout::OutBarHit hit = layout::HitTestPoint(HitState(), point.ToGeom(), Metrics());
  if (hit.code == layout::kHitNothing || ::GetCapture()) return;
  if (hit.code == layout::kHitItem) {
    OnItemPressed(hit.index);
  } else {
    OnArrowPressed(hit.code == layout::kHitUpArrow);
  }
}

bool CGfxOutBarCtrl::TrackButton(CPoint& release) {
  ::SetCapture(m_hWnd);
  MSG msg;
  while (m_hWnd && ::GetCapture() == m_hWnd) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      return false;
    }
    if (got < 0) return false;
    if (msg.message == WM_LBUTTONUP && msg.hwnd == m_hWnd) {
      release = afx::detail::PointOf(msg.lParam);
      return true;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return false;
}

void CGfxOutBarCtrl::OnItemPressed(int item) {
  CPoint release;
  if (TrackButton(release)) {
    const layout::OutBarHit hit = layout::HitTestPoint(HitState(), release.ToGeom(), Metrics());
    if (hit.code == layout::kHitItem && hit.index == item) {
      if (options_ & fSelHighlight) {
        if (selected_ >= 0) {
          CRect old = ItemRect(selected_);
          old.InflateRect(2, 2);
          InvalidateRect(old);
        }
        selected_ = item;
        CRect now = ItemRect(item);
        now.InflateRect(2, 2);
        InvalidateRect(now);
      }
      ::SendMessageW(GetOwner(), WM_BARCLICK, static_cast<WPARAM>(layout::SlotCodeForItem(item)),
                     item);
    }
    system_.PlaySoundFile(kItemSound);
  }
  // The owner may have ended the window meanwhile.
  if (!m_hWnd) return;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  Invalidate();
}

void CGfxOutBarCtrl::OnArrowPressed(bool up) {
  CRect arrow = up ? upArrow_ : downArrow_;
  const UINT kind = up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
  {
    CClientDC dc(m_hWnd);
    ::DrawFrameControl(dc, arrow, DFC_SCROLL, kind | DFCS_PUSHED);
  }
  SetTimer(kArrowTimer, 300);
  CPoint release;
  if (TrackButton(release)) {
    {
      CClientDC dc(m_hWnd);
      ::DrawFrameControl(dc, arrow, DFC_SCROLL, kind);
    }
    if (arrow.PtInRect(release)) {
      const CRect area = ItemAreaRect();
      if (up && firstVisible_ > 0) {
        --firstVisible_;
        InvalidateRect(area);
      } else if (!up && GetItemCount() > 0 && ItemRect(GetItemCount() - 1).bottom > area.bottom) {
        ++firstVisible_;
        InvalidateRect(area);
      }
    }
    system_.PlaySoundFile(kArrowSound);
  }
  if (!m_hWnd) return;
  KillTimer(kArrowTimer);
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  (up ? upArrowShown_ : downArrowShown_) = false;
  InvalidateRect(ItemAreaRect());
}
