#include "framework/supergridctrl.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Gdi.h"

// ---- GridTreeNode --------------------------------------------------------------

GridTreeNode::GridTreeNode(GridTreeNode* parent, std::unique_ptr<GridRowData> data, int indent)
    : parent_(parent), data_(std::move(data)), indent_(indent) {
  ++live_;
}

GridTreeNode::~GridTreeNode() {
  // A folder chain thousands deep must not exhaust the stack: children are
  // moved out and freed level by level.
  std::vector<std::unique_ptr<GridTreeNode>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<GridTreeNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
  --live_;
}

GridTreeNode* GridTreeNode::AppendChild(std::unique_ptr<GridTreeNode> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  return children_.back().get();
}

std::unique_ptr<GridTreeNode> GridTreeNode::RemoveChild(const GridTreeNode* child) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [child](const auto& c) { return c.get() == child; });
  if (it == children_.end()) return nullptr;
  std::unique_ptr<GridTreeNode> taken = std::move(*it);
  children_.erase(it);
  taken->parent_ = nullptr;
  return taken;
}

// ---- CSuperGridCtrl --------------------------------------------------------------

class CSuperGridCtrl::RedrawSuspension {
 public:
  explicit RedrawSuspension(CSuperGridCtrl& grid) : grid_(grid) {
    if (grid_.redrawSuspended_++ == 0) grid_.SetRedraw(false);
  }
  ~RedrawSuspension() {
    if (--grid_.redrawSuspended_ == 0) grid_.SetRedraw(true);
  }
  RedrawSuspension(const RedrawSuspension&) = delete;
  RedrawSuspension& operator=(const RedrawSuspension&) = delete;

 private:
  CSuperGridCtrl& grid_;
};

bool CSuperGridCtrl::PreCreateWindow(CREATESTRUCTW& cs) {
  cs.style |= static_cast<LONG>(kGridStyle);
  return CListCtrl::PreCreateWindow(cs);
}

bool CSuperGridCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnLButtonDown<&CSuperGridCtrl::OnLButtonDown>(),
      afx::OnReflectDrawItem<&CSuperGridCtrl::OnReflectedDrawItem>(),
      afx::OnReflectNotify<LVN_DELETEALLITEMS, &CSuperGridCtrl::OnDeleteAllItems>(),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) || CListCtrl::OnWndMsg(msg, wp, lp, result);
}

void CSuperGridCtrl::SetExtendedStyle(DWORD styles) {
  CListCtrl::SetExtendedStyle(GetExtendedStyle() | styles);
}

bool CSuperGridCtrl::InsertNodeRow(GridTreeNode* node, int row) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_INDENT;
  item.iItem = row;
  item.pszText = LPSTR_TEXTCALLBACKW;
  item.lParam = reinterpret_cast<LPARAM>(node);
  item.iIndent = node->GetIndent();
  return InsertItem(item) >= 0;
}

bool CSuperGridCtrl::InsertRootRow(std::unique_ptr<GridRowData> data) {
  if (root_) DeleteTree(false);
  root_ = std::make_unique<GridTreeNode>(nullptr, std::move(data), 1);
  if (!InsertNodeRow(root_.get(), 0)) {
    root_.reset();
    return false;
  }
  return true;
}

GridTreeNode* CSuperGridCtrl::InsertChildRow(GridTreeNode* parent, std::unique_ptr<GridRowData> data,
                                             bool refresh) {
  if (!parent) return nullptr;
  // The new child's row goes after the parent's last visible descendant;
  // counted before the child joins them.
  const int parentRow = parent->IsCollapsed() ? -1 : NodeToIndex(parent);
  const int row = parentRow < 0 ? -1 : parentRow + 1 + VisibleDescendants(parent);
  GridTreeNode* child = parent->AppendChild(
      std::make_unique<GridTreeNode>(parent, std::move(data), parent->GetIndent() + 1));
  if (row >= 0) {
    InsertNodeRow(child, row);
  } else if (refresh) {
    ExpandNode(parent, NodeToIndex(parent));
  }
  return child;
}

void CSuperGridCtrl::ExpandNode(GridTreeNode* node, int row) {
  if (!node || !node->IsCollapsed()) return;
  if (NodeAt(row) != node) row = NodeToIndex(node);
  if (row < 0) return;
  MakeChildrenOf(*node);
  LVITEMW item{};
  item.mask = LVIF_INDENT;
  item.iItem = row;
  item.iIndent = node->GetIndent();
  SetItem(item);
  node->SetCollapsed(false);
  RedrawSuspension quiet(*this);
  // The children are collapsed (their parent was), so one row each.
  for (int i = 0; i < node->GetChildCount(); ++i) InsertNodeRow(node->GetChild(i), row + 1 + i);
}

