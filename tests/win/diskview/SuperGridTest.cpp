// The super grid by its messages: which nodes have rows as the tree grows,
// expands, collapses and is deleted; clicks; and how a row is drawn.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/ImageList.h"
#include "framework/supergridctrl.h"
#include "platform/TextWin.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace diskview::test {
namespace {

// A row's record in the grids below; counts the records alive.
struct Named {
  Named() { ++live; }
  ~Named() { --live; }
  Named(const Named&) = delete;
  Named& operator=(const Named&) = delete;
  std::string text;
  static inline int live = 0;
};

// A grid whose rows are named by their records' text; other columns say
// "c<column>".
class NamedGrid : public CTreeGrid<Named> {
 public:
  using CSuperGridCtrl::SetIconSize;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnReflectNotify<LVN_GETDISPINFOW, &NamedGrid::OnGetDispInfo>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
           CSuperGridCtrl::OnWndMsg(msg, wp, lp, result);
  }

 private:
  LRESULT OnGetDispInfo(NMLVDISPINFOW& d) {
    if (!(d.item.mask & LVIF_TEXT)) return 0;
    const auto* node = reinterpret_cast<const GridTreeNode*>(d.item.lParam);
    std::wstring text = d.item.iSubItem == 0 ? platform::Widen(InfoOf(node)->text)
                                             : L"c" + std::to_wstring(d.item.iSubItem);
    lstrcpynW(d.item.pszText, text.c_str(), d.item.cchTextMax);
    return 0;
  }
};

// A click on a row's label, handled.
void ClickRow(CSuperGridCtrl& grid, int row) {
  const CRect bounds = grid.GetItemRect(row, LVIR_BOUNDS);
  const LPARAM at = MAKELPARAM(bounds.left + 120, (bounds.top + bounds.bottom) / 2);
  grid.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  grid.PostMessage(WM_LBUTTONUP, 0, at);
  flush_events(30);
}

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Make(700, 500));
    ASSERT_TRUE(grid.Create(WS_VISIBLE, CRect(0, 0, 600, 400), &parent, 7));
    grid.InsertColumn(0, L"名称", LVCFMT_LEFT, 200);
    grid.InsertColumn(1, L"右", LVCFMT_RIGHT, 100);
    grid.InsertColumn(2, L"中", LVCFMT_CENTER, 100);
  }
  GridTreeNode* Root(const char* name = "r") {
    auto info = std::make_unique<Named>();
    info->text = name;
    EXPECT_TRUE(grid.InsertRootRow(std::move(info)));
    return grid.GetRootNode();
  }
  GridTreeNode* Add(GridTreeNode* parentNode, const std::string& name, bool refresh = false) {
    auto info = std::make_unique<Named>();
    info->text = name;
    return grid.InsertChildRow(parentNode, std::move(info), refresh);
  }
  // The rows top to bottom, by their nodes' names.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < grid.GetItemCount(); ++i) rows.push_back(NamedGrid::InfoOf(grid.NodeAt(i))->text);
    return rows;
  }
  void Expand(GridTreeNode* node) { grid.ExpandNode(node, grid.NodeToIndex(node)); }
  using Names = std::vector<std::string>;

  afx::Window<TestParent> parent;
  afx::Window<NamedGrid> grid;
};

TEST_F(GridTest, StylesAddedToWhatItIsCreatedWith) {
  EXPECT_EQ(grid.GetStyle() & 0x44D, 0x44Du);
  grid.SetExtendedStyle(LVS_EX_GRIDLINES);
  grid.SetExtendedStyle(LVS_EX_INFOTIP);
  EXPECT_EQ(grid.GetExtendedStyle() & (LVS_EX_GRIDLINES | LVS_EX_INFOTIP),
            static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_INFOTIP));
  GridTreeNode* r = Root();
  EXPECT_EQ(r->GetIndent(), 1);
  EXPECT_TRUE(r->IsCollapsed()) << "a new node starts collapsed";
  EXPECT_EQ(grid.GetItemText(0, 0), L"r") << "the row's text is asked for";
  EXPECT_EQ(grid.GetItemText(0, 2), L"c2");
  EXPECT_EQ(grid.InsertChildRow(nullptr), nullptr);
  EXPECT_NE(NamedGrid::InfoOf(grid.InsertChildRow(r)), nullptr) << "an empty record when none is given";
}

