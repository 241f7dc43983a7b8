// CInfoCtrl: the text panel beside each chart of the disk overview. Three
// framed groups of label/value rows (InfoLayout.h: which rows, their keys
// and labels); a row shows once it has a text or a percentage, as a text
// row (value on dark blue) or a percentage bar. Groups are painted top to
// bottom in the order 0, 2, 1; the first row of a group is its heading.
//
// The rows exist from window creation on (labels from the program's string
// table). The owner sets them with SetLine and repaints with Refresh.
#pragma once

#include <windows.h>

#include <memory>

#include "app/diskview/InfoLayout.h"
#include "framework/Gdi.h"
#include "framework/String.h"
#include "app/diskview/PanelWnd.h"

class CInfoCtrl : public CPanelWnd {
 public:
  CInfoCtrl();

  // Create makes a child window of the control's own class (redrawn whole
  // on resizing).

  // Sets text and percentage (-1: none) of the first row of `group` (0, 1,
  // any other number meaning 2) whose key is `key`. False, changing
  // nothing, when the group has no such row or the window is not created.
  bool SetLine(int key, const CString& text, int value, int group);
  // Repaints the whole client area (without erasing).
  void Refresh();
  // The rows, or null before the window is created.
  const diskview::InfoModel* Model() const { return model_.get(); }

  // Draws the whole client area into `dc` at (0, 0): what the window shows.
  void Paint(CDC& dc) override;
  // The plan Paint walks, for the current rows and client size (empty
  // groups before the window is created).
  diskview::InfoPaintPlan PaintPlan() const;

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int OnCreate(CREATESTRUCTW& cs);
  void OnDpiChanged(UINT dpi) override;
  void DrawRow(CDC& dc, const diskview::InfoRowPlan& row) const;
  // Measures the texts in `dc`, which has the control's font selected.
  diskview::InfoPaintPlan Plan(CDC& dc) const;

  std::unique_ptr<diskview::InfoModel> model_;
  CFont font_;
};
