// CFrameWnd: a top-level frame with a menu, accelerators, control bars
// docked along its top, and one pane (AFX_IDW_PANE_FIRST) filling the rest.
// CView: a child window that draws itself through OnDraw.
//
// Command routing: the frame's own routes (derived classes first), then the
// view, then the application object.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/AfxRes.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CToolBar;

class CView : public CWnd {
 public:
  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  virtual void OnDraw(CDC& dc) {}

 private:
  void OnPaint();
};

class CFrameWnd : public CWnd {
 public:
  // Creates the window from resource `id`: title (first field of string
  // `id`), menu and accelerator table `id`.
  bool LoadFrame(UINT id, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* parent = nullptr);
  // Places the docked bars along the top and the first pane below them.
  virtual void RecalcLayout();
  // Docks `bar` along the top edge, the only side bars dock to here.
  void DockControlBar(CToolBar* bar);
  void SetActiveView(CWnd* view) { view_ = view; }
  CWnd* GetActiveView() const { return view_; }
  const CString& GetTitle() const { return m_title; }

  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;

 protected:
  void PostNcDestroy() override;
  // Enables the bars' buttons by what the command routes handle.
  void UpdateControlBars();
  // Disables the items of a popup that no route handles.
  void UpdateMenu(HMENU popup);

  UINT m_resourceId = 0;
  HACCEL m_accel = nullptr;
  CString m_title;

 private:
  void OnAppExit();
  // Offers a command the frame's routes did not take to the active view,
  // then (for the main window) to the application.
  bool PassCommand(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnSize(UINT type, int cx, int cy);
  void OnInitMenuPopup(HMENU popup, UINT index, bool systemMenu);
  LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
  void OnClose();

  std::vector<CToolBar*> bars_;
  CWnd* view_ = nullptr;
};
