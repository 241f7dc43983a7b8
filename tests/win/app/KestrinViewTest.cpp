// The disk overview view as a window: its children where the layout puts
// them, slots filled by real scans of prepared folders (the slice rule, the
// info rows, a drive's space), only the latest scan's completion drawn, the
// progress while a scan runs, its buttons and clicks, and no leaks.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "TestPump.h"
#include "app/FolderShell.h"
#include "app/KestrinView.h"
#include "app/Messages.h"
#include "app/ViewLayout.h"
#include "app/diskview/InfoLayout.h"
#include "app/diskview/PieChartLayout.h"
#include "framework/WinApp.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"
#include "tests/win/common/Canvas.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/diskview/WinTempTree.h"

namespace {

using diskview::kSlicePalette;
using diskview::test::WinTempTree;

// The frame the view sits in: a top-level window that records WM_CLOSE.
class Host : public CWnd {
 public:
  bool Make() {
    return CreateEx(0, nullptr, L"view host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                    CRect(0, 0, 620, 470), nullptr, 0);
  }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_CLOSE) {
      ++closes;
      result = 0;
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
  int closes = 0;
};

// Waits, handling messages, until `ready` or ten seconds have passed.
bool WaitFor(const std::function<bool()>& ready) { return wait_for(ready); }

// Handles only the messages sent to this thread (the scan's row insertions),
// until the view's scan has ended (with `completed`: completed, and its
// worker gone, so its completion is posted): the completion stays queued.
bool WaitForScanEndLeavingTheCompletionQueued(CKestrinView& view, bool completed = false) {
  CDiskTreeCtrl& tree = view.DiskTree();
  auto ended = [&] {
    return !tree.IsScanning() && (!completed || (tree.ScanCompleted() && tree.ScanWorkerEnded()));
  };
  const DWORD end = GetTickCount() + 10000;
  while (!ended()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_SENDMESSAGE);
  }
  return true;
}

std::vector<std::pair<COLORREF, int>> Slices(CPieChartCtrl& pie) {
  std::vector<std::pair<COLORREF, int>> out;
  for (int i = 0; i < pie.GetSliceCount(); ++i) {
    COLORREF c = 0;
    pie.GetSliceColour(i, c);
    out.emplace_back(c, pie.GetSliceAngle(i));
  }
  return out;
}
using S = std::vector<std::pair<COLORREF, int>>;
COLORREF Palette(int i) { return kSlicePalette[i].colour; }

// The row of `group` with `key`.
const diskview::InfoLine* Row(CKestrinView& view, int slot, int group, int key) {
  const diskview::InfoModel* model = view.Info(slot).Model();
  if (!model) return nullptr;
  for (const diskview::InfoLine& line : model->Group(group)) {
    if (line.key == key) return &line;
  }
  return nullptr;
}
std::string RowText(CKestrinView& view, int slot, int group, int key) {
  const diskview::InfoLine* line = Row(view, slot, group, key);
  return line ? line->text : "<no row>";
}

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Make());
    app.m_pMainWnd = &host;
    view = std::make_unique<afx::Window<CKestrinView>>(system);
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER,
                             CRect(0, 0, 585, 420), &host, AFX_IDW_PANE_FIRST));
    // Stops here are answered, however busy the machine: a slow worker must
    // not be taken for one blocked in a dead drive.
    view->DiskTree().SetStopWait(std::chrono::minutes(1));
  }
  void TearDown() override {
    view.reset();
    app.m_pMainWnd = nullptr;
  }
  // A folder of the tree with one file of `bytes` in it.
  void FolderWithFile(const std::wstring& name, std::uint64_t bytes) {
    ASSERT_TRUE(tree.Folder(name));
    ASSERT_TRUE(tree.File(name + L"\\data", bytes));
  }
  // Scans `path` into `slot` and waits until the slot is drawn.
  void Fill(int slot, const std::wstring& path) {
    view->OpenFolderInSlot(slot, CString(path.c_str()));
    ASSERT_TRUE(WaitFor([&] { return view->ScanSlot() == 0; }));
  }

  CWinApp app{L"view tests"};
  FakeSystem system;
  afx::Window<Host> host;
  std::unique_ptr<CKestrinView> view;
  WinTempTree tree;
};

CRect InView(const CWnd& view, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, view.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  return CRect(r);
}

// The view's children of `id`, in creation (z) order.
std::vector<HWND> ChildrenWithId(const CWnd& view, int id) {
  std::vector<HWND> out;
  for (HWND w = GetWindow(view.m_hWnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(w) == id) out.push_back(w);
  }
  return out;
}

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return name;
}

}  // namespace

