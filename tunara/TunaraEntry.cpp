// Tunara.dll entry: load/unload traces and the exported CRegula. The
// dialog's templates, icons and bitmaps live in this module, which is where
// the dialog looks them up (its "resource chain" is this module handle).
#include <windows.h>
#include <commctrl.h>

#include "framework/LibraryDialog.h"
#include "platform/OsVersion.h"
#include "tunara/OptimizeDlg.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return afx::LibraryMain(instance, reason, "TUNARA.DLL Initializing!\n",
                          "TUNARA.DLL Terminating!\n");
}

// The optimisation dialog, modal to the caller's active window (the main
// frame when called from its menu). Always 0, whatever the dialog returned.
extern "C" int CRegula() {
  return afx::RunLibraryDialog<COptimizeDlg>(
      ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES,
      platform::QueryOsVersion());
}
