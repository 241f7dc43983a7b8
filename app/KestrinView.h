// CKestrinView: the disk overview, the main frame's right pane. A fixed
// arrangement of children on a 585-pixel canvas at 96 DPI, scaled to the
// view's DPI (app/ViewLayout.h):
// three pictures, the home-page and exit buttons, five result slots of a
// heading strip, a pie chart and an info box, and the colour legend strip.
//
// A slot is filled by a background scan that the hidden disk tree runs:
// OpenFolderInSlot stops any running scan, clears the slot's chart and
// starts the scan of the path for that slot. The completion (WM_SCAN_DONE_n)
// charts the folder (ScanDone.h's plan); only the completion of the latest
// scan counts, so a slot never shows another folder's tree. While a scan
// runs its slot shows how far it has got, a few times a second. A drive's
// space is asked on a thread of its own (a dead network drive takes the
// network's time-outs); a late answer fills the info rows when it comes. A
// slot whose last scan was left behind, blocked in its drive, takes no new
// scan until that one ends, and says so.
//
// A drawn slot names its slices in tips and can be walked from its chart:
// a double click on a folder's slice charts that folder from the tree in
// memory, a double click on the square outside the disc (or Backspace)
// goes back up, as far as the scanned folder. What each slot charts, and
// the tree that keeps it alive, is the view's own (SlotCharts.h): the root
// node and the disk tree's selection serve the scans alone.
//
// A right click on a folder's slice, on the remainder or own-files slice,
// or on the square around the disc (the charted folder), or the menu key or
// Shift+F10 on a focused chart (the charted folder), shows the folder's
// menu: open it in Explorer, copy its path, rescan it, move it to the
// Recycle Bin. A rescan runs on the disk tree's worker as any scan, into a
// node of its own, and on completion stands in the old subtree's place
// (SubtreeRescan.h); the totals above follow. After a move to the Recycle
// Bin the folder that held it is rescanned that way.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <string>

#include <windows.h>

#include "app/SystemActions.h"
#include "app/ViewLayout.h"
#include "app/diskview/DeleteRules.h"
#include "app/diskview/DiskTreeCtrl.h"
#include "app/diskview/InfoCtrl.h"
#include "app/diskview/scan/MyFolder.h"
#include "app/diskview/PieChartCtrl.h"
#include "app/diskview/ScanDone.h"
#include "app/diskview/SlotCharts.h"
#include "app/diskview/crect.h"
#include "app/diskview/cwnd.h"
#include "framework/Controls.h"
#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/OffThreadCall.h"

class CKestrinView : public CView {
 public:
  static constexpr UINT kDiskTreeId = 103;
  static constexpr UINT kPieId = 104;
  static constexpr UINT kInfoId = 1;
  static constexpr UINT kCaptionId = 3;
  static constexpr UINT kLegendId = 8;
  static constexpr UINT kPictureId = 32771;
  static constexpr UINT kHomeButtonId = 56;
  static constexpr UINT kExitButtonId = 57;
  static constexpr int kPieCount = 6;  // the sixth is made but never placed
  // How often a running scan's slot shows its progress.
  static constexpr UINT kProgressMs = 250;
  // The progress text of a slot whose drive does not answer.
  static constexpr const char* kDriveHangsText = "驱动器无响应";

  explicit CKestrinView(SystemActions& system);

  // Starts the scan of `path` for slot 1..5 (a drive as its root, "C:\").
  void OpenFolderInSlot(int slot, const CString& path);
  // Opens the profile's "DetailLastOpened" (Settings) in slot 1.
  void RestoreLastOpened();

  // The drive query the completion uses (tests give their own drive).
  void SetDiskSpaceQuery(diskview::DiskSpaceQuery query) { query_ = std::move(query); }
  // The slot whose scan is the latest one, until its completion is drawn; 0
  // for none.
  int ScanSlot() const { return scanSlot_; }

  CPieChartCtrl& Pie(int slot) { return pies_[slot - 1]; }
  CInfoCtrl& Info(int slot) { return infos_[slot - 1]; }
  // What slot 1..5 charts.
  const diskview::SlotChart& Chart(int slot) { return charts_.Slot(slot); }
  CDiskTreeCtrl& DiskTree() { return tree_; }

  // Tests: chooses from the view's menus (a folder's, or the window menu)
  // instead of the user: the menu as it would show, the point in screen
  // coordinates; 0 chooses nothing.
  using MenuChooser = std::function<UINT(HMENU menu, POINT screen)>;
  void SetMenuChooser(MenuChooser chooser) { menuChooser_ = std::move(chooser); }
  // Tests: the folders refused to the Recycle Bin (default: the system's).
  void SetProtectedFolders(diskview::ProtectedFolders folders) { protected_ = std::move(folders); }
  // Rescans the last folder of `chain` (the slot's chain, or it and one
  // child of its last folder) for `slot`, as the menu's "重新扫描" does.
  void RescanFolder(int slot, std::vector<diskview::CMyFolder*> chain);
  // Tests: what "最大的文件与类型…" opens for a folder, instead of the window.
  void SetDetailsOpener(std::function<void(const std::string& path)> opener) {
    detailsOpener_ = std::move(opener);
  }
  // The slot whose folder is being rescanned, or 0.
  int RescanSlot() const { return rescan_ ? rescan_->slot : 0; }
  diskview::CMyFolder& RootFolder() { return root_; }

  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void OnDraw(CDC& dc) override;

 private:
  static constexpr UINT_PTR kProgressTimer = 1;