TEST_F(ViewTest, ChildrenStandWhereTheLayoutPutsThem) {
  EXPECT_FALSE(view->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(view->GetStyle() & WS_BORDER);
  // A resize places the slots again; the pictures and buttons stay.
  view->MoveWindow(CRect(0, 0, 600, 430));

  const std::vector<HWND> pictures = ChildrenWithId(*view, CKestrinView::kPictureId);
  ASSERT_EQ(pictures.size(), 3u);
  const geom::Rect pictureRects[] = {layout::kViewPiePicture, layout::kViewTopPicture,
                                     layout::kViewBottomPicture};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(InView(*view, pictures[i]), CRect(pictureRects[i])) << i;
    EXPECT_EQ(GetWindowLongPtrW(pictures[i], GWL_STYLE) & 0x1000020F, 0x1000020E) << i;
    EXPECT_NE(SendMessageW(pictures[i], STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << i;
  }
  const std::pair<int, geom::Point> buttons[] = {{CKestrinView::kHomeButtonId, layout::kViewHomeButtonAt},
                                                 {CKestrinView::kExitButtonId, layout::kViewExitButtonAt}};
  for (const auto& [id, at] : buttons) {
    HWND button = view->GetDlgItem(id);
    ASSERT_NE(button, nullptr) << id;
    // Sized to their 55 x 28 bitmaps.
    EXPECT_EQ(InView(*view, button), CRect(at.x, at.y, at.x + 55, at.y + 28)) << id;
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & 0x1000000F, 0x1000000B) << id;
  }

  HWND disk = view->GetDlgItem(CKestrinView::kDiskTreeId);
  ASSERT_EQ(disk, view->DiskTree().m_hWnd);
  EXPECT_TRUE(InView(*view, disk).IsRectEmpty());
  EXPECT_EQ(GetWindowLongPtrW(disk, GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE),
            WS_EX_STATICEDGE | WS_EX_CLIENTEDGE);

  const std::vector<HWND> pies = ChildrenWithId(*view, CKestrinView::kPieId);
  const std::vector<HWND> infos = ChildrenWithId(*view, CKestrinView::kInfoId);
  const std::vector<HWND> captions = ChildrenWithId(*view, CKestrinView::kCaptionId);
  ASSERT_EQ(pies.size(), 6u);
  ASSERT_EQ(infos.size(), 5u);
  ASSERT_EQ(captions.size(), 5u);
  for (int i = 0; i < layout::kViewSlotCount; ++i) {
    const layout::ViewSlotRects& slot = layout::kViewSlots[i];
    EXPECT_EQ(pies[i], view->Pie(i + 1).m_hWnd);
    EXPECT_EQ(InView(*view, pies[i]), CRect(slot.pie)) << i;
    EXPECT_EQ(InView(*view, infos[i]), CRect(slot.info)) << i;
    EXPECT_EQ(InView(*view, captions[i]), CRect(slot.caption)) << i;
    EXPECT_EQ(ClassOf(pies[i]), L"PIE_CHART_CTRL");
    EXPECT_EQ(ClassOf(captions[i]), L"PIE_CHART_RECT");
  }
  EXPECT_TRUE(InView(*view, pies[5]).IsRectEmpty());  // made, never placed
  HWND legend = view->GetDlgItem(CKestrinView::kLegendId);
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(InView(*view, legend), CRect(layout::kViewLegend));
}

TEST_F(ViewTest, SlotsFollowTheSliceRule) {
  // Three shares of 120.4, 120.4 and 119.2 degrees: a remainder of one.
  ASSERT_TRUE(tree.Folder(L"a"));
  FolderWithFile(L"a\\x", 1204);
  FolderWithFile(L"a\\y", 1204);
  FolderWithFile(L"a\\z", 1192);
  // 120.5, 120.5 and 119: halves go up to a sum of 361, no remainder.
  ASSERT_TRUE(tree.Folder(L"b"));
  FolderWithFile(L"b\\x", 1190);
  FolderWithFile(L"b\\y", 1205);
  FolderWithFile(L"b\\z", 1205);
  // Forty shares of 9 degrees, all under 11: one full circle in colour 0.
  ASSERT_TRUE(tree.Folder(L"c"));
  for (int i = 0; i < 40; ++i) FolderWithFile(L"c\\" + std::to_wstring(i), 100);
  // Twenty of 18 degrees: the palette wraps after fifteen.
  ASSERT_TRUE(tree.Folder(L"d"));
  for (int i = 0; i < 20; ++i) FolderWithFile(L"d\\" + std::to_wstring(i), 1000);
  // Only empty files: no share at all, the remainder is the full circle.
  ASSERT_TRUE(tree.Folder(L"e"));
  for (int i = 0; i < 3; ++i) FolderWithFile(L"e\\" + std::to_wstring(i), 0);

  Fill(1, tree.Full(L"a"));
  EXPECT_EQ(Slices(view->Pie(1)), (S{{Palette(0), 120}, {Palette(1), 120}, {Palette(2), 119}, {Palette(2), 1}}));
  Fill(2, tree.Full(L"b"));
  EXPECT_EQ(Slices(view->Pie(2)), (S{{Palette(0), 121}, {Palette(1), 121}, {Palette(2), 119}}));
  Fill(3, tree.Full(L"c"));
  EXPECT_EQ(Slices(view->Pie(3)), (S{{Palette(0), 360}}));
  Fill(4, tree.Full(L"d"));
  S twenty;
  for (int i = 0; i < 20; ++i) twenty.emplace_back(Palette(i % 15), 18);
  EXPECT_EQ(Slices(view->Pie(4)), twenty);
  Fill(5, tree.Full(L"e"));
  EXPECT_EQ(Slices(view->Pie(5)), (S{{Palette(0), 360}}));

  // Each slot kept its own chart while the others were filled.
  EXPECT_EQ(view->Pie(1).GetSliceCount(), 4);
  EXPECT_EQ(view->Pie(3).GetSliceCount(), 1);

  // A folder's rows: its size and counts in group 2 and again in group 1.
  using namespace diskview;
  EXPECT_EQ(RowText(*view, 1, 2, kInfoFileSize), "3.52 Kb");
  EXPECT_EQ(RowText(*view, 1, 2, kInfoFileCount), "3 文件");
  EXPECT_EQ(RowText(*view, 1, 2, kInfoFolderCount), "3 文件夹");
  EXPECT_EQ(RowText(*view, 1, 1, kInfoFileSize), "3.52 Kb");
  EXPECT_EQ(RowText(*view, 4, 1, kInfoFolderCount), "20 文件夹");
  EXPECT_EQ(RowText(*view, 5, 1, kInfoFileSize), "0 byte");
  // No drive rows for a folder.
  EXPECT_EQ(RowText(*view, 1, 2, kInfoSize), "");
}

TEST_F(ViewTest, ADriveShowsItsSizeUseAndAllocatedBytes) {
  std::string asked;
  view->SetDiskSpaceQuery([&](const std::string& root, platform::DiskSpaceHalves& out) {
    asked = root;
    out = platform::DiskSpaceHalves{1000000000u, 0, 3000000000u, 0};
    return true;
  });
  // A drive letter nobody has: its scan finds nothing, its space is ours.
  Fill(2, L"Q:\\");
  using namespace diskview;
  // Asked on a thread of its own: a busy machine may answer late.
  ASSERT_TRUE(WaitFor([&] { return RowText(*view, 2, 2, kInfoSize) == "2.79 Gb"; }));
  EXPECT_EQ(asked, "Q:\\");
  ASSERT_NE(Row(*view, 2, 2, kInfoUsed), nullptr);
  EXPECT_EQ(Row(*view, 2, 2, kInfoUsed)->value, 66);
  EXPECT_EQ(RowText(*view, 2, 2, kInfoAllocated), "1.86 Gb");
  // An empty folder has no share to draw: not even the full circle.
  EXPECT_EQ(view->Pie(2).GetSliceCount(), 0);

  // A failed query leaves size and use as they were and empties the
  // allocated row rather than show a made-up figure.
  view->SetDiskSpaceQuery([](const std::string&, platform::DiskSpaceHalves&) { return false; });
  Fill(2, L"Q:\\");
  ASSERT_TRUE(WaitFor([&] { return RowText(*view, 2, 2, kInfoAllocated).empty(); }));
  EXPECT_EQ(RowText(*view, 2, 2, kInfoSize), "2.79 Gb");
  EXPECT_EQ(Row(*view, 2, 2, kInfoUsed)->value, 66);
  EXPECT_EQ(RowText(*view, 2, 2, kInfoAllocated), "");
}

TEST_F(ViewTest, ADriveWhoseSpaceHangsIsChartedAndItsRowsFillWhenItAnswers) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(release, nullptr);
  view->SetDiskSpaceQuery([release](const std::string&, platform::DiskSpaceHalves& out) {
    WaitForSingleObject(release, INFINITE);
    out = platform::DiskSpaceHalves{1000000000u, 0, 3000000000u, 0};
    return true;
  });
  FolderWithFile(L"a", 3000);
  FolderWithFile(L"b", 1000);
  // Not a drive root, so first a folder: its rows come at once.
  Fill(1, tree.Root());
  using namespace diskview;
  EXPECT_EQ(RowText(*view, 1, 2, kInfoFileSize), "3.91 Kb");
  // A drive whose space does not come: the slot is drawn all the same and
  // this thread keeps handling its messages.
  Fill(2, L"Q:\\");
  EXPECT_EQ(RowText(*view, 2, 2, kInfoAllocated), "");
  EXPECT_EQ(RowText(*view, 2, 2, kInfoSize), "");
  // The same drive again while its query is out: no second query.
  Fill(2, L"Q:\\");
  SetEvent(release);
  ASSERT_TRUE(WaitFor([&] { return RowText(*view, 2, 2, kInfoSize) == "2.79 Gb"; }));
  EXPECT_EQ(RowText(*view, 2, 2, kInfoAllocated), "1.86 Gb");
  EXPECT_EQ(Row(*view, 2, 2, kInfoUsed)->value, 66);
  CloseHandle(release);
}

