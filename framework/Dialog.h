// CDialog: a dialog from a template of a given module (each library shows
// its own templates from its own module). Modal with DoModal, modeless with
// Create (a child page with DS_CONTROL is a modeless dialog too). The window
// is attached to the object from its first message (framework/Wnd.h), so
// WM_SETFONT, early WM_MEASUREITEM and notifications of the template's
// controls reach it; the dialog manager's procedure is its default handling.
//
// Its owner: the window given to SetOwner, else the parent object's window,
// else the application's main window (none inside a library).
//
// Commands: IDOK and IDCANCEL run OnOK and OnCancel unless a route of the
// derived class takes them first.
//
// Display scale: the dialog manager lays a template out at the DPI of its
// font, so a dialog is made for the system DPI. When it moves to a monitor
// of another scale, Windows 10 scales the template itself (per-monitor
// awareness v2); elsewhere (and under a test's WM_DPICHANGED) the dialog
// does: every window in it moved and sized by the ratio of the two DPIs,
// and the template fonts made again for the new one. Then each window of
// ours runs OnDpiChanged (framework/Wnd.h) for what it draws itself.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Art.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
 public:
  // `module` null: the framework's resource module.
  explicit CDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE module = nullptr);

  // The dialog's result, or -1 when it could not be made (a missing
  // template, or OnInitDialog threw).
  INT_PTR DoModal();
  bool Create(CWnd* parent = nullptr);
  void EndDialog(int result);

  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;

  UINT GetTemplateId() const { return templateId_; }
  bool IsModal() const { return modal_; }
  // The module the template (and the dialog's other resources) come from.
  HINSTANCE GetResourceModule() const;
  // An icon of that module at the system's big or small icon size; shared,
  // so it lives as long as the module and is never destroyed by us.
  HICON LoadIconResource(UINT id, bool big) const;
  // Sets the dialog's big and small icons to icon `id` of its module, at
  // the dialog's DPI (again after each change of scale).
  void SetIconsFrom(UINT id);
  // The font the dialog's controls show: the template's, or the one made
  // for a new DPI (see above).
  HFONT GetDialogFont() const;

 protected:
  // A throwing OnInitDialog ends the dialog: DoModal returns -1, Create false.
  LRESULT OnException(UINT msg) override;
  // The icons set by SetIconsFrom at the new DPI.
  void OnDpiChanged(UINT dpi) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND OwnerHandle() const;
  LRESULT OnInitDialogMessage(WPARAM, LPARAM);
  LRESULT OnDpiChangedMessage(WPARAM dpis, LPARAM suggested);
  // Moves and sizes every window in the dialog by `to` / `from` and gives
  // the controls showing a template font that font at `to`.
  void ScaleTemplate(UINT from, UINT to);

  UINT templateId_;
  CWnd* parent_;
  HINSTANCE module_;
  bool modal_ = false;
  UINT iconId_ = 0;
  UINT templateDpi_ = 0;  // the DPI the template was laid out at
  // Icons at a DPI other than the system's (the system's own are shared).
  afx::UniqueIcon icons_[2];
  // The template fonts at the DPI the dialog was scaled to: the template's
  // font each one stands for, and its copy.
  struct ScaledFont {
    HFONT original;
    CFont font;
  };
  std::vector<ScaledFont> scaledFonts_;
};
