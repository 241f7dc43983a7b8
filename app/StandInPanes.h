// TEMPORARY panes that keep the main window whole until the splitter and
// the shortcut bar are built. They offer the calls the frame makes of those
// windows, with the smallest behaviour behind them:
//   CStandInSplitter  - one row, two columns, column 0 at its ideal width
//   CStandInDriveBar  - lists the drive items; a click sends WM_BARCLICK
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CStandInSplitter : public CWnd {
 public:
  bool CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id);
  // The child identifier of a pane, as panes are numbered from 0xE900.
  UINT IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
  void SetColumnInfo(int col, int ideal, int minimum);
  void RecalcLayout();
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnSize(UINT, int, int) { RecalcLayout(); }
  int column0Width_ = 0;
};

class CStandInDriveBar : public CWnd {
 public:
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD options);
  // kind 2: the large images (not owned); returns the previous list.
  HIMAGELIST AttachImageList(HIMAGELIST list, int kind);
  int AppendFolder(const wchar_t* name, DWORD data);
  void AddItem(int folder, int index, const wchar_t* text, int image, DWORD data);
  void SelectItem(int index);
  int GetItemCount() const { return static_cast<int>(items_.size()); }
  const CString& GetItemText(int index) const { return items_[static_cast<size_t>(index)].text; }
  int GetItemImage(int index) const { return items_[static_cast<size_t>(index)].image; }
  int GetSelectedItem() const { return selected_; }
  // The item under a client point, or -1.
  int HitTest(POINT p) const;
  CRect ItemRect(int index) const;

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  struct Item {
    CString text;
    int image;
  };
  void OnPaint();
  void OnLButtonDown(UINT flags, CPoint p);

  std::vector<Item> items_;
  HIMAGELIST large_ = nullptr;
  int selected_ = -1;
  CFont font_;
};
