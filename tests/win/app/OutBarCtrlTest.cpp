// The shortcut bar as a window: clicks by real button messages (the press
// runs the bar's local loop, which takes the release from the queue), the
// message to its owner, the arrows, the sounds, and what it paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/GfxOutBarCtrl.h"
#include "app/Messages.h"
#include "framework/ImageList.h"
#include "res/app/resource.h"
#include "tests/win/app/FakeSystem.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace {

using diskview::test::CountColour;
using diskview::test::Render;
using diskview::test::SaveRender;
using diskview::test::TestParent;

constexpr COLORREF kItemArea = RGB(0, 50, 55);
constexpr COLORREF kHighlight = RGB(0, 150, 221);
constexpr UINT WM_TEST_TAKE_CAPTURE = WM_APP + 1;
const std::wstring kItemSound = L"sound:WAV\\start.wav";
const std::wstring kArrowSound = L"sound:WAV\\Windows XP.wav";

// The bar's owner: records the clicks it is told of.
class Owner : public TestParent {
 public:
  std::vector<std::pair<WPARAM, LPARAM>> clicks;
  CWnd* endOnClick = nullptr;  // a window to destroy when a click arrives

  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnMessage<&Owner::OnBarClick>(WM_BARCLICK),
        afx::OnMessage<&Owner::OnTakeCapture>(WM_TEST_TAKE_CAPTURE),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
           TestParent::OnWndMsg(msg, wp, lp, result);
  }

 private:
  LRESULT OnBarClick(WPARAM code, LPARAM index) {
    clicks.emplace_back(code, index);
    if (endOnClick) endOnClick->DestroyWindow();
    return 0;
  }
  // Another window takes the mouse while the bar's button is down.
  LRESULT OnTakeCapture(WPARAM, LPARAM) {
    ::SetCapture(m_hWnd);
    ::ReleaseCapture();
    return 0;
  }
};

class OutBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(owner.Make(300, 600));
    ASSERT_TRUE(images.CreateFromBitmap(IDB_DRIVE_IMAGES, 32, 0, RGB(255, 0, 255)));
  }
  // As the frame makes it: one folder, `count` drives, nothing selected;
  // then painted once, which shows the arrows.
  void Make(int count, DWORD options = 0x260, int height = 407, int folders = 1) {
    ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(0, 0, 100, height), &owner, AFX_IDW_PANE_FIRST, options));
    bar.SetOwner(owner.m_hWnd);
    bar.SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    EXPECT_EQ(bar.AttachImageList(images.GetSafeHandle(), CGfxOutBarCtrl::kLargeIcons), nullptr);
    for (int f = 0; f < folders; ++f) EXPECT_EQ(bar.AppendFolder(L"HD", 0), f);
    for (int i = 0; i < count; ++i) {
      wchar_t caption[16];
      swprintf(caption, 16, L"(%c:)", L'C' + i);
      bar.AddItem(0, bar.GetItemCount(), caption, i % 6, 0);
    }
    bar.SelectItem(-1);
    Render(bar);
  }
  // A point on `item` clear of the arrows (they lie over the items).
  CPoint On(int item) const {
    const CRect r = bar.ItemRect(item);
    CPoint p(r.left + r.Width() / 2, r.top + 6);
    for (const CRect& arrow : {CRect(layout::kUpArrowRect), CRect(layout::kDownArrowRect)}) {
      if (arrow.PtInRect(p)) p.y = r.bottom - 6;
    }
    return p;
  }
  // Press at `down`, release at `up`; the bar's loop takes the release.
  void Click(CPoint down, CPoint up) {
    bar.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    bar.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    flush_events(0);
  }
  void Click(CPoint at) { Click(at, at); }
  // The arrows react only once painted: a shown bar repaints after each
  // click; this one is hidden, so it is drawn here.
  void ClickArrow(const geom::Rect& arrow) {
    Render(bar);
    Click(CPoint(arrow.left + 50, arrow.top + 10));
  }
  int Sounds(const std::wstring& which) const {
    int n = 0;
    for (const std::wstring& c : sys.calls) n += c == which;
    return n;
  }

  afx::Window<Owner> owner;
  CImageList images;
  FakeSystem sys;
  afx::Window<CGfxOutBarCtrl> bar{sys};
};

