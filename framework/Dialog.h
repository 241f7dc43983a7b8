// CDialog: a dialog from a template of a given module (each library shows
// its own templates from its own module). Modal with DoModal, modeless with
// Create. The window is routed through the object like any other CWnd; the
// dialog manager's procedure is its default handling.
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

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND ParentHandle(CWnd* parent) const;

  UINT templateId_;
  CWnd* parent_;
  HINSTANCE module_;
  bool modal_ = false;
};
