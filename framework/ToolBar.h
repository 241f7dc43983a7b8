// CToolBar: a toolbar control loaded from a toolbar resource (type 241:
// version, image width and height, button count, then each button's
// command, 0 for a separator) and the bitmap of the same identifier.
// Tool tips are the text after the line break of the command's string.
// The resource's sizes are 96-DPI pixels: images, buttons, separators and
// the gripper are scaled to the bar's DPI, again at each change of scale
// (a bar with image lists of its own gives them for the new DPI too).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "framework/AfxRes.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

inline constexpr WORD RT_TOOLBAR_ID = 241;

class CToolBar : public CWnd {
 public:
  // `barStyle` takes the window styles and the CBRS_ bar styles together.
  bool CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT,
                DWORD barStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                const RECT& borders = CRect(), UINT id = AFX_IDW_TOOLBAR);
  bool LoadToolBar(UINT id, HINSTANCE module = nullptr);

  int GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
  UINT GetItemID(int index) const;
  DWORD GetBarStyle() const { return barStyle_; }
  // The height the frame gives the bar when it lays it out along the top.
  int CalcHeight() const;
  // Enables each button whose command `target` routes, disables the others.
  void UpdateButtons(CWnd& target);
  // A title line, with an icon before it, above the tool tip of button
  // `command`; a null icon and empty title take it away. The icon stays the
  // caller's and must live as long as the mark.
  void SetTipTitle(UINT command, HICON icon, const std::wstring& title);

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void OnDpiChanged(UINT dpi) override;

 private:
  // The image and button sizes at the bar's DPI.
  void FitToDpi();
  // The tips' font at `dpi`: the one they made for the system DPI, scaled.
  void FitTipsToDpi(UINT dpi);
  // The tool tip of a button: false when there is none (the parent may answer).
  bool OnGetInfoTip(NMTBGETINFOTIPW& tip);
  void OnPaint();
  void DrawGripper();

  struct TipTitle {
    HICON icon;
    std::wstring text;
  };

  DWORD barStyle_ = 0;
  CSize imageSize_;  // the resource's, at 96 DPI
  CBitmap bitmap_;  // the resource bitmap the control draws from
  std::map<UINT, TipTitle> tipTitles_;  // by command
  // The font the tips made for the system DPI, and the one made from it
  // for the bar's DPI (Wine's tips copy a font they are given; a control
  // need not, so it lives as long as the bar).
  LOGFONTW systemTipFont_{};
  CFont tipFont_;
};
