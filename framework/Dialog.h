// CDialog: a dialog from a template of a given module (each library shows
// its own templates from its own module). Modal with DoModal, modeless with
// Create. The window is routed through the object like any other CWnd; the
// dialog manager's procedure is its default handling.
//
// Its owner: the window given to SetOwner, else the parent object's window,
// else the application's main window (none inside a library).
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

class CDialog : public CWnd {
 public:
  // `module` null: the framework's resource module.
  explicit CDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE module = nullptr);

  INT_PTR DoModal();
  bool Create(CWnd* parent = nullptr);
  void EndDialog(int result);

  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

  UINT GetTemplateId() const { return templateId_; }
  // The module the template (and the dialog's other resources) come from.
  HINSTANCE GetResourceModule() const;
  // An icon of that module at the system's big or small icon size; shared,
  // so it lives as long as the module and is never destroyed by us.
  HICON LoadIconResource(UINT id, bool big) const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND OwnerHandle() const;

  UINT templateId_;
  CWnd* parent_;
  HINSTANCE module_;
  bool modal_ = false;
};