// A grid of another record type, to hand the named grid nodes it did not make.
struct Sized {
  long long bytes = 0;
};
class SizedGrid : public CTreeGrid<Sized> {};

TEST_F(GridTest, ARecordIsReadOnlyAsTheTypeItWasMadeWith) {
  GridTreeNode* r = Root("named");
  EXPECT_EQ(NamedGrid::InfoOf(r)->text, "named");
  EXPECT_EQ(SizedGrid::InfoOf(r), nullptr) << "a named record is not read as a size";
  EXPECT_EQ(NamedGrid::InfoOf(nullptr), nullptr);

  afx::Window<SizedGrid> sized;
  ASSERT_TRUE(sized.Create(0, CRect(0, 0, 10, 10), &parent, 8));
  auto size = std::make_unique<Sized>();
  size->bytes = 42;
  ASSERT_TRUE(sized.InsertRootRow(std::move(size)));
  EXPECT_EQ(SizedGrid::InfoOf(sized.GetRootNode())->bytes, 42);
  EXPECT_EQ(NamedGrid::InfoOf(sized.GetRootNode()), nullptr);

  // Through the untyped grid a node may carry no record at all.
  CSuperGridCtrl& untyped = sized;
  GridTreeNode* bare = untyped.InsertChildRow(sized.GetRootNode(), nullptr);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->GetData(), nullptr);
  EXPECT_EQ(SizedGrid::InfoOf(bare), nullptr);
}

TEST_F(GridTest, RecordsGoWithTheirNodes) {
  const int before = Named::live;
  GridTreeNode* r = Root();
  Expand(r);
  GridTreeNode* a = Add(r, "a");
  Add(a, "a1");
  Add(r, "b");
  EXPECT_EQ(Named::live, before + 4);
  grid.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);  // "a" and, unshown, "a1"
  grid.DeleteTree(true);
  EXPECT_EQ(Named::live, before + 2) << "a deleted subtree frees its records";
  Root("again");
  EXPECT_EQ(Named::live, before + 1) << "a new root frees the old tree's records";
  {
    afx::Window<NamedGrid> local;
    ASSERT_TRUE(local.Create(0, CRect(0, 0, 10, 10), &parent, 8));
    ASSERT_TRUE(local.InsertRootRow());
    local.InsertChildRow(local.GetRootNode());
  }
  EXPECT_EQ(Named::live, before + 1) << "a grid frees its records when it goes";
}

TEST_F(GridTest, ChildrenOfACollapsedParentWaitForItToExpand) {
  GridTreeNode* r = Root();
  Expand(r);
  GridTreeNode* a = Add(r, "a");
  Add(r, "b");
  EXPECT_EQ(Rows(), (Names{"r", "a", "b"})) << "an expanded parent shows new children at once";
  Add(a, "a1");
  Add(a, "a2");
  Add(a, "a3");
  EXPECT_EQ(Rows(), (Names{"r", "a", "b"})) << "a collapsed one does not";
  EXPECT_EQ(a->GetChild(1)->GetIndent(), 3);
  Expand(a);
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "a2", "a3", "b"}));
  // Added under an expanded parent with visible descendants: after the last.
  GridTreeNode* a1 = a->GetChild(0);
  Add(a1, "a1x");
  Expand(a1);
  Add(a, "a4");
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "a1x", "a2", "a3", "a4", "b"}));
  // Expanding twice adds nothing twice.
  Expand(a);
  EXPECT_EQ(grid.GetItemCount(), 8);
  // With the refresh flag a collapsed parent with a row opens to show it.
  GridTreeNode* b = r->GetChild(1);
  Add(b, "b1");
  Add(b, "b2", true);
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "a1x", "a2", "a3", "a4", "b", "b1", "b2"}));
  // Under a parent without a row it waits all the same.
  GridTreeNode* hidden = Add(a1->GetChild(0), "deep");
  Add(hidden, "deeper", true);
  EXPECT_EQ(grid.GetItemCount(), 10);
}

