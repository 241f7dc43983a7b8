// CSlideTabCtrl: the information dialog's tab control. Each tab carries its
// page (a child dialog of the control) as its item data; a new tab goes in
// front of the others, or with AppendPage behind them. Choosing a tab hides
// the old page and slides the new one in from the left, 30 pixels every
// 14 ms, until it stands at the page origin (4, 28) of the control's client
// area; there the timer stops. A new choice during a slide starts a slide of
// its own. Step and origin are 96-DPI pixels, scaled for the control's DPI;
// at a change of scale every page goes to the new origin.
#pragma once

#include <windows.h>

#include "framework/Controls.h"

class CSlideTabCtrl : public CTabCtrl {
 public:
  static constexpr int kSlideStep = 30;
  static constexpr UINT kSlidePeriodMs = 14;
  static constexpr UINT_PTR kSlideTimer = 1;
  static constexpr POINT kPageOrigin{4, 28};

  // A tab in front, captioned `caption`, for `page`, which moves to the page
  // origin (keeping its size and z-order, not activated) and stays hidden.
  void AddPage(CWnd& page, const wchar_t* caption);
  // The same, and the page is shown: the page the dialog opens on.
  void AddFirstPage(CWnd& page, const wchar_t* caption);
  // As AddPage, but the tab goes behind the others, last on the right.
  void AppendPage(CWnd& page, const wchar_t* caption);

  // The page of tab `index`, or null.
  CWnd* PageAt(int index) const;
  // The page sliding in, or null once it stands in its place.
  CWnd* SlidingPage() const { return sliding_; }

  // Where a page whose left edge is at `left` goes on the next step:
  // `step` pixels on, the last step no further than `rest`.
  static int NextSlideLeft(int left, int rest, int step);
  // The page origin and the slide step at the control's DPI.
  CPoint PageOrigin() const { return CPoint(Scale(kPageOrigin.x), Scale(kPageOrigin.y)); }
  int SlideStep() const { return Scale(kSlideStep); }

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnSelChanging(NMHDR& header);
  LRESULT OnSelChange(NMHDR& header);
  void OnTimer(UINT_PTR id);
  void InsertPage(int at, CWnd& page, const wchar_t* caption);
  void StartSlide(CWnd& page);
  void StopSlide();
  void OnDpiChanged(UINT dpi) override;

  int insertAt_ = 0;  // every new tab goes in front
  CWnd* sliding_ = nullptr;
};
