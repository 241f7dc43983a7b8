// CDiskTreeCtrl: the folder tree of the disk overview, a super grid with one
// row per scanned folder and one per folder's group of files, in four
// centred columns: name, total size, folders and files of the subtree. Cells
// are not stored: each is asked of the row's CMyFolder when shown.
//
// It owns the background scan that fills it (DiskScan, with the Win32
// listing). Only the rows the open root shows come from the worker: its
// insertions of the root's children are queued and carried out on the
// user-interface thread in batches, in the worker's order, each whole (the
// node and its row together): those rows are at every moment a prefix of
// the scan's, and the ones asked for before a stop are all there once
// StopScan returns. Deeper rows cost nothing during the scan: a folder's
// rows are made from its finished CMyFolder when it is first opened (a
// grid node and record per row shown, not per folder scanned), in the
// folder's order, so the rows read as if every one had been made at once.
// While a scan runs a row shows only its name until its folder is
// finished; totals and the rows below appear as folders complete.
//
// What the owner (the view) does:
//   - create it as a child (the view keeps it hidden); its parent receives
//     the slot's completion message WM_SCAN_DONE_n (wParam 1) and must ignore
//     one that arrives while IsScanning() (a newer scan owns the root then);
//     the window named with SetProgressWindow, if any, gets WM_SCAN_PROGRESS
//     (the program names its main frame);
//   - before each scan: StopScan, name the root folder with the path, hand
//     it over with SetRootFolder, then StartScan(slot);
//   - after the completion: GetSelectedFolder is the node to chart.
// The control never owns the folder tree. Ending the control (destructor or
// window destruction) stops a running scan first.
#pragma once

#include <windows.h>

#include <memory>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/ScanNotifierWin.h"
#include "framework/ImageList.h"
#include "framework/supergridctrl.h"
#include "platform/DirEnumWin.h"

class CDiskTreeCtrl : public CTreeGrid<diskview::TreeItemInfo> {
 public:
  // Headers of the four columns, each LVCFMT_CENTER and kColumnWidth wide.
  static constexpr const wchar_t* kColumns[4] = {L"系统文件名", L"文件大小", L"文件夹个数",
                                                 L"文件个数"};
  static constexpr int kColumnWidth = 200;
  // Images of bitmap 131 (IDB_TREE_IMAGES), cyan transparent.
  static constexpr int kImageExpanded = 0;
  static constexpr int kImageCollapsed = 1;
  static constexpr int kImageFileGroup = 2;
  // Their size at 96 DPI; made for the window's DPI.
  static constexpr int kImageSize = 16;
  // Rows the worker may have queued before it waits for this thread.
  static constexpr int kDefaultRowQueue = 8192;

  CDiskTreeCtrl();
  ~CDiskTreeCtrl() override;

  // Where the scans' progress goes (WM_SCAN_PROGRESS); none by default.
  // Read when a scan starts.
  void SetProgressWindow(HWND window) { progressWindow_ = window; }
  HWND ProgressWindow() const { return progressWindow_; }

  // The folder to scan next (its name is the path; empty: the current
  // directory). Not owned. Ignored while a scan runs.
  void SetRootFolder(diskview::CMyFolder* root);
  diskview::CMyFolder* GetRootFolder() const { return scan_.Root(); }

  // Empties the rows, clears the root folder and scans it for slot 1..5
  // (which only picks the completion message). Does nothing while a scan
  // runs, without a root folder or without a window.
  void StartScan(int slot);
  // Stops a running scan and waits for its worker (handling the insertions
  // it has pending) at most DiskScan::kStopWait; posts the end notification.
  // The partial rows stay, unless the worker did not answer: it is left
  // behind, its rows go.
  void StopScan();
  bool IsScanning() const { return scan_.IsScanning(); }
  // The latest scan ran to its end (its completion is posted or on its way).
  bool ScanCompleted() const { return scan_.Completed(); }
  bool ScanWorkerEnded() const { return scan_.WorkerEnded(); }
  // A scan of this slot was left behind, blocked in its drive, and still
  // runs: the slot takes no new scan until it ends.
  bool SlotHangs(int slot) { return scan_.SlotHangs(slot); }
  int WorkersLeftBehind() { return scan_.WorkersLeftBehind(); }
  // How long a stop waits for the worker before leaving it behind (tests).
  void SetStopWait(std::chrono::milliseconds wait) { scan_.SetStopWait(wait); }
  // How many rows the worker may queue ahead of this thread; 1 makes every
  // insertion wait until it is done (tests hold a scan so). Ignored while a
  // scan runs.
  void SetRowQueueLimit(int rows);
  // Bytes of the files seen so far by the running or last scan.
  double ProgressBytes() const { return scan_.ProgressBytes(); }
  // Folders finished so far by the running or last scan.
  long long ProgressFolders() const { return scan_.ProgressFolders(); }

  // The folder behind the first selected row, or null.
  diskview::CMyFolder* GetSelectedFolder() const;
  // Removes every row (and the tree's nodes); the folders stay.
  void DeleteAll() { DeleteTree(false); }
  // As the super grid's, after stopping a running scan.
  void DeleteTree(bool selectedOnly = false);

  // File group 2; otherwise 1 while the row's children are hidden, else 0.
  int GetIcon(const GridTreeNode* node) const override;

 protected:
  // A row below the root stands for its finished folder's children until
  // it makes their rows.
  bool HasUnmadeChildren(const GridTreeNode& node) const override;
  void MakeChildren(GridTreeNode& node) override;
 public:

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  class RowSink;
  // WM_DISKTREE_INSERT_ROW's wParam: carry out the whole queue, not a batch.
  static constexpr WPARAM kCarryOutAll = 1;

  int OnCreate(CREATESTRUCTW& cs);
  void OnDpiChanged(UINT dpi) override;
  // The row images for `dpi`, the grid's icon size with them.
  void MakeImages(UINT dpi);
  void OnDestroy();
  LRESULT OnGetDispInfo(NMLVDISPINFOW& info);
  // The worker's requests (sent; their data waits in the sink).
  LRESULT OnInsertRow(WPARAM, LPARAM);
  LRESULT OnRedraw(WPARAM, LPARAM);
  LRESULT OnSelectRoot(WPARAM, LPARAM);
  // The folder a row shows, or null.
  static diskview::CMyFolder* FolderOf(const GridTreeNode* node);

  CImageList images_;
  HWND progressWindow_ = nullptr;
  // Shared with the workers: one left behind keeps it alive.
  std::shared_ptr<platform::DirEnumWin> dirs_;
  diskview::ScanNotifierWin notifier_;
  std::unique_ptr<RowSink> rows_;
  // Last: it stops and joins its worker before the members it uses go.
  diskview::DiskScan scan_;
};