TEST_F(GridTest, CollapsingHidesTheWholeSubtreeAndExpandingShowsOnlyTheChildren) {
  GridTreeNode* r = Root();
  Expand(r);
  GridTreeNode* a = Add(r, "a");
  Add(r, "b");
  GridTreeNode* a1 = Add(a, "a1");
  Add(a, "a2");
  GridTreeNode* a1x = Add(a1, "a1x");
  Add(a1x, "a1xy");
  Expand(a);
  Expand(a1);
  Expand(a1x);
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "a1x", "a1xy", "a2", "b"}));
  grid.CollapseNode(a);
  EXPECT_EQ(Rows(), (Names{"r", "a", "b"}));
  EXPECT_TRUE(a->IsCollapsed());
  EXPECT_TRUE(a1->IsCollapsed());
  EXPECT_TRUE(a1x->IsCollapsed());
  Expand(a);
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "a2", "b"}));
  // A node without children has nothing to collapse.
  grid.CollapseNode(r->GetChild(1));
  EXPECT_EQ(grid.GetItemCount(), 5);
}

// Closing a subtree that ends the list empties the list and puts the rows
// above back: they must come back in order, with their selection and focus.
TEST_F(GridTest, ClosingTheLastSubtreeKeepsTheRowsAboveWithTheirSelection) {
  GridTreeNode* r = Root();
  Expand(r);
  Add(r, "a");
  GridTreeNode* b = Add(r, "b");
  for (const char* name : {"b1", "b2", "b3", "b4"}) Add(b, name);
  Expand(b);
  ASSERT_EQ(Rows(), (Names{"r", "a", "b", "b1", "b2", "b3", "b4"}));
  grid.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  grid.CollapseNode(b);
  EXPECT_EQ(Rows(), (Names{"r", "a", "b"}));
  EXPECT_EQ(grid.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED), UINT{LVIS_SELECTED | LVIS_FOCUSED});
  EXPECT_EQ(grid.GetItemState(0, LVIS_SELECTED), 0u);
  EXPECT_EQ(grid.NodeToIndex(b), 2);
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 1);

  grid.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  grid.CollapseNode(r);
  EXPECT_EQ(Rows(), (Names{"r"}));
  EXPECT_EQ(grid.GetItemState(0, LVIS_SELECTED | LVIS_FOCUSED), UINT{LVIS_SELECTED | LVIS_FOCUSED});
  EXPECT_TRUE(b->IsCollapsed());
  Expand(r);
  EXPECT_EQ(Rows(), (Names{"r", "a", "b"}));
}

TEST_F(GridTest, SelectingANodeThreeLevelsDownExpandsTheAncestorsBelowTheRoot) {
  GridTreeNode* r = Root();
  Expand(r);
  GridTreeNode* a = Add(r, "a");
  Add(r, "b");
  GridTreeNode* a1 = Add(a, "a1");
  Add(a, "a2");
  GridTreeNode* a1x = Add(a1, "a1x");
  ASSERT_EQ(Rows(), (Names{"r", "a", "b"}));
  grid.SelectNode(a1x);
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "a1x", "a2", "b"}));
  EXPECT_FALSE(a->IsCollapsed());
  EXPECT_FALSE(a1->IsCollapsed());
  EXPECT_TRUE(a1x->IsCollapsed());
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 3);
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_FOCUSED), 3);
  grid.SelectNode(r);
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 0);
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_FOCUSED), 0);
  // A node of another tree is not selected.
  afx::Window<NamedGrid> other;
  ASSERT_TRUE(other.Create(0, CRect(0, 0, 10, 10), &parent, 8));
  ASSERT_TRUE(other.InsertRootRow());
  GridTreeNode* stranger = other.InsertChildRow(other.GetRootNode());
  grid.SelectNode(stranger);
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 0);
}

TEST_F(GridTest, AClickTogglesANodeWithChildrenAndSelectsOneWithout) {
  parent.Show();
  GridTreeNode* r = Root();
  Expand(r);
  GridTreeNode* a = Add(r, "a");
  Add(a, "a1");
  Add(r, "b");
  Add(r, "c");
  grid.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);  // "b"
  auto click = [&](int row) { ClickRow(grid, row); };
  click(1);  // "a": opens, the selection stays on "b"
  EXPECT_EQ(Rows(), (Names{"r", "a", "a1", "b", "c"}));
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 3);
  click(1);  // and closes
  EXPECT_EQ(Rows(), (Names{"r", "a", "b", "c"}));
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 2);
  click(3);  // "c" has no children: selected
  EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 3);
  EXPECT_EQ(Rows(), (Names{"r", "a", "b", "c"}));
}