TEST_F(ViewTest, ACompletionWhoseMessageIsLostIsDrawnByTheProgressTimer) {
  FolderWithFile(L"a", 3000);
  FolderWithFile(L"b", 1000);
  view->OpenFolderInSlot(4, CString(tree.Root().c_str()));
  ASSERT_TRUE(WaitForScanEndLeavingTheCompletionQueued(*view, true));
  // As if the post had failed on a full queue.
  MSG msg;
  while (PeekMessageW(&msg, view->m_hWnd, WM_SCAN_DONE_4, WM_SCAN_DONE_4, PM_REMOVE)) {
  }
  EXPECT_EQ(view->ScanSlot(), 4);
  view->SendMessage(WM_TIMER, 1, 0);
  EXPECT_EQ(view->ScanSlot(), 0);
  EXPECT_EQ(Slices(view->Pie(4)), (S{{Palette(0), 270}, {Palette(1), 90}}));
  EXPECT_TRUE(view->Pie(4).GetStatusText().IsEmpty());
}

TEST_F(ViewTest, OnlyTheLatestScansCompletionIsDrawn) {
  ASSERT_TRUE(tree.Folder(L"one"));
  FolderWithFile(L"one\\a", 1000);
  FolderWithFile(L"one\\b", 3000);
  ASSERT_TRUE(tree.Folder(L"two"));
  FolderWithFile(L"two\\a", 5000);
  FolderWithFile(L"two\\b", 5000);

  // Each row insertion waits for this thread, so a scan stays running while
  // nothing is handled.
  view->DiskTree().SetRowQueueLimit(1);
  // Slot 1's scan completes, but its message waits in the queue while slot
  // 2's scan starts and completes too: the root now holds "two".
  view->OpenFolderInSlot(1, CString(tree.Full(L"one").c_str()));
  ASSERT_TRUE(WaitForScanEndLeavingTheCompletionQueued(*view));
  view->OpenFolderInSlot(2, CString(tree.Full(L"two").c_str()));
  ASSERT_TRUE(WaitFor([&] { return view->ScanSlot() == 0; }));
  EXPECT_EQ(view->Pie(1).GetSliceCount(), 0);  // not "two" drawn as slot 1
  EXPECT_EQ(Slices(view->Pie(2)), (S{{Palette(0), 180}, {Palette(1), 180}}));

  // A completion that arrives while a newer scan runs is ignored too.
  view->OpenFolderInSlot(3, CString(tree.Full(L"one").c_str()));
  ASSERT_TRUE(view->DiskTree().IsScanning());
  view->SendMessage(WM_SCAN_DONE_3, 1, 0);
  EXPECT_EQ(view->Pie(3).GetSliceCount(), 0);
  ASSERT_TRUE(WaitFor([&] { return view->ScanSlot() == 0; }));
  EXPECT_EQ(Slices(view->Pie(3)), (S{{Palette(0), 270}, {Palette(1), 90}}));
  // And one sent again after its slot was drawn changes nothing.
  view->Pie(3).RemoveAllSlices();
  view->SendMessage(WM_SCAN_DONE_3, 1, 0);
  EXPECT_EQ(view->Pie(3).GetSliceCount(), 0);
}