TEST_F(OutBarTest, PressAndReleaseOnAnItemTellsTheOwner) {
  Make(4);
  EXPECT_EQ(bar.GetFolderCount(), 1);
  EXPECT_EQ(bar.GetItemCount(), 4);
  EXPECT_EQ(bar.GetShownFolder(), 0);
  EXPECT_EQ(bar.GetSelectedItem(), -1);
  Click(On(2));
  ASSERT_EQ(owner.clicks.size(), 1u);
  EXPECT_EQ(owner.clicks[0], std::make_pair(WPARAM{14}, LPARAM{2}));
  EXPECT_EQ(bar.GetSelectedItem(), 2);
  EXPECT_EQ(Sounds(kItemSound), 1);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(OutBarTest, ReleaseElsewhereSendsNothingButSounds) {
  Make(4);
  Click(On(1));
  owner.clicks.clear();
  Click(On(2), On(3));
  Click(On(2), CPoint(-20, 50));   // outside the bar
  Click(On(2), CPoint(50, 1000));  // below it
  EXPECT_TRUE(owner.clicks.empty());
  EXPECT_EQ(bar.GetSelectedItem(), 1);
  EXPECT_EQ(Sounds(kItemSound), 4);
}

TEST_F(OutBarTest, SlotCodesByItemAndEveryItemOpens) {
  // Fourteen drives: every one reacts, items 4 and later in the last slot.
  Make(14, 0x260, 1400);
  for (int i = 0; i < 14; ++i) Click(On(i));
  const WPARAM expected[] = {1, 13, 14, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
  ASSERT_EQ(owner.clicks.size(), 14u);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(owner.clicks[static_cast<size_t>(i)].first, expected[i]) << i;
    EXPECT_EQ(owner.clicks[static_cast<size_t>(i)].second, i);
  }
  EXPECT_EQ(bar.GetSelectedItem(), 13);
}

TEST_F(OutBarTest, NothingUnderThePressNothingHappens) {
  Make(2);
  const CRect last = bar.ItemRect(1);
  Click(CPoint(50, last.bottom + 20));  // in the item area, below the last item
  EXPECT_TRUE(owner.clicks.empty());
  EXPECT_TRUE(sys.calls.empty());
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(OutBarTest, SmallIconViewOnlyTheArrowsReact) {
  Make(3, 0x261);
  EXPECT_TRUE(bar.IsSmallIconView());
  Click(On(0));
  EXPECT_TRUE(owner.clicks.empty());
  EXPECT_EQ(Sounds(kItemSound), 0);
  ClickArrow(layout::kUpArrowRect);
  EXPECT_EQ(Sounds(kArrowSound), 1);
}

TEST_F(OutBarTest, WithoutTheHighlightBitClicksGoOutButNothingIsSelected) {
  Make(3, 0x060);
  bar.SelectItem(1);
  EXPECT_EQ(bar.GetSelectedItem(), -1);
  Click(On(1));
  ASSERT_EQ(owner.clicks.size(), 1u);
  EXPECT_EQ(bar.GetSelectedItem(), -1);
  bar.ModifyStyleFlags(0, CGfxOutBarCtrl::fSelHighlight);
  bar.SelectItem(1);
  EXPECT_EQ(bar.GetSelectedItem(), 1);
  bar.SelectItem(3);  // no such item
  EXPECT_EQ(bar.GetSelectedItem(), 1);
}

TEST_F(OutBarTest, ArrowsAtTheTopAndWithEverythingInViewOnlySound) {
  Make(2);
  ClickArrow(layout::kUpArrowRect);  // already at the top
  ClickArrow(layout::kDownArrowRect);  // all of it fits
  EXPECT_EQ(bar.GetFirstVisibleItem(), 0);
  EXPECT_EQ(Sounds(kArrowSound), 2);
  EXPECT_TRUE(owner.clicks.empty());
}

TEST_F(OutBarTest, ArrowsScrollOneStepPerReleaseWhileThereIsMore) {
  Make(8);
  const int top = bar.ItemAreaRect().top;
  ClickArrow(layout::kDownArrowRect);
  EXPECT_EQ(bar.GetFirstVisibleItem(), 1);
  EXPECT_EQ(bar.ItemRect(1).top, top + 15);  // the first shown item
  // Down until the last item is in view, then no further.
  for (int i = 0; i < 12; ++i) ClickArrow(layout::kDownArrowRect);
  const int end = bar.GetFirstVisibleItem();
  EXPECT_GT(end, 1);
  EXPECT_LE(bar.ItemRect(7).bottom, bar.ItemAreaRect().bottom);
  ClickArrow(layout::kUpArrowRect);
  EXPECT_EQ(bar.GetFirstVisibleItem(), end - 1);
  // Released off the arrow: no step, the sound all the same.
  Render(bar);
  Click(CPoint(50, 395), CPoint(50, 200));
  EXPECT_EQ(bar.GetFirstVisibleItem(), end - 1);
  EXPECT_EQ(Sounds(kArrowSound), 1 + 12 + 1 + 1);
  // A scrolled bar reports the item shown under the press.
  Click(On(end));
  ASSERT_EQ(owner.clicks.size(), 1u);
  EXPECT_EQ(owner.clicks[0].second, end);
}

TEST_F(OutBarTest, ArrowsReactOnlyOncePainted) {
  Make(8);
  bar.MoveWindow(CRect(0, 0, 100, 406));  // a resize forgets where they were drawn
  Click(CPoint(50, 395));
  EXPECT_EQ(bar.GetFirstVisibleItem(), 0);
  EXPECT_EQ(Sounds(kArrowSound), 0);
}

TEST_F(OutBarTest, CaptureLostDuringThePressEndsItQuietly) {
  Make(3);
  bar.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(On(1).x, On(1).y));
  owner.PostMessage(WM_TEST_TAKE_CAPTURE);
  bar.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(On(1).x, On(1).y));
  flush_events(0);
  EXPECT_TRUE(owner.clicks.empty());
  EXPECT_TRUE(sys.calls.empty());
  // The bar answers the next press as usual.
  Click(On(1));
  EXPECT_EQ(owner.clicks.size(), 1u);
}

