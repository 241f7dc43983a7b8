// CSuperGridCtrl: a tree shown in a multi-column report list. Each list row
// is one tree node, drawn indented by its depth with a plus/minus button when
// the node has children, then the cells of the other columns. The tree lives
// in the control as GridTreeNode objects; only nodes whose ancestors are all
// expanded have rows, and they appear in depth-first order.
//
// The rows carry their node as item data and LPSTR_TEXTCALLBACKW as text, so
// the list asks for every cell through LVN_GETDISPINFOW; a derived class
// answers it (a reflected route) and may choose each row's icon (GetIcon).
// What a row shows is the derived class's own record, which the grid keeps
// with the node without looking inside: CTreeGrid<Info> gives every node an
// Info and reads it back typed.
// Rows are owner-drawn: the parent must be one of our windows so that the
// drawing and text requests are reflected to the control.
//
// Invariant: a node is expanded only while it has a row, and a row exists
// for the root and for every child of an expanded node. Collapsing a node
// collapses its whole subtree, so expanding it again shows its children only.
//
// Nodes may be made on demand: a derived class whose rows mirror a model it
// can read at any time need not make a node per model item up front. It
// says which nodes still stand for children they have not made
// (HasUnmadeChildren) and makes them when asked (MakeChildren); the grid
// asks before it first shows a node's children, and draws and toggles such
// a node's button as if they were there. Rows, order and selection are then
// those of the whole tree made at once.
//
// User-interface thread only. Nodes are freed when their rows are deleted
// (DeleteTree) or with the control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/ListCtrl.h"

// A node's record, as the class that fills the grid defines it; the grid
// owns it and frees it with the node.
class GridRowData {
 public:
  virtual ~GridRowData() = default;
};

class GridTreeNode {
 public:
  GridTreeNode(GridTreeNode* parent, std::unique_ptr<GridRowData> data, int indent);
  // Frees the subtree without recursing once per level.
  ~GridTreeNode();
  GridTreeNode(const GridTreeNode&) = delete;
  GridTreeNode& operator=(const GridTreeNode&) = delete;

  int GetChildCount() const { return static_cast<int>(children_.size()); }
  GridTreeNode* GetChild(int index) const { return children_[static_cast<std::size_t>(index)].get(); }
  GridTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  GridTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
  // Appends (children keep their insertion order) and returns the child.
  GridTreeNode* AppendChild(std::unique_ptr<GridTreeNode> child);
  // Takes `child` out of this node's children; null when it is not one.
  std::unique_ptr<GridTreeNode> RemoveChild(const GridTreeNode* child);

  GridTreeNode* GetParent() const { return parent_; }
  // Depth: 1 for the root, the parent's plus one below it.
  int GetIndent() const { return indent_; }
  // The record, or null when the node was made without one.
  GridRowData* GetData() const { return data_.get(); }
  // True while the children have no rows (a new node starts so).
  bool IsCollapsed() const { return hideChildren_; }
  void SetCollapsed(bool collapsed) { hideChildren_ = collapsed; }

  // Nodes alive in the process, for leak tests.
  static int LiveCount() { return live_; }

 private:
  std::vector<std::unique_ptr<GridTreeNode>> children_;
  GridTreeNode* parent_;
  std::unique_ptr<GridRowData> data_;
  bool hideChildren_ = true;
  int indent_;
  static inline int live_ = 0;
};

class CSuperGridCtrl : public CListCtrl {
 public:
  // Report view, single selection always shown, shared (not owned) image
  // lists, owner-drawn fixed rows: added to any style it is created with.
  static constexpr DWORD kGridStyle =
      LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_OWNERDRAWFIXED;

  CSuperGridCtrl() = default;

  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // The node has children, made or still to be made.
  bool HasChildren(const GridTreeNode& node) const {
    return node.GetChildCount() > 0 || HasUnmadeChildren(node);
  }
  // Makes the node's children now if they are still to be made.
  void MakeChildrenOf(GridTreeNode& node) {
    if (node.GetChildCount() == 0 && HasUnmadeChildren(node)) MakeChildren(node);
  }

  // Adds `styles` to the list's extended styles (unlike CListCtrl's, which
  // replaces them all).
  void SetExtendedStyle(DWORD styles);