  int OnCreate(CREATESTRUCTW& cs);
  void OnDestroy();
  void OnSize(UINT type, int cx, int cy);
  void OnPrintClient(HDC dc, UINT flags);
  void OnClose();
  void OnContextMenu(HWND, CPoint screen);
  // A charted folder's menu for slot `slot`'s chart; `folder` null for the
  // remainder and own-files slices (the charted folder, fewer items).
  void ShowFolderMenu(int slot, diskview::CMyFolder* folder, CPoint screen);
  // The file details window of a folder, modal, owned by the frame.
  void ShowFileDetails(int slot, const std::vector<diskview::CMyFolder*>& chain);
  void RecycleFolder(int slot, std::vector<diskview::CMyFolder*> chain);
  // Before a scan or rescan of `slot`: stops the running one; false (and
  // nothing starts) when the slot's drive hangs.
  bool StopForScanOf(int slot);
  // The completion of a rescan: the fresh subtree in place, the slot drawn.
  void OnRescanDone();
  // The frame: owner of the questions and reports.
  HWND FrameWindow() const;
  int BoxText(UINT id, const std::string& path, UINT type,
              const std::vector<std::string>& more = {});
  void OnLButtonUp(UINT flags, CPoint point);
  void OnTimer(UINT_PTR id);
  template <int Slot>
  LRESULT OnScanDoneOf(WPARAM flag, LPARAM) {
    OnScanDone(Slot, flag);
    return 0;
  }
  // Charts the root's tree in `slot`, when that is the latest scan's slot
  // and no newer scan owns the root.
  void OnScanDone(int slot, WPARAM flag);
  // A slot's late drive-space answer: its drive rows.
  LRESULT OnDriveSpace(WPARAM slot, LPARAM);
  // The drive query for `slot`, off this thread; false while it has not
  // answered (it fills the rows when it does).
  bool QuerySpace(int slot, const std::string& root, platform::DiskSpaceHalves& out, WPARAM flag);
  void SetDriveLines(int slot, bool queried, const platform::DiskSpaceHalves& space, WPARAM flag);
  // Draws a plan in the slot's chart and info box; the chart's slices and
  // tips are those of the folder the slot charts.
  void ShowPlan(int slot, const diskview::ScanDonePlan& plan, WPARAM flag);
  // Charts the slot's current folder again, as a completed scan of it would.
  void ShowCharted(int slot);
  // The slot's info rows of the folder's own (group 2), as they stand.
  std::vector<diskview::InfoLineUpdate> FolderRows(int slot);
  // From a slot's pie chart: a double-clicked slice, or one folder up.
  LRESULT OnPieOpenSlice(WPARAM slice, LPARAM pie);
  LRESULT OnPieGoUp(WPARAM, LPARAM pie);
  // The slot 1..5 of a pie chart's window, when it is drawn and not
  // scanning; 0 otherwise.
  int WalkableSlotOf(LPARAM pie);
  // Whether `slot` is walkable and still charts what `mark` took when an
  // action began, after a loop that ran other messages.
  bool StillCharted(int slot, const diskview::SlotChart::Mark& mark);
  void OnHomePage();
  void OnExit();
  void OnPrint(UINT) {}  // the view draws nothing for printing

  // A place of the layout table (96-DPI pixels) at the view's DPI.
  CRect Scaled(const geom::Rect& r) const;
  bool CreatePicture(int index);
  // Picture `index` with its bitmap for the view's DPI, at its place.
  void ShowPicture(int index);
  bool CreateButton(CBitmapButton& button, UINT id, UINT bitmapId, geom::Point at);
  // A button with its bitmaps for the view's DPI, at its place and their size.
  void FitButton(CBitmapButton& button, UINT bitmapId, geom::Point at);
  void OnDpiChanged(UINT dpi) override;
  void PlaceSlots();
  // The scanning slot's progress text, or none when no scan runs.
  void ShowProgress();
  void ClearProgress();
  // Says so in the slot's progress text when its drive hangs.
  bool ShowIfHangs(int slot);

  SystemActions& system_;
  diskview::DiskSpaceQuery query_;
  // Before the disk tree: its worker fills this folder, so the tree (and
  // the worker with it) ends first.
  diskview::CMyFolder root_;
  // A rescanned folder's fresh subtree, filled by the disk tree's worker.
  diskview::CMyFolder rescanRoot_;
  // Before the disk tree too: rows may point into a tree a slot has kept.
  diskview::SlotCharts charts_{root_, layout::kViewSlotCount};
  afx::Window<CDiskTreeCtrl> tree_;
  afx::Window<CCaptionStrip> captions_[layout::kViewSlotCount];
  CString path_;  // stays empty; start-up compares it
  afx::Window<CLegendStrip> legend_;
  afx::Window<CPieChartCtrl> pies_[kPieCount];
  afx::Window<CInfoCtrl> infos_[layout::kViewSlotCount];
  // The bitmaps first: the pictures show them and end before them.
  CBitmap pictureBitmaps_[3];
  afx::Window<CStatic> pictures_[3];
  afx::Window<CBitmapButton> homeButton_;
  afx::Window<CBitmapButton> exitButton_;
  int scanSlot_ = 0;
  // Per slot: the drive query whose answer the slot's rows wait for.
  using SpaceAnswer = std::optional<platform::DiskSpaceHalves>;
  struct SpaceQuery {
    std::string root;
    WPARAM flag = 0;
    bool shown = false;  // the slot still shows the chart the answer is for
    std::shared_ptr<OffThreadCall<SpaceAnswer>> call;
  };
  SpaceQuery spaceQueries_[layout::kViewSlotCount];
  struct Rescan {
    int slot = 0;
    diskview::CMyFolder* target = nullptr;
    std::vector<diskview::CMyFolder*> above;
  };
  std::optional<Rescan> rescan_;
  MenuChooser menuChooser_;
  std::function<void(const std::string&)> detailsOpener_;
  std::optional<diskview::ProtectedFolders> protected_;
};