void CSuperGridCtrl::CollapseNode(GridTreeNode* node) {
  if (!node || node->GetChildCount() == 0) return;
  if (!node->IsCollapsed()) {
    const int row = NodeToIndex(node);
    const int rows = VisibleDescendants(node);
    if (row >= 0 && rows > 0) {
      RedrawSuspension quiet(*this);
      if (row + rows == GetItemCount() - 1 && rows > row + 1) {
        // The subtree ends the list and outweighs the rows above it: the
        // list view deletes a row at a time slowly, so empty it and put the
        // rows above back with their selection and focus.
        std::vector<std::pair<GridTreeNode*, UINT>> kept;
        for (int i = 0; i <= row; ++i)
          kept.emplace_back(NodeAt(i), GetItemState(i, LVIS_SELECTED | LVIS_FOCUSED));
        DeleteAllItems();
        for (int i = 0; i <= row; ++i) {
          InsertNodeRow(kept[i].first, i);
          if (kept[i].second) SetItemState(i, kept[i].second, LVIS_SELECTED | LVIS_FOCUSED);
        }
      } else {
        // The subtree's rows follow the node's own; deepest (last) first.
        for (int i = row + rows; i > row; --i) DeleteItem(i);
      }
    }
  }
  // Expanded nodes lie only below expanded nodes.
  std::vector<GridTreeNode*> pending{node};
  while (!pending.empty()) {
    GridTreeNode* n = pending.back();
    pending.pop_back();
    if (n->IsCollapsed()) continue;
    n->SetCollapsed(true);
    for (int i = 0; i < n->GetChildCount(); ++i) pending.push_back(n->GetChild(i));
  }
}

int CSuperGridCtrl::NodeToIndex(const GridTreeNode* node) const {
  if (!root_ || !node) return -1;
  int index = 0;
  std::vector<const GridTreeNode*> pending{root_.get()};
  while (!pending.empty()) {
    const GridTreeNode* n = pending.back();
    pending.pop_back();
    if (n == node) return index;
    ++index;
    if (n->IsCollapsed()) continue;
    for (int i = n->GetChildCount() - 1; i >= 0; --i) pending.push_back(n->GetChild(i));
  }
  return -1;
}

int CSuperGridCtrl::VisibleDescendants(const GridTreeNode* node) const {
  int rows = 0;
  std::vector<const GridTreeNode*> pending{node};
  while (!pending.empty()) {
    const GridTreeNode* n = pending.back();
    pending.pop_back();
    if (n->IsCollapsed()) continue;
    rows += n->GetChildCount();
    for (int i = 0; i < n->GetChildCount(); ++i) pending.push_back(n->GetChild(i));
  }
  return rows;
}

void CSuperGridCtrl::SelectNode(GridTreeNode* node) {
  if (!node || !root_) return;
  constexpr UINT kSelectedFocused = LVIS_SELECTED | LVIS_FOCUSED;
  if (node == root_.get()) {
    SetItemState(0, kSelectedFocused, kSelectedFocused);
    return;
  }
  std::vector<GridTreeNode*> ancestors;
  for (GridTreeNode* a = node->GetParent(); a; a = a->GetParent()) ancestors.push_back(a);
  if (ancestors.empty() || ancestors.back() != root_.get()) return;  // not in this tree
  int row;
  {
    RedrawSuspension quiet(*this);
    CWaitCursor wait;
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
      if ((*it)->IsCollapsed()) ExpandNode(*it, NodeToIndex(*it));
    }
    row = NodeToIndex(node);
    SetItemState(row, kSelectedFocused, kSelectedFocused);
  }
  EnsureVisible(row, false);
}

void CSuperGridCtrl::DeleteTree(bool selectedOnly) {
  if (GetItemCount() == 0) return;
  const int row = selectedOnly ? GetNextItem(-1, LVNI_SELECTED) : 0;
  GridTreeNode* node = NodeAt(row);
  if (!node) return;
  CollapseNode(node);
  DeleteItem(row);
  // No row shows these nodes any more: nothing will use them again.
  if (node == root_.get()) {
    root_.reset();
  } else if (GridTreeNode* parent = node->GetParent()) {
    parent->RemoveChild(node);
  }
}

GridTreeNode* CSuperGridCtrl::NodeAt(int row) const {
  if (row < 0 || !m_hWnd) return nullptr;
  return reinterpret_cast<GridTreeNode*>(GetItemData(row));
}

void CSuperGridCtrl::OnLButtonDown(UINT flags, CPoint point) {
  const int row = HitTest(point);
  GridTreeNode* node = NodeAt(row);
  if (!node || !HasChildren(*node)) {
    DefWindowProc(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));  // the list's own click: selection
    return;
  }
  // A node with children toggles and keeps the selection as it was.
  if (node->IsCollapsed()) {
    ExpandNode(node, row);
  } else {
    CollapseNode(node);
  }
  InvalidateRect(GetItemRect(row, LVIR_BOUNDS), true);
  UpdateWindow();
}

