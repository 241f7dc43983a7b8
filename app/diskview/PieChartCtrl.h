// CPieChartCtrl: the disk overview's chart, a child window of class
// PIE_CHART_CTRL that draws an ordered list of slices (whole degrees, 0 at
// 12 o'clock, clockwise) as a disc on a blue square, with the share of each
// slice above 25 degrees written inside it, a legend row at the top right
// for each labelled slice and an optional title at the top left. Dragging
// with the left button turns the disc one degree per pixel.
//
// A slice may carry a tip: resting the mouse on it (the system's hover
// time) shows the text in a tracking tool tip beside the pointer; moving to
// another slice changes it, leaving the disc hides it. No tip shows while
// a status text is up (the slot scans) or while the disc is dragged. A
// double click on a slice sends the parent WM_PIE_OPEN_SLICE; a double
// click on the square outside the disc, or Backspace while the chart has
// the focus (a click gives it), sends WM_PIE_GO_UP (app/diskview/PieMessages.h).
//
// The geometry is the portable plan of PieChartLayout.h; this class measures
// its texts, asks for the plan and walks it onto an off-screen bitmap.
//
// The owner (the view) constructs it, creates its window, and after each
// scan calls RemoveAllSlices and AddSlice (colours from kSlicePalette); the
// slices and fonts live as long as the object.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/diskview/PieChartLayout.h"
#include "framework/Gdi.h"
#include "framework/String.h"
#include "app/diskview/PanelWnd.h"

class CPieChartCtrl : public CPanelWnd {
 public:
  static constexpr const wchar_t* kClassName = L"PIE_CHART_CTRL";
  // Registers the class for the program's module (the constructor does).
  static bool RegisterPieClass();

  CPieChartCtrl();
  ~CPieChartCtrl() override;

  // Create makes a child window of class PIE_CHART_CTRL.

  // Appends a slice of `angle` degrees and repaints. An empty label means no
  // legend row.
  void AddSlice(COLORREF colour, COLORREF textColour, int angle, const CString& label = CString());
  void RemoveAllSlices();
  int GetSliceCount() const { return static_cast<int>(slices_.size()); }
  // The colour of slice min(index, count - 1); false (and `colour` left as
  // it is) when there is no slice.
  bool GetSliceColour(int index, COLORREF& colour) const;
  // The angle of slice `index` in degrees; 0 when there is no such slice.
  int GetSliceAngle(int index) const {
    return index >= 0 && index < GetSliceCount() ? slices_[static_cast<std::size_t>(index)].input.angle
                                                 : 0;
  }
  // The tip of slice `index`; empty: none. Slices are added without one.
  void SetSliceTip(int index, const CString& tip);
  // The slice drawn at a client point, or -1 (outside the disc, or none).
  int HitTest(CPoint client) const;
  // The tool tip window, once a tip has been shown (null before).
  HWND TipWindow() const { return tip_; }
  // The slice whose tip shows, or -1.
  int TipSlice() const { return tipSlice_; }
  // The text the tool tip shows now, read back from it; empty when it is
  // hidden.
  CString GetShownTip() const;

  // Empty: no title line.
  void SetTitle(const CString& title);
  // Lines written in the middle of the square over whatever it shows (the
  // view's progress while a scan runs); empty: none. Changes no layout.
  void SetStatusText(const CString& text);
  const CString& GetStatusText() const { return status_; }

  int GetStartAngle() const { return startAngle_; }
  // The square that bounds the disc, in client coordinates.
  const CRect& GetPieRect() const { return pieRect_; }
  bool IsDragging() const { return dragging_; }

  void Paint(CDC& dc) override;

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  struct Slice {
    diskview::PieSliceInput input;
    CBrush brush;
    CString tip;
  };

  void OnSize(UINT type, int cx, int cy);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnCaptureChanged(HWND gaining);
  void OnLButtonDblClk(UINT flags, CPoint point);
  void OnKeyDown(UINT key, UINT repeat, UINT flags);
  LRESULT OnMouseHover(WPARAM flags, LPARAM point);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  void OnDestroy();
  void ComputeLayout();
  // The fonts at `dpi`; made again at each change of scale, as the disc.
  void MakeFonts(UINT dpi);
  void OnDpiChanged(UINT dpi) override;
  // Shows the tip of the slice at `point` there, or hides it.
  void ShowTipAt(CPoint point);
  void HideTip();
  // Asks for WM_MOUSEHOVER after the system's hover time, and WM_MOUSELEAVE.
  void TrackMouse();
  void NotifyParent(UINT message, WPARAM wParam);

  int startAngle_ = 0;
  std::vector<Slice> slices_;
  int titleHeight_ = 0;
  CFont titleFont_;
  CFont textFont_;
  CString title_;
  CString status_;
  CPoint lastMouse_;
  bool dragging_ = false;
  CRect pieRect_;
  HWND tip_ = nullptr;  // ours: ended with the chart
  int tipSlice_ = -1;
};
