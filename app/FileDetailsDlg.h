// CFileDetailsDlg: "文件详情 – <path>", the largest files and the file types
// of a charted folder, in two tabs of sortable lists (a click on a header
// sorts by that column, again the other way). The files' list narrows as
// the user types a name filter (text, or a pattern with * and ?) or a
// minimum size; a double click or "打开所在文件夹" shows the file selected
// in Explorer; the selected files can be moved to the Recycle Bin (one
// question, the same refusals as for folders) or their paths copied; both
// tables export as CSV (FileStatsCsv).
//
// The numbers are gathered when the window opens, on a thread of its own
// (GatherFileStats over the Win32 listing), with the files counted so far
// in the status line; closing the window stops the walk, and a walk that
// hangs in its drive is left to end by itself, holding nothing of the
// window's. Resizable; every pixel of its layout is a 96-DPI pixel scaled
// for the window's DPI.
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/SystemActions.h"
#include "app/diskview/DeleteRules.h"
#include "app/diskview/scan/FileStats.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"
#include "framework/OffThreadCall.h"

class CFileDetailsDlg : public CDialog {
 public:
  // `folder` as the scan names it (UTF-8); `folders` refused to the bin.
  CFileDetailsDlg(SystemActions& system, std::string folder, diskview::ProtectedFolders folders,
                  CWnd* parent = nullptr);
  ~CFileDetailsDlg() override;

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // For tests and the window's own commands.
  bool Gathered() const { return gathered_; }
  const diskview::FileStats* Stats() const { return stats_.get(); }
  // The files' rows shown, in their order, as indices into Largest().
  const std::vector<std::size_t>& ShownFiles() const { return shownFiles_; }
  const std::vector<diskview::FileRecord>& Largest() const { return largest_; }
  const std::vector<diskview::TypeRow>& Types() const { return types_; }
  const std::vector<std::size_t>& ShownTypes() const { return shownTypes_; }
  // Writes both tables to `path`; false when it cannot be written.
  bool ExportTo(const std::wstring& path) const;
  // The full path of a file of Largest().
  std::wstring FullPath(const diskview::FileRecord& file) const;
  // Some file went to the Recycle Bin from this window.
  bool MovedAny() const { return std::find(gone_.begin(), gone_.end(), true) != gone_.end(); }
  // Tests: the file the export asks for, instead of the save dialog.
  void SetExportPath(std::wstring path) { exportPath_ = std::move(path); }

 private:
  void OnSize(UINT type, int cx, int cy);
  void Layout();
  LRESULT OnStatsReady(WPARAM, LPARAM);
  void OnTimer(UINT_PTR id);
  void ShowStatus();
  void FillLists();
  // The files' filter and sort, applied again.
  void Refilter();
  void SortFiles(int column, bool toggle);
  void SortTypes(int column, bool toggle);
  LRESULT OnGetDispInfo(NMHDR& header);
  LRESULT OnColumnClick(NMHDR& header);
  LRESULT OnDoubleClick(NMHDR& header);
  LRESULT OnTabChange(NMHDR& header);
  void OnFilterChange();
  void OnOpenFolder();
  void OnRecycle();
  void OnCopy();
  void OnExport();
  void OnDestroy();
  void ShowTab(int tab);
  std::vector<std::size_t> SelectedFiles() const;
  void OnGetMinMaxInfo(MINMAXINFO& info);
  // The labels on the files' tab show the tab's own background (white
  // under a theme) behind their text, not the dialog's.
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
  // The tabs' padding (the system's 6 x 3 at 96 DPI) at the window's scale.
  void PadTabs(UINT dpi);

 protected:
  void OnDpiChanged(UINT dpi) override;
  UINT columnsDpi_ = 0;  // the DPI of the lists' column widths

 private:

  SystemActions& system_;
  std::string folder_;
  diskview::ProtectedFolders protected_;
  afx::Window<CListCtrl> files_;
  afx::Window<CListCtrl> types_list_;
  afx::Window<CTabCtrl> tabs_;

  struct Gathering {
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> seen{0};
  };
  std::shared_ptr<Gathering> gathering_;
  std::shared_ptr<OffThreadCall<std::shared_ptr<diskview::FileStats>>> call_;
  std::shared_ptr<diskview::FileStats> stats_;
  bool gathered_ = false;
  bool failed_ = false;

  std::vector<diskview::FileRecord> largest_;
  std::vector<bool> gone_;  // per file of largest_: moved to the Recycle Bin
  std::vector<diskview::TypeRow> types_;
  std::vector<std::size_t> shownFiles_;
  std::vector<std::size_t> shownTypes_;
  int fileSort_ = 1;  // column; size
  bool fileDescending_ = true;
  int typeSort_ = 2;
  bool typeDescending_ = true;
  std::wstring exportPath_;
  std::wstring cell_;  // the text a list asked for last
  // The tab control's picture as a brush, made again after each layout.
  CBitmap tabPicture_;
  CBrush tabBrush_;
};
