// CTabSheet: a tab control that carries dialog pages as its own children,
// one page per tab, every page made when the sheet is shown (so each reads
// its state then, not when its tab is first chosen).
//
// The page shown is always the selected tab's. A click selects a tab as the
// button goes down and shows its page when it is released (a release away
// from the tabs too: the press captures it). The keyboard chooses a tab as
// well: in button mode the arrow keys only move the focus between the tabs,
// so a focus change selects the focused tab, and any selection that comes
// without a click shows its page at once.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CTabSheet : public CTabCtrl {
 public:
  static constexpr int kMaxPages = 16;

  // Registers a page under a tab caption; the page (owned by the caller)
  // is made from its own template by ShowPages. False when the table is
  // full (nothing changes).
  bool AddPage(const wchar_t* title, CDialog* page);
  // Makes every page as a child of the tab control, adds the tabs, shows
  // the first page and places them all (LayoutPages).
  void ShowPages();
  // Places every page below the row of tabs; the current page is shown on
  // top, the others are hidden.
  void LayoutPages();

  int GetPageCount() const { return count_; }
  int GetCurrentPage() const { return current_; }
  CDialog* GetPage(int index) const {
    return index >= 0 && index < count_ ? pages_[index] : nullptr;
  }

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnCaptureChanged(HWND gaining);
  bool OnSelChange(NMHDR& header);
  bool OnFocusChange(NMHDR& header);
  // Hides the current page and shows page `index` instead.
  void SwitchTo(int index);
  // The tabs' row has the new font's height: the pages go below it again.
  void OnDpiChanged(UINT dpi) override;

  std::wstring titles_[kMaxPages];
  CDialog* pages_[kMaxPages] = {};
  int count_ = 0;
  int current_ = 0;
  bool pressing_ = false;  // inside the tab control's own button-down handling
  bool tracking_ = false;  // a press changed the selection; its release is ours
};