// A grid that makes a node's children when it first opens: every node
// above the third level stands for two, named after it ("a" has "a0" and
// "a1").
class OnDemandGrid : public NamedGrid {
 public:
  int made = 0;

 protected:
  bool HasUnmadeChildren(const GridTreeNode& node) const override {
    return node.GetChildCount() == 0 && node.GetIndent() < 3;
  }
  void MakeChildren(GridTreeNode& node) override {
    ++made;
    for (int i = 0; i < 2; ++i) {
      auto info = std::make_unique<Named>();
      info->text = InfoOf(&node)->text + std::to_string(i);
      InsertChildRow(&node, std::move(info));
    }
  }
};

TEST_F(GridTest, ChildrenMadeOnDemandShowAsIfTheyWereThereAndAreMadeOnce) {
  afx::Window<OnDemandGrid> lazy;
  ASSERT_TRUE(lazy.Create(WS_VISIBLE, CRect(0, 0, 600, 400), &parent, 9));
  lazy.InsertColumn(0, L"名称", LVCFMT_LEFT, 200);
  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1));
  lazy.SetImageList(images.GetSafeHandle(), LVSIL_SMALL);
  lazy.SetIconSize(16, 16);
  auto info = std::make_unique<Named>();
  info->text = "r";
  ASSERT_TRUE(lazy.InsertRootRow(std::move(info)));
  GridTreeNode* r = lazy.GetRootNode();
  EXPECT_TRUE(lazy.HasChildren(*r));
  EXPECT_EQ(r->GetChildCount(), 0);
  lazy.ExpandNode(r, 0);
  auto rows = [&] {
    Names names;
    for (int i = 0; i < lazy.GetItemCount(); ++i) names.push_back(NamedGrid::InfoOf(lazy.NodeAt(i))->text);
    return names;
  };
  EXPECT_EQ(rows(), (Names{"r", "r0", "r1"}));
  GridTreeNode* r0 = r->GetChild(0);
  EXPECT_TRUE(lazy.HasChildren(*r0)) << "a button before anything is made";
  EXPECT_EQ(r0->GetChildCount(), 0);
  EXPECT_EQ(lazy.made, 1);

  // Drawn with a plus though nothing is made yet; a leaf without.
  parent.Show();
  auto canvas = Render(lazy, true);
  const CRect b = lazy.GetItemRect(1, LVIR_BOUNDS);
  const int x = b.left + 2 * 16 - 8, y = b.top + 8 + (b.Height() - 16) / 2;
  EXPECT_EQ(canvas->Pixel(x, y - 2), 0u) << "plus";
  EXPECT_EQ(canvas->Pixel(x - 5, y), 0xC6C6C6u) << "frame";

  // A click opens it (making its children) and closes it; reopened, the
  // same nodes come back.
  auto click = [&](int row) { ClickRow(lazy, row); };
  click(1);
  EXPECT_EQ(rows(), (Names{"r", "r0", "r00", "r01", "r1"}));
  EXPECT_EQ(lazy.GetNextItem(-1, LVNI_SELECTED), -1) << "a toggle selects nothing";
  click(1);
  EXPECT_EQ(rows(), (Names{"r", "r0", "r1"}));
  const int nodes = GridTreeNode::LiveCount();
  click(1);
  EXPECT_EQ(rows(), (Names{"r", "r0", "r00", "r01", "r1"}));
  EXPECT_EQ(lazy.made, 2);
  EXPECT_EQ(GridTreeNode::LiveCount(), nodes);
  // Third level: leaves, selected by a click; a node of theirs by SelectNode.
  EXPECT_FALSE(lazy.HasChildren(*lazy.NodeAt(2)));
  click(2);
  EXPECT_EQ(lazy.GetNextItem(-1, LVNI_SELECTED), 2);
  lazy.MakeChildrenOf(*r->GetChild(1));
  lazy.SelectNode(r->GetChild(1)->GetChild(1));
  EXPECT_EQ(rows(), (Names{"r", "r0", "r00", "r01", "r1", "r10", "r11"}));
  EXPECT_EQ(lazy.GetNextItem(-1, LVNI_SELECTED), 6);
  EXPECT_EQ(lazy.made, 3);
}

