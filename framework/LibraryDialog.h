// What Parvane and Tunara share as extension libraries of the program: the
// load and unload traces, and one modal dialog from the library's own
// module, owned by the caller's active window, closed by Esc or its close
// box, showing its big icon centred while minimised, returning 0 to the
// caller whatever the dialog returned.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "framework/Dialog.h"
#include "framework/WinApp.h"

class CLibraryDialog : public CDialog {
 public:
  // `module`: the library's module, which holds the template and the icon.
  // `owner`: the window kept disabled while the dialog runs.
  CLibraryDialog(UINT templateId, UINT iconId, HINSTANCE module, HWND owner)
      : CDialog(templateId, nullptr, module), iconId_(iconId) {
    SetOwner(owner);
  }

  bool OnInitDialog() override {
    SetIconsFrom(iconId_);
    return true;
  }
  // No buttons: Esc and the caption's close box end it.
  void OnCancel() override { EndDialog(0); }
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnPaint();
  void OnPrintClient(HDC dc, UINT flags);
  // The big icon centred in the client area, on the icon background.
  void DrawMinimised(HDC dc);

  UINT iconId_;
};

namespace afx {

// The DllMain of a library: its traces when it is loaded and unloaded.
BOOL LibraryMain(HINSTANCE instance, DWORD reason, const char* loadTrace, const char* unloadTrace);

// Runs the library's dialog modally, after registering the common control
// classes it uses. The dialog is made from the module and the owner, then
// `args` (what else its constructor takes). Always 0.
template <class Dialog, class... Args>
int RunLibraryDialog(DWORD controlClasses, Args&&... args) {
  INITCOMMONCONTROLSEX controls{sizeof controls, controlClasses};
  ::InitCommonControlsEx(&controls);
  // A library has no application object: the framework's module is its own.
  Window<Dialog> dialog(AfxGetInstanceHandle(), ::GetActiveWindow(), std::forward<Args>(args)...);
  dialog.DoModal();
  return 0;
}

}  // namespace afx
