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
#pragma once

#include <windows.h>

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
  // Sets the dialog's big and small icons to icon `id` of its module.
  void SetIconsFrom(UINT id);

 protected:
  // A throwing OnInitDialog ends the dialog: DoModal returns -1, Create false.
  LRESULT OnException(UINT msg) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND OwnerHandle() const;
  LRESULT OnInitDialogMessage(WPARAM, LPARAM);

  UINT templateId_;
  CWnd* parent_;
  HINSTANCE module_;
  bool modal_ = false;
};