void CSuperGridCtrl::DrawButton(HDC dc, const GridTreeNode& node, const CRect& bounds) const {
  if (!HasChildren(node)) return;
  const int cx = iconWidth_;
  const int cy = iconHeight_;
  const int h = bounds.Height();
  const int x = bounds.left + node.GetIndent() * cx - cx / 2;
  const int y = bounds.top + cx / 2 + (h - cy) / 2;
  const int bw = cx / 2 + 3;
  const int bh = cy / 2 + 3;
  const CRect button(x - bw / 2, y - bh / 2, x - bw / 2 + bw, y - bh / 2 + bh);
  CDC out(dc);
  {
    CPen frame(PS_SOLID, 1, 0xC6C6C6);
    CSelectObject pen(dc, frame);
    CSelectObject brush(dc, ::GetStockObject(WHITE_BRUSH));
    out.Rectangle(button);
  }
  {
    CPen black(PS_SOLID, 1, 0x000000);
    CSelectObject pen(dc, black);
    out.MoveTo(CPoint(x - 2, y));
    out.LineTo(CPoint(x + 3, y));
    if (node.IsCollapsed()) {
      out.MoveTo(CPoint(x, y - 2));
      out.LineTo(CPoint(x, y + 3));
    }
  }
  if (!node.IsCollapsed()) {
    // Down towards the children's buttons.
    CPen grey(PS_SOLID, 1, 0xC0C0C0);
    CSelectObject pen(dc, grey);
    out.MoveTo(CPoint(x + cx, bounds.top + cy + (h - cy) / 2));
    out.LineTo(CPoint(x + cx, bounds.bottom));
  }
}

void CSuperGridCtrl::DrawRow(const DRAWITEMSTRUCT& dis) {
  if (!(dis.itemAction & ODA_DRAWENTIRE)) return;
  const int row = static_cast<int>(dis.itemID);
  wchar_t text[260] = {};
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
  item.iItem = row;
  item.stateMask = static_cast<UINT>(-1);
  item.pszText = text;
  item.cchTextMax = 260;
  if (!GetItem(item)) return;
  const auto* node = reinterpret_cast<const GridTreeNode*>(item.lParam);
  if (!node) return;
  // The list may hand back its own buffer (or none) for the text.
  const wchar_t* label = item.pszText && item.pszText != LPSTR_TEXTCALLBACKW ? item.pszText : L"";

  const bool selected = (item.state & LVIS_SELECTED) != 0;
  const COLORREF back = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  const COLORREF fore = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  const int image = GetIcon(node);
  if (image != -1) item.iImage = image;

  const CRect bounds = GetItemRect(row, LVIR_BOUNDS);
  const int h = bounds.Height();
  const int indent = node->GetIndent();
  HDC dc = dis.hDC;
  CDC out(dc);
  UINT style = ILD_TRANSPARENT;
  if (item.state & LVIS_DROPHILITED) style |= ILD_BLEND50;
  ::ImageList_DrawEx(GetImageList(LVSIL_SMALL), item.iImage, dc, bounds.left + indent * iconWidth_,
                     bounds.top + (h - iconHeight_) / 2, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
  DrawButton(dc, *node, bounds);

  const int column0Right = static_cast<int>(bounds.left) + GetColumnWidth(0);
  const int labelLeft = std::min<int>(bounds.left + iconWidth_ * (indent + 1) + 2, column0Right);
  out.FillSolidRect(CRect(labelLeft, bounds.top, bounds.right, bounds.bottom), back);

  constexpr UINT kFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXTERNALLEADING;
  const COLORREF oldText = out.SetTextColor(fore);
  const int oldMode = out.SetBkMode(TRANSPARENT);
  CRect labelText(labelLeft + 2, bounds.top, column0Right - 3, bounds.bottom);
  out.DrawText(label, -1, labelText, kFlags);

  CRect painting;
  ::GetClipBox(dc, &painting);
  const int columns = GetColumnCount();
  int x = column0Right;
  for (int column = 1; column < columns; ++column) {
    const CRect cell(x, bounds.top, x + GetColumnWidth(column), bounds.bottom);
    x = cell.right;
    CRect overlap;
    if (!::IntersectRect(&overlap, &cell, &painting)) continue;
    UINT align = DT_LEFT;
    switch (GetColumnFormat(column) & LVCFMT_JUSTIFYMASK) {
      case LVCFMT_RIGHT: align = DT_RIGHT; break;
      case LVCFMT_CENTER: align = DT_CENTER; break;
      default: break;
    }
    const CString cellText = GetItemText(row, column);
    CRect inside(cell.left + 3, cell.top, cell.right - 3, cell.bottom);
    out.DrawText(cellText, -1, inside, kFlags | align);
  }
  out.SetBkMode(oldMode);
  out.SetTextColor(oldText);
}