TEST_F(GridTest, NodeToIndexAgreesWithTheRowsThroughMixedExpandingAndCollapsing) {
  GridTreeNode* r = Root();
  Expand(r);
  std::vector<GridTreeNode*> nodes{r};
  unsigned seed = 12345;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int i = 0; i < 240; ++i) {
    GridTreeNode* at = nodes[next(static_cast<unsigned>(nodes.size()))];
    nodes.push_back(Add(at, "n" + std::to_string(i)));
  }
  auto agree = [&](int step) {
    int visible = 0;
    for (GridTreeNode* n : nodes) {
      const int row = grid.NodeToIndex(n);
      if (row < 0) continue;
      ++visible;
      ASSERT_EQ(grid.NodeAt(row), n) << "step " << step;
    }
    ASSERT_EQ(visible, grid.GetItemCount()) << "step " << step;
    // Rows in depth-first order: each row's parent is above it, and a row's
    // indent is at most one more than the row before.
    for (int row = 1; row < grid.GetItemCount(); ++row) {
      const GridTreeNode* n = grid.NodeAt(row);
      ASSERT_LT(grid.NodeToIndex(n->GetParent()), row);
      ASSERT_LE(n->GetIndent(), grid.NodeAt(row - 1)->GetIndent() + 1);
    }
  };
  for (int step = 0; step < 200; ++step) {
    GridTreeNode* n = nodes[next(static_cast<unsigned>(nodes.size()))];
    const int row = grid.NodeToIndex(n);
    switch (next(4)) {
      case 0:
        if (row >= 0) {
          if (n->IsCollapsed()) grid.ExpandNode(n, row); else grid.CollapseNode(n);
        }
        break;
      case 1:
        grid.SelectNode(n);
        break;
      case 2:
        nodes.push_back(Add(n, "m" + std::to_string(step)));
        break;
      default:
        grid.CollapseNode(n);
        break;
    }
    agree(step);
    if (HasFatalFailure()) return;
  }
}

TEST_F(GridTest, DeletedRowsFreeTheirNodesBeforeANewRootReplacesThem) {
  const int before = GridTreeNode::LiveCount();
  auto build = [&] {
    GridTreeNode* r = Root();
    Expand(r);
    for (int i = 0; i < 5; ++i) {
      GridTreeNode* f = Add(r, "f" + std::to_string(i));
      for (int j = 0; j < 9; ++j) Add(f, "g");
    }
    return r;
  };
  build();
  EXPECT_EQ(GridTreeNode::LiveCount(), before + 1 + 5 + 45);
  grid.DeleteTree();
  EXPECT_EQ(grid.GetItemCount(), 0);
  EXPECT_EQ(grid.GetRootNode(), nullptr);
  EXPECT_EQ(GridTreeNode::LiveCount(), before);
  grid.DeleteTree();  // nothing left: nothing happens

  // A new root over a tree still there replaces it whole.
  build();
  GridTreeNode* r = build();
  EXPECT_EQ(GridTreeNode::LiveCount(), before + 51);
  EXPECT_EQ(Rows(), (Names{"r", "f0", "f1", "f2", "f3", "f4"}));

  // The selected row alone: its subtree goes, its siblings keep their rows.
  GridTreeNode* f1 = r->GetChild(1);
  grid.SelectNode(f1->GetChild(0));  // opens f1
  grid.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);  // f1 itself
  grid.DeleteTree(true);
  EXPECT_EQ(Rows(), (Names{"r", "f0", "f2", "f3", "f4"}));
  EXPECT_EQ(r->GetChildCount(), 4);
  EXPECT_EQ(GridTreeNode::LiveCount(), before + 41);
  EXPECT_EQ(grid.NodeToIndex(r->GetChild(3)), 4);
  Add(r, "f5");
  EXPECT_EQ(Rows(), (Names{"r", "f0", "f2", "f3", "f4", "f5"}));
  grid.DeleteTree();
  EXPECT_EQ(GridTreeNode::LiveCount(), before);
}