  // Makes a new root (indent 1) with the record `data` (may be null) and
  // its row 0. A tree already there is deleted first. False when the row
  // cannot be added (no window); there is no root then.
  bool InsertRootRow(std::unique_ptr<GridRowData> data);
  GridTreeNode* GetRootNode() const { return root_.get(); }
  // Appends a child to `parent`. It gets a row at once when the parent is
  // expanded; under a collapsed parent `refresh` expands the parent (when it
  // has a row) so that the new child shows with its siblings; otherwise the
  // child waits, rowless, for the parent to be expanded. Null without a parent.
  GridTreeNode* InsertChildRow(GridTreeNode* parent, std::unique_ptr<GridRowData> data,
                               bool refresh = false);
  // Gives each child of `node`, in order, a row right below `row` (the
  // node's own row). Does nothing when the node is already expanded or has
  // no row.
  void ExpandNode(GridTreeNode* node, int row);
  // Removes the rows of all the node's visible descendants and marks it and
  // its whole subtree collapsed.
  void CollapseNode(GridTreeNode* node);
  // The node's row: a depth-first walk from the root over expanded nodes;
  // -1 when the node has no row.
  int NodeToIndex(const GridTreeNode* node) const;
  // Expands every ancestor of `node`, selects and focuses its row and
  // scrolls it into view.
  void SelectNode(GridTreeNode* node);
  // Deletes row 0 (the whole tree), or with `selectedOnly` the selected row
  // and its subtree, and frees the nodes of the rows deleted.
  void DeleteTree(bool selectedOnly = false);
  // The node behind a list row, or null.
  GridTreeNode* NodeAt(int row) const;

  // The image of a node's row, or -1 for the row's own; 0 here.
  using CWnd::GetIcon;
  virtual int GetIcon(const GridTreeNode* node) const { return 0; }

  int IconWidth() const { return iconWidth_; }
  int IconHeight() const { return iconHeight_; }

 protected:
  // The icon size the row geometry is made of (a derived class reads it
  // from its image list).
  void SetIconSize(int cx, int cy) {
    iconWidth_ = cx;
    iconHeight_ = cy;
  }
  // Draws one whole row: icon, button, column 0's label and the cells.
  virtual void DrawRow(const DRAWITEMSTRUCT& dis);
  // Rows made on demand (see the top): whether a node without children
  // stands for some, and making them (InsertChildRow on the node, which is
  // collapsed then, so no row is touched).
  virtual bool HasUnmadeChildren(const GridTreeNode&) const { return false; }
  virtual void MakeChildren(GridTreeNode&) {}

 private:
  // Suspends the list's redrawing while it lives (nests).
  class RedrawSuspension;

  void OnLButtonDown(UINT flags, CPoint point);
  void OnReflectedDrawItem(DRAWITEMSTRUCT& dis) { DrawRow(dis); }
  // Rows own nothing (the nodes are the tree's): no LVN_DELETEITEM per row
  // when the list is emptied, which keeps closing a large folder quick.
  LRESULT OnDeleteAllItems(NMLISTVIEW&) { return TRUE; }
  void DrawButton(HDC dc, const GridTreeNode& node, const CRect& bounds) const;
  bool InsertNodeRow(GridTreeNode* node, int row);
  // Rows below the node's own that belong to its subtree.
  int VisibleDescendants(const GridTreeNode* node) const;

  std::unique_ptr<GridTreeNode> root_;
  int iconWidth_ = 0;
  int iconHeight_ = 0;
  int redrawSuspended_ = 0;
};

// A super grid whose every node carries an `Info` (an empty one when none is
// given): the record type is fixed where rows are made and where they are
// read, so a class filling the grid never casts.
template <class Info>
class CTreeGrid : public CSuperGridCtrl {
 public:
  bool InsertRootRow(std::unique_ptr<Info> info = nullptr) {
    return CSuperGridCtrl::InsertRootRow(Record(std::move(info)));
  }
  GridTreeNode* InsertChildRow(GridTreeNode* parent, std::unique_ptr<Info> info = nullptr,
                               bool refresh = false) {
    return CSuperGridCtrl::InsertChildRow(parent, Record(std::move(info)), refresh);
  }

  // The record of a node; null without a node, or for a node whose record
  // is not an Info (one of another kind of grid).
  static Info* InfoOf(const GridTreeNode* node) {
    auto* row = node ? dynamic_cast<Row*>(node->GetData()) : nullptr;
    return row ? row->info.get() : nullptr;
  }

 private:
  struct Row final : GridRowData {
    std::unique_ptr<Info> info;
  };
  static std::unique_ptr<GridRowData> Record(std::unique_ptr<Info> info) {
    auto row = std::make_unique<Row>();
    row->info = info ? std::move(info) : std::make_unique<Info>();
    return row;
  }
};