TEST_F(ViewTest, AScanningSlotShowsHowFarItHasGot) {
  ASSERT_TRUE(tree.Folder(L"top"));
  FolderWithFile(L"top\\a", 2048);
  FolderWithFile(L"top\\b", 1);
  FolderWithFile(L"top\\c", 1);

  // The worker waits for this thread at its first row: the scan runs.
  view->DiskTree().SetRowQueueLimit(1);
  view->OpenFolderInSlot(4, CString(tree.Full(L"top").c_str()));
  ASSERT_TRUE(view->DiskTree().IsScanning());
  EXPECT_EQ(view->Pie(4).GetStatusText(), CString::FromUtf8(diskview::ScanProgressText(0, 0)));
  // Once the first folder is done, a tick shows it (the worker waits again
  // at its next row, so the figures stand still while they are compared).
  const DWORD end = GetTickCount() + 10000;
  while (view->DiskTree().ProgressFolders() < 1 && static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  ASSERT_TRUE(view->DiskTree().IsScanning());
  view->SendMessage(WM_TIMER, 1, 0);
  EXPECT_EQ(view->Pie(4).GetStatusText(),
            CString::FromUtf8(diskview::ScanProgressText(view->DiskTree().ProgressFolders(),
                                                         view->DiskTree().ProgressBytes())));
  EXPECT_NE(view->Pie(4).GetStatusText().ToUtf8().find("\n1 文件夹\n"), std::string::npos);

  // Another slot's scan stops this one: its progress goes, its chart stays empty.
  view->OpenFolderInSlot(5, CString(tree.Full(L"top").c_str()));
  EXPECT_TRUE(view->Pie(4).GetStatusText().IsEmpty());
  EXPECT_FALSE(view->Pie(5).GetStatusText().IsEmpty());
  ASSERT_TRUE(WaitFor([&] { return view->ScanSlot() == 0; }));
  // Drawn: the progress is gone.
  EXPECT_TRUE(view->Pie(5).GetStatusText().IsEmpty());
  EXPECT_GT(view->Pie(5).GetSliceCount(), 0);
  EXPECT_EQ(view->Pie(4).GetSliceCount(), 0);
}

TEST_F(ViewTest, ButtonsClicksAndCommands) {
  // The home-page button opens the home page; exit and WM_CLOSE close the frame.
  view->SendMessage(WM_COMMAND, MAKEWPARAM(CKestrinView::kHomeButtonId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(view->GetDlgItem(CKestrinView::kHomeButtonId)));
  view->SendMessage(WM_COMMAND, MAKEWPARAM(CKestrinView::kExitButtonId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(view->GetDlgItem(CKestrinView::kExitButtonId)));
  EXPECT_EQ(host.closes, 1);
  view->SendMessage(WM_CLOSE);
  EXPECT_EQ(host.closes, 2);
  EXPECT_TRUE(view->m_hWnd != nullptr && IsWindow(view->m_hWnd));
  // A release of the button in the view plays the click.
  view->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(300, 240));
  ASSERT_EQ(system.calls.size(), 2u);
  EXPECT_EQ(system.calls[0].rfind(L"url:http", 0), 0u);
  EXPECT_EQ(system.calls[1], L"sound:WAV\\Windows XP.wav");
  // The print commands are the view's, and print nothing.
  EXPECT_TRUE(view->HandlesCommand(ID_FILE_PRINT));
  EXPECT_TRUE(view->HandlesCommand(ID_FILE_PRINT_PREVIEW));
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT);
}

TEST_F(ViewTest, PaintsTheButtonFaceBehindItsChildren) {
  const CRect client = view->GetClientRect();
  dravon_test::Canvas canvas(client.Width(), client.Height());
  canvas.dc().FillSolidRect(client, RGB(255, 0, 255));
  view->SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(canvas)), PRF_CLIENT);
  for (const POINT& p : {POINT{0, 0}, POINT{560, 240}, POINT{client.right - 1, client.bottom - 1}}) {
    EXPECT_EQ(canvas.Pixel(p.x, p.y), GetSysColor(COLOR_BTNFACE)) << p.x << "," << p.y;
  }
}

TEST_F(ViewTest, MadeAndEndedManyTimesLeavesNothingBehind) {
  view.reset();
  auto cycle = [&] {
    afx::Window<CKestrinView> v(system);
    ASSERT_TRUE(v.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 585, 420), &host, 1));
    v.OpenFolderInSlot(1, CString(tree.Root().c_str()));
  };
  cycle();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 30; ++i) cycle();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_EQ(after.user, before.user);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(afx::WindowsEndedByBase(), 0);
}

namespace {

// The middle of slice `index` of a pie, `fraction` of the rim radius out.
CPoint InSlice(CPieChartCtrl& pie, int index, double fraction = 0.7) {
  int from = pie.GetStartAngle();
  for (int i = 0; i < index; ++i) from += pie.GetSliceAngle(i);
  const geom::Rect square = pie.GetPieRect().ToGeom();
  return CPoint(diskview::AnglePoint(square, from + pie.GetSliceAngle(index) / 2,
                                     diskview::RimRadius(square) * fraction));
}

// The mouse comes to rest at `p`: a move, then the hover the system sends.
std::string TipAt(CPieChartCtrl& pie, CPoint p) {
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  pie.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(p.x, p.y));
  return pie.GetShownTip().ToUtf8();
}

void DoubleClick(CPieChartCtrl& pie, CPoint p) {
  const LPARAM at = MAKELPARAM(p.x, p.y);
  pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  pie.SendMessage(WM_LBUTTONUP, 0, at);
  pie.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  pie.SendMessage(WM_LBUTTONUP, 0, at);
}

// Inside the square, outside the disc.
CPoint SquareCorner(CPieChartCtrl& pie) {
  const CRect square = pie.GetPieRect();
  return CPoint(square.left + 2, square.top + 2);
}

// The rows of an info box, group by group.
std::vector<std::string> AllRows(CKestrinView& view, int slot) {
  std::vector<std::string> rows;
  for (int group = 0; group < 3; ++group) {
    for (const diskview::InfoLine& line : view.Info(slot).Model()->Group(group)) {
      rows.push_back(line.text + "|" + std::to_string(line.value));
    }
  }
  return rows;
}

// top: big (p 3000, q 1000), small 1000, two tiny folders of 100 and its own
// file of 200: slices big 267, small 67, its files 13, the remainder 13.
class SlotWalkTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    ASSERT_TRUE(tree.Folder(L"top"));
    ASSERT_TRUE(tree.Folder(L"top\\big"));
    FolderWithFile(L"top\\big\\p", 3000);
    FolderWithFile(L"top\\big\\q", 1000);
    FolderWithFile(L"top\\small", 1000);
    FolderWithFile(L"top\\t1", 100);
    FolderWithFile(L"top\\t2", 100);
    ASSERT_TRUE(tree.File(L"top\\own", 200));
  }
  CPieChartCtrl& Pie1() { return view->Pie(1); }
};

}  // namespace

TEST_F(SlotWalkTest, TipsNameEverySlice) {
  // An empty slot shows no tip.
  EXPECT_EQ(TipAt(Pie1(), CPoint(45, 45)), "");
  Fill(1, tree.Full(L"top"));
  ASSERT_EQ(Slices(Pie1()), (S{{Palette(0), 267}, {Palette(1), 67}, {Palette(2), 13}, {Palette(3), 13}}));
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "big\n3.91 Kb · 74.1 %");
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 1)), "small\n1000 byte · 18.5 %");
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 2)), "（本文件夹中的文件）\n200 byte · 3.7 %");
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 3)), "其它 2 个文件夹\n200 byte · 3.7 %");
  // Leaving the disc hides it.
  Pie1().SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(SquareCorner(Pie1()).x, SquareCorner(Pie1()).y));
  EXPECT_EQ(Pie1().GetShownTip().ToUtf8(), "");

  // A scanning slot shows none: the scan waits for this thread at its rows.
  view->DiskTree().SetRowQueueLimit(1);
  view->OpenFolderInSlot(2, CString(tree.Full(L"top").c_str()));
  ASSERT_TRUE(view->DiskTree().IsScanning());
  EXPECT_EQ(TipAt(view->Pie(2), CPoint(45, 45)), "");
  ASSERT_TRUE(WaitFor([&] { return view->ScanSlot() == 0; }));
  EXPECT_EQ(TipAt(view->Pie(2), InSlice(view->Pie(2), 1)), "small\n1000 byte · 18.5 %");
}

TEST_F(SlotWalkTest, ADoubleClickOpensAFolderAsItsScanWouldAndGoesBackUp) {
  // What a scan of top\big draws, for comparison.
  Fill(2, tree.Full(L"top\\big"));
  const S bigSlices = Slices(view->Pie(2));
  ASSERT_EQ(bigSlices, (S{{Palette(0), 270}, {Palette(1), 90}}));
  const std::vector<std::string> bigRows = AllRows(*view, 2);

  Fill(1, tree.Full(L"top"));
  const S topSlices = Slices(Pie1());
  const std::vector<std::string> topRows = AllRows(*view, 1);
  diskview::CMyFolder& root = view->RootFolder();
  // The remainder and the folder's own files open nothing.
  DoubleClick(Pie1(), InSlice(Pie1(), 2));
  DoubleClick(Pie1(), InSlice(Pie1(), 3));
  EXPECT_EQ(Slices(Pie1()), topSlices);
  EXPECT_TRUE(view->Chart(1).AtRoot());

  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(Slices(Pie1()), bigSlices);
  EXPECT_EQ(AllRows(*view, 1), bigRows);
  EXPECT_EQ(view->Chart(1).Node()->GetName(), "big");
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "p\n2.93 Kb · 75.0 %");
  // The scans' root and the disk tree's selection are left as they were.
  EXPECT_EQ(view->DiskTree().GetSelectedFolder(), &root);
  EXPECT_EQ(root.GetName(), CString(tree.Full(L"top").c_str()).ToUtf8());
  // A folder with no subfolders: its one slice is its own files.
  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(view->Chart(1).Node()->GetName(), "p");
  EXPECT_EQ(Slices(Pie1()), (S{{Palette(0), 360}}));
  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(view->Chart(1).Node()->GetName(), "p") << "its files open nothing";

  // Up by the square outside the disc, then by Backspace, to the top.
  DoubleClick(Pie1(), SquareCorner(Pie1()));
  EXPECT_EQ(Slices(Pie1()), bigSlices);
  EXPECT_EQ(GetFocus(), Pie1().m_hWnd);
  Pie1().SendMessage(WM_KEYDOWN, VK_BACK, 1);
  EXPECT_EQ(Slices(Pie1()), topSlices);
  EXPECT_EQ(AllRows(*view, 1), topRows);
  // Not past the scanned folder.
  Pie1().SendMessage(WM_KEYDOWN, VK_BACK, 1);
  DoubleClick(Pie1(), SquareCorner(Pie1()));
  EXPECT_TRUE(view->Chart(1).AtRoot());
  EXPECT_EQ(Slices(Pie1()), topSlices);
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "big\n3.91 Kb · 74.1 %");

  // A new scan of the slot starts at its root again.
  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  ASSERT_FALSE(view->Chart(1).AtRoot());
  Fill(1, tree.Full(L"top"));
  EXPECT_TRUE(view->Chart(1).AtRoot());
  EXPECT_EQ(Slices(Pie1()), topSlices);
}

// Slot 1 charts a folder below its root while slot 2 is scanned into the
// root node they share: slot 1 still reads its own tree, and can walk it.
// Also run with Wine's heap checks (app_win_slot_walk_heap_checked), which
// fill freed blocks: a slot left pointing into the freed tree reads garbage.
TEST_F(SlotWalkTest, ARescanOfAnotherSlotLeavesAChartedSubfolderWhole) {
  Fill(1, tree.Full(L"top"));
  const S topSlices = Slices(Pie1());
  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  ASSERT_EQ(view->Chart(1).Node()->GetName(), "big");
  const diskview::CMyFolder* big = view->Chart(1).Node();

  Fill(2, tree.Full(L"top\\small"));
  Fill(3, tree.Full(L"top\\big"));
  EXPECT_EQ(view->RootFolder().GetName(), CString(tree.Full(L"top\\big").c_str()).ToUtf8());
  EXPECT_EQ(view->Chart(1).Node(), big);
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "p\n2.93 Kb · 75.0 %");
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 1)), "q\n1000 byte · 25.0 %");
  Pie1().SendMessage(WM_KEYDOWN, VK_BACK, 1);
  EXPECT_EQ(Slices(Pie1()), topSlices);
  EXPECT_EQ(RowText(*view, 1, 2, diskview::kInfoFileSize), "5.27 Kb");
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 1)), "small\n1000 byte · 18.5 %");
  // Slots 2 and 3 walk their own trees too.
  DoubleClick(view->Pie(3), InSlice(view->Pie(3), 0));
  EXPECT_EQ(view->Chart(3).Node()->GetName(), "p");
  Fill(4, tree.Full(L"top"));
  view->Pie(3).SendMessage(WM_KEYDOWN, VK_BACK, 1);
  EXPECT_EQ(Slices(view->Pie(3)), (S{{Palette(0), 270}, {Palette(1), 90}}));
}

TEST_F(SlotWalkTest, TheTipComesByTheRealPointerResting) {
  host.ShowWindow(SW_SHOW);
  SetForegroundWindow(host.m_hWnd);
  flush_events(50);
  Fill(1, tree.Full(L"top"));
  POINT at = InSlice(Pie1(), 0);
  ClientToScreen(Pie1().m_hWnd, &at);
  SetCursorPos(at.x, at.y);
  ASSERT_TRUE(WaitFor([&] { return !Pie1().GetShownTip().IsEmpty(); }));
  EXPECT_EQ(Pie1().GetShownTip().ToUtf8(), "big\n3.91 Kb · 74.1 %");
  // The pointer leaves the window: the tip goes.
  SetCursorPos(at.x + 300, at.y + 300);
  EXPECT_TRUE(WaitFor([&] { return Pie1().GetShownTip().IsEmpty(); }));
}

// A drive's scan sets no folder rows of its own (group 2): back at the
// drive from a folder opened below it, those the folder set go again.
TEST_F(SlotWalkTest, BackAtADriveItsRowsAreAsItsScanLeftThem) {
  view->SetDiskSpaceQuery([](const std::string&, platform::DiskSpaceHalves& out) {
    out = platform::DiskSpaceHalves{1000000000u, 0, 3000000000u, 0};
    return true;
  });
  // The empty path, the current folder, is charted as a drive root is.
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(tree.Full(L"top").c_str()));
  Fill(1, L"");
  SetCurrentDirectoryW(before);
  using namespace diskview;
  ASSERT_TRUE(WaitFor([&] { return RowText(*view, 1, 2, kInfoSize) == "2.79 Gb"; }));
  const std::vector<std::string> driveRows = AllRows(*view, 1);
  EXPECT_EQ(RowText(*view, 1, 2, kInfoFileSize), "");
  EXPECT_EQ(RowText(*view, 1, 1, kInfoFileSize), "5.27 Kb");
  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(RowText(*view, 1, 2, kInfoFileSize), "3.91 Kb");
  EXPECT_EQ(RowText(*view, 1, 2, kInfoSize), "2.79 Gb") << "a folder's scan keeps the drive's rows";
  Pie1().SendMessage(WM_KEYDOWN, VK_BACK, 1);
  ASSERT_TRUE(WaitFor([&] { return RowText(*view, 1, 2, kInfoSize) == "2.79 Gb"; }));
  EXPECT_EQ(AllRows(*view, 1), driveRows);
}

// A charted folder's menu, by right clicks on the chart (the menu itself is
// read and chosen from through the view's chooser).
class FolderMenuTest : public SlotWalkTest {
 protected:
  struct Shown {
    int shows = 0;
    std::vector<std::string> items;  // separators left out
    std::vector<bool> enabled;
  };
  // Sets what the next menus choose (0: none) and records them in `shown`.
  void Choose(UINT command) {
    view->SetMenuChooser([this, command](HMENU menu, POINT) -> UINT {
      ++shown.shows;
      shown.items.clear();
      shown.enabled.clear();
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[80] = {};
        if (GetMenuStringW(menu, i, text, 80, MF_BYPOSITION) == 0) continue;
        shown.items.push_back(platform::Narrow(text));
        shown.enabled.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) == 0);
      }
      return command;
    });
  }
  void RightClick(CWnd& wnd, CPoint p) {
    const LPARAM at = MAKELPARAM(p.x, p.y);
    wnd.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
    wnd.SendMessage(WM_RBUTTONUP, 0, at);
  }
  void WaitForRescan() {
    ASSERT_TRUE(WaitFor([&] { return view->ScanSlot() == 0 && view->RescanSlot() == 0; }));
  }
  Shown shown;
  const std::vector<std::string> kFolderItems{"打开", "复制路径", "重新扫描", "删除到回收站…",
                                              "最大的文件与类型…"};
};

TEST_F(FolderMenuTest, OnEachKindOfSliceOnTheSquareAndElsewhere) {
  Choose(0);
  // An empty slot has no folder: the window menu.
  RightClick(Pie1(), CPoint(45, 45));
  ASSERT_EQ(shown.shows, 1);
  ASSERT_FALSE(shown.items.empty());
  EXPECT_EQ(shown.items[0], "窗口至顶  Ctrl+E");

  Fill(1, tree.Full(L"top"));
  RightClick(Pie1(), InSlice(Pie1(), 0));  // big
  EXPECT_EQ(shown.items, kFolderItems);
  EXPECT_EQ(shown.enabled, (std::vector<bool>{true, true, true, true, true}));
  for (int slice : {2, 3}) {  // its own files, the remainder
    RightClick(Pie1(), InSlice(Pie1(), slice));
    EXPECT_EQ(shown.items, kFolderItems) << slice;
    EXPECT_EQ(shown.enabled, (std::vector<bool>{true, true, true, false, true})) << slice;
  }
  RightClick(Pie1(), SquareCorner(Pie1()));
  EXPECT_EQ(shown.enabled, (std::vector<bool>{true, true, true, true, true}));
  // The menu key and Shift+F10 give the chart this message: the charted folder.
  Pie1().SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Pie1().m_hWnd), MAKELPARAM(-1, -1));
  EXPECT_EQ(shown.shows, 6);
  EXPECT_EQ(shown.enabled, (std::vector<bool>{true, true, true, true, true}));
  // Beside the square, and on the info box: the window menu.
  const CRect square = Pie1().GetPieRect();
  RightClick(Pie1(), CPoint(square.right + 2, square.bottom - 2));
  EXPECT_EQ(shown.items[0], "窗口至顶  Ctrl+E");
  RightClick(view->Info(1), CPoint(5, 5));
  EXPECT_EQ(shown.items[0], "窗口至顶  Ctrl+E");
  EXPECT_EQ(shown.shows, 8);
}

TEST_F(FolderMenuTest, OpensAndCopiesTheFolderOrTheChartedOne) {
  Fill(1, tree.Full(L"top"));
  Choose(ID_SLICE_OPEN);
  RightClick(Pie1(), InSlice(Pie1(), 0));
  ASSERT_FALSE(system.calls.empty());
  EXPECT_EQ(system.calls.back(), L"open:" + tree.Full(L"top\\big"));
  RightClick(Pie1(), InSlice(Pie1(), 3));  // the remainder: the charted folder
  EXPECT_EQ(system.calls.back(), L"open:" + tree.Full(L"top"));

  Choose(ID_SLICE_COPY_PATH);
  RightClick(Pie1(), InSlice(Pie1(), 1));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<none>";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(text, tree.Full(L"top\\small"));
}

TEST_F(FolderMenuTest, ARescanShowsWhatAFullScanShows) {
  Fill(1, tree.Full(L"top"));
  // Changed below big, and elsewhere.
  ASSERT_TRUE(tree.File(L"top\\big\\p\\more", 5000));
  ASSERT_TRUE(DeleteFileW(tree.Full(L"top\\big\\q\\data").c_str()));
  ASSERT_TRUE(tree.File(L"top\\t1\\data2", 900));
  Choose(ID_SLICE_RESCAN);
  RightClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(view->RescanSlot(), 1);
  WaitForRescan();
  // Only big was read again; the totals above it follow.
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "big\n7.81 Kb · 85.1 %");
  EXPECT_EQ(RowText(*view, 1, 2, diskview::kInfoFileSize), "9.18 Kb");

  // The whole chart, from the square: as a fresh scan of the folder.
  RightClick(Pie1(), SquareCorner(Pie1()));
  WaitForRescan();
  Fill(2, tree.Full(L"top"));
  EXPECT_EQ(Slices(Pie1()), Slices(view->Pie(2)));
  EXPECT_EQ(AllRows(*view, 1), AllRows(*view, 2));
  for (int i = 0; i < Pie1().GetSliceCount(); ++i) {
    EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), i)), TipAt(view->Pie(2), InSlice(view->Pie(2), i))) << i;
  }
  // Opened below the root, a rescan of the charted folder redraws it there.
  ASSERT_TRUE(tree.File(L"top\\big\\q\\back", 1000));
  DoubleClick(Pie1(), InSlice(Pie1(), 0));
  ASSERT_EQ(view->Chart(1).Node()->GetName(), "big");
  RightClick(Pie1(), SquareCorner(Pie1()));
  WaitForRescan();
  EXPECT_EQ(Slices(Pie1()), (S{{Palette(0), 320}, {Palette(1), 40}}));
  Pie1().SendMessage(WM_KEYDOWN, VK_BACK, 1);
  EXPECT_EQ(RowText(*view, 1, 2, diskview::kInfoFileSize), "11.04 Kb");
}