TEST_F(OutBarTest, AnOwnerThatEndsTheBarOnTheClick) {
  Make(3);
  owner.endOnClick = &bar;
  Click(On(0));
  EXPECT_EQ(owner.clicks.size(), 1u);
  EXPECT_EQ(bar.m_hWnd, nullptr);
  EXPECT_EQ(Sounds(kItemSound), 1);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(OutBarTest, ItemsFoldersAndImageLists) {
  Make(0);
  bar.AddItem(0, -1, L"b", 1, 0);
  bar.AddItem(0, 0, L"a", 0, 0);   // before the first
  bar.AddItem(0, 99, L"c", 2, 0);  // past the end appends
  bar.AddItem(5, 0, L"x", 0, 0);   // no such folder: nothing
  EXPECT_EQ(bar.GetItemCount(), 3);
  EXPECT_EQ(bar.GetItemText(0), L"a");
  EXPECT_EQ(bar.GetItemText(2), L"c");
  EXPECT_EQ(bar.GetItemImage(1), 1);
  EXPECT_EQ(bar.GetItemText(3), L"");
  EXPECT_EQ(bar.GetItemImage(-1), -1);
  EXPECT_EQ(bar.AppendFolder(nullptr, 7), 1);
  EXPECT_EQ(bar.GetFolderCount(), 2);
  HIMAGELIST large = images.GetSafeHandle();
  EXPECT_EQ(bar.AttachImageList(nullptr, 2), large);
  EXPECT_EQ(bar.AttachImageList(large, 3), nullptr);  // unknown kind: nothing
  EXPECT_EQ(bar.AttachImageList(nullptr, 2), nullptr);
  // Without images an item is its caption only, still hit where drawn.
  const CRect r = bar.ItemRect(0);
  EXPECT_FALSE(r.IsRectEmpty());
  EXPECT_TRUE(bar.ItemRect(3).IsRectEmpty());
  EXPECT_TRUE(bar.ItemRect(-1).IsRectEmpty());
}

// ---- painting ----

TEST_F(OutBarTest, PaintsItemAreaHighlightAndArrows) {
  Make(4);
  bar.SelectItem(1);
  auto canvas = Render(bar);
  SaveRender(*canvas, "outbar-drives");
  const CRect client = bar.GetClientRect();
  const CRect area = bar.ItemAreaRect();
  const CRect item = bar.ItemRect(1);
  EXPECT_EQ(area.top, 21);
  // Beside the captions and icons: the item area's colour, the highlight.
  EXPECT_EQ(canvas->Pixel(2, bar.ItemRect(0).top + 10), kItemArea);
  EXPECT_EQ(canvas->Pixel(2, item.top + 10), kHighlight);
  EXPECT_EQ(canvas->Pixel(item.left - 1 + 3, item.top - 1), ::GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(canvas->Pixel(item.left + 3, item.bottom), ::GetSysColor(COLOR_BTNFACE));
  // Every item has its icon drawn.
  for (int i = 0; i < 4; ++i) {
    const CRect r = bar.ItemRect(i);
    if (r.top >= layout::kDownArrowRect.top) break;
    const CRect icon(r.left + r.Width() / 2 - 16, r.top, r.left + r.Width() / 2 + 16, r.top + 32);
    const COLORREF behind = i == 1 ? kHighlight : kItemArea;
    EXPECT_GT(32 * 32 - CountColour(*canvas, icon, behind), 32 * 32 / 4) << i;
  }
  // The arrows at their places, over everything.
  for (const CRect arrow : {CRect(layout::kUpArrowRect), CRect(layout::kDownArrowRect)}) {
    CRect inside = arrow;
    inside.right = std::min<LONG>(inside.right, client.right);
    inside.bottom = std::min<LONG>(inside.bottom, client.bottom);
    EXPECT_GT(CountColour(*canvas, inside, ::GetSysColor(COLOR_BTNFACE)), inside.Width() * inside.Height() / 2);
    EXPECT_GT(CountColour(*canvas, inside, ::GetSysColor(COLOR_BTNTEXT)), 5);
    EXPECT_EQ(CountColour(*canvas, inside, kItemArea), 0);
  }
}

TEST_F(OutBarTest, FolderBandInFaceColourAndItemsClippedToTheArea) {
  Make(8, 0x260, 407, 3);  // the two later folders' rows lie below the items
  const CRect area = bar.ItemAreaRect();
  EXPECT_EQ(area.bottom, bar.GetClientRect().bottom - 44);
  int straddling = 0;
  while (bar.ItemRect(straddling).bottom <= area.bottom) ++straddling;
  ASSERT_LT(bar.ItemRect(straddling).top, area.bottom);
  bar.SelectItem(straddling);
  auto canvas = Render(bar);
  const CRect band(0, area.bottom, 98, layout::kDownArrowRect.top);
  EXPECT_EQ(CountColour(*canvas, band, ::GetSysColor(COLOR_BTNFACE)), band.Width() * band.Height());
  EXPECT_EQ(canvas->Pixel(2, area.bottom - 1), kHighlight);
  SaveRender(*canvas, "outbar-three-folders");
}

TEST_F(OutBarTest, AFontSetFromOutsideChangesNothing) {
  Make(3);
  bar.SelectItem(0);
  auto before = Render(bar);
  LOGFONTW lf{};
  lf.lfHeight = -40;
  wcscpy(lf.lfFaceName, L"Tahoma");
  CFont big;
  ASSERT_TRUE(big.CreateFontIndirect(lf));
  bar.SetFont(big);
  auto after = Render(bar);
  const CRect client = bar.GetClientRect();
  int differ = 0;
  for (int y = 0; y < client.bottom; y += 2) {
    for (int x = 0; x < client.right; ++x) differ += before->Pixel(x, y) != after->Pixel(x, y);
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace
