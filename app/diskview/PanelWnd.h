// CPanelWnd: what the disk overview's drawn panels (pie charts, info boxes,
// caption and legend strips) share as windows: a child window of the
// panel's own class, painted whole by Paint, on the screen or into the DC
// of WM_PRINTCLIENT.
#pragma once

#include <windows.h>

#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CPanelWnd : public CWnd {
 public:
  // A child window of the panel's class; false when the class could not
  // be registered or the window not made.
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // Draws the whole client area into `dc` at (0, 0): what the window shows.
  virtual void Paint(CDC& dc) = 0;

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  // `className`: the panel's window class, registered by the panel.
  // `offscreen`: painted through an off-screen bitmap, for panels redrawn
  // often (no flicker).
  CPanelWnd(const wchar_t* className, bool offscreen)
      : className_(className), offscreen_(offscreen) {}

 private:
  void OnPaint();
  void OnPrintClient(HDC dc, UINT flags);

  const wchar_t* className_;
  bool offscreen_;
};