TEST_F(FolderMenuTest, MovesAFolderToTheRecycleBinAfterOneQuestion) {
  Fill(1, tree.Full(L"top"));
  Choose(ID_SLICE_RECYCLE);
  // No: nothing goes.
  system.answer = IDNO;
  RightClick(Pie1(), InSlice(Pie1(), 0));
  ASSERT_FALSE(system.calls.empty());
  EXPECT_EQ(system.calls.back(),
            L"box:确定要把“big”（3.91 Kb，2 个文件）移到回收站吗？|删除到回收站|" +
                std::to_wstring(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_NE(GetFileAttributesW(tree.Full(L"top\\big").c_str()), INVALID_FILE_ATTRIBUTES);

  system.answer = IDYES;
  RightClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(system.calls.back(), L"recycle:" + tree.Full(L"top\\big"));
  EXPECT_EQ(GetFileAttributesW(tree.Full(L"top\\big").c_str()), INVALID_FILE_ATTRIBUTES);
  // In the Recycle Bin: Wine's is the trash folder the test named.
  wchar_t trash[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"XDG_DATA_HOME", trash, MAX_PATH), 0u);
  std::wstring kept = L"Z:" + std::wstring(trash) + L"/Trash/files/big/p/data";
  std::replace(kept.begin(), kept.end(), L'/', L'\\');
  EXPECT_NE(GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES) << platform::Narrow(kept);
  WaitForRescan();
  // The chart is that of the folder without it.
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "small\n1000 byte · 71.4 %");
  EXPECT_EQ(RowText(*view, 1, 2, diskview::kInfoFileSize), "1.37 Kb");
  EXPECT_NE(GetFileAttributesW(tree.Full(L"top\\small\\data").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The answer is for the chart the question was asked on: a scan that
// charts the slot anew while it is up (its old nodes freed) moves nothing.
TEST_F(FolderMenuTest, AChartMadeAgainWhileAskingMovesNothing) {
  Fill(1, tree.Full(L"top"));
  Choose(ID_SLICE_RECYCLE);
  system.answer = IDYES;
  system.whileAsking = [&] {
    system.whileAsking = nullptr;
    Fill(1, tree.Full(L"top"));
  };
  RightClick(Pie1(), InSlice(Pie1(), 0));
  for (const std::wstring& call : system.calls) EXPECT_EQ(call.rfind(L"recycle:", 0), std::wstring::npos);
  EXPECT_NE(GetFileAttributesW(tree.Full(L"top\\big").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(view->RescanSlot(), 0);
  // Asked again on the new chart, it goes.
  RightClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(system.calls.back(), L"recycle:" + tree.Full(L"top\\big"));
  WaitForRescan();
  EXPECT_EQ(TipAt(Pie1(), InSlice(Pie1(), 0)), "small\n1000 byte · 71.4 %");
}

TEST_F(FolderMenuTest, RefusedFoldersAreNamedAndKept) {
  diskview::ProtectedFolders folders;
  folders.whole = {CString(tree.Full(L"top\\big").c_str()).ToUtf8()};
  folders.program = CString(tree.Full(L"top\\small").c_str()).ToUtf8();
  view->SetProtectedFolders(folders);
  Fill(1, tree.Full(L"top"));
  Choose(ID_SLICE_RECYCLE);
  system.answer = IDYES;
  const std::wstring warn = L"|删除到回收站|" + std::to_wstring(MB_OK | MB_ICONWARNING);
  RightClick(Pie1(), InSlice(Pie1(), 0));
  EXPECT_EQ(system.calls.back(),
            L"box:“" + tree.Full(L"top\\big") + L"”是系统文件夹或含有系统文件夹，不能移到回收站。" + warn);
  RightClick(Pie1(), InSlice(Pie1(), 1));
  EXPECT_EQ(system.calls.back(),
            L"box:“" + tree.Full(L"top\\small") + L"”含有正在运行的 Dravon，不能移到回收站。" + warn);
  // The folder holding them, from the square.
  RightClick(Pie1(), SquareCorner(Pie1()));
  EXPECT_EQ(system.calls.back(),
            L"box:“" + tree.Full(L"top") + L"”含有正在运行的 Dravon，不能移到回收站。" + warn);
  for (const std::wstring& call : system.calls) EXPECT_EQ(call.rfind(L"recycle:", 0), std::wstring::npos);
  EXPECT_EQ(view->RescanSlot(), 0);

  // The system's own: the Windows folder and the drive root are refused by
  // what the shell names them.
  view->SetProtectedFolders(shell::SystemProtectedFolders());
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  const diskview::ProtectedFolders system32 = shell::SystemProtectedFolders();
  EXPECT_EQ(diskview::CheckFolderDelete(platform::Narrow(windows), system32),
            diskview::DeleteRefusal::kSystemFolder);
  EXPECT_EQ(diskview::CheckFolderDelete(platform::Narrow(windows).substr(0, 3), system32),
            diskview::DeleteRefusal::kDriveRoot);
  EXPECT_EQ(diskview::CheckFolderDelete(CString(tree.Full(L"top").c_str()).ToUtf8(), system32),
            diskview::DeleteRefusal::kNone);
}