TEST_F(GridTest, ARowIsDrawnWithItsButtonConnectorLabelAndAlignedCells) {
  // Rows as tall as the disk tree's: a list of 16-pixel images, none drawn.
  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1));
  grid.SetImageList(images.GetSafeHandle(), LVSIL_SMALL);
  grid.SetIconSize(16, 16);
  GridTreeNode* r = Root("root");
  Expand(r);
  GridTreeNode* a = Add(r, "folder");
  Add(a, "inside");
  Add(r, "leaf");
  grid.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  auto canvas = Render(grid, true);
  SaveRender(*canvas, "supergrid-rows");
  const COLORREF window = GetSysColor(COLOR_WINDOW);

  struct Button {
    int x, y;
  };
  auto buttonOf = [&](int row, int indent) {
    const CRect b = grid.GetItemRect(row, LVIR_BOUNDS);
    return Button{b.left + indent * 16 - 8, b.top + 8 + (b.Height() - 16) / 2};
  };
  // The root: expanded, a minus sign and the line down to its children.
  const Button root = buttonOf(0, 1);
  EXPECT_EQ(canvas->Pixel(root.x - 5, root.y), 0xC6C6C6u);  // frame, 11 by 11
  EXPECT_EQ(canvas->Pixel(root.x + 5, root.y), 0xC6C6C6u);
  EXPECT_EQ(canvas->Pixel(root.x, root.y - 5), 0xC6C6C6u);
  EXPECT_EQ(canvas->Pixel(root.x - 3, root.y - 3), 0xFFFFFFu);
  for (int dx = -2; dx <= 2; ++dx) EXPECT_EQ(canvas->Pixel(root.x + dx, root.y), 0u) << dx;
  EXPECT_EQ(canvas->Pixel(root.x, root.y - 2), 0xFFFFFFu) << "no plus";
  const CRect rootBounds = grid.GetItemRect(0, LVIR_BOUNDS);
  EXPECT_EQ(canvas->Pixel(root.x + 16, rootBounds.bottom - 1), 0xC0C0C0u);
  // A collapsed node with children: a plus sign, no line down.
  const Button folder = buttonOf(1, 2);
  EXPECT_EQ(canvas->Pixel(folder.x, folder.y - 2), 0u);
  EXPECT_EQ(canvas->Pixel(folder.x, folder.y + 2), 0u);
  EXPECT_EQ(canvas->Pixel(folder.x - 5, folder.y), 0xC6C6C6u);
  const CRect folderBounds = grid.GetItemRect(1, LVIR_BOUNDS);
  EXPECT_NE(canvas->Pixel(folder.x + 16, folderBounds.bottom - 1), 0xC0C0C0u);
  // A leaf: no decoration.
  const Button leaf = buttonOf(2, 2);
  EXPECT_NE(canvas->Pixel(leaf.x - 5, leaf.y), 0xC6C6C6u);
  EXPECT_NE(canvas->Pixel(leaf.x, leaf.y), 0u);

  // Label areas: the selected row in the highlight colour, the others not.
  const CRect leafBounds = grid.GetItemRect(2, LVIR_BOUNDS);
  const int labelLeft = leafBounds.left + 16 * 3 + 2;
  EXPECT_EQ(canvas->Pixel(labelLeft + 150, leafBounds.top + 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(canvas->Pixel(labelLeft - 1, leafBounds.top + 1), window) << "left of the label";
  EXPECT_EQ(canvas->Pixel(leafBounds.left + 16 * 2 + 2 + 150, folderBounds.top + 1), window);
  EXPECT_GT(CountColour(*canvas, CRect(labelLeft, leafBounds.top, leafBounds.left + 200,
                                       leafBounds.bottom),
                        GetSysColor(COLOR_HIGHLIGHTTEXT)),
            0);

  // Cells: "c1" right-aligned in 200..300, "c2" centred in 300..400.
  auto inkSpan = [&](int left, int right, int row) {
    const CRect b = grid.GetItemRect(row, LVIR_BOUNDS);
    int first = right, last = left - 1;
    for (int x = left; x < right; ++x) {
      for (int y = b.top; y < b.bottom; ++y) {
        if (canvas->Pixel(x, y) != window) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
      }
    }
    return std::make_pair(first, last);
  };
  const int x0 = folderBounds.left;
  const auto right = inkSpan(x0 + 201, x0 + 299, 1);
  EXPECT_GE(right.second, x0 + 300 - 3 - 3);
  EXPECT_LE(right.second, x0 + 300 - 3);
  EXPECT_GT(right.first, x0 + 250);
  const auto centre = inkSpan(x0 + 301, x0 + 399, 1);
  EXPECT_NEAR((centre.first + centre.second) / 2.0, x0 + 350, 3.0);
}

}  // namespace
}  // namespace diskview::test
