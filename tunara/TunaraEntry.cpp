// Tunara.dll entry: load/unload traces and the exported CRegula. The
// dialog's templates, icons and bitmaps live in this module, which is where
// the dialog looks them up (its "resource chain" is this module handle).
#include <windows.h>
#include <commctrl.h>

#include "tunara/OptimizeDlg.h"

namespace {

HINSTANCE g_module = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      OutputDebugStringA("TUNARA.DLL Initializing!\n");
      g_module = instance;
      DisableThreadLibraryCalls(instance);
      return TRUE;
    case DLL_PROCESS_DETACH:
      OutputDebugStringA("TUNARA.DLL Terminating!\n");
      return TRUE;
    default:
      return TRUE;
  }
}

// The optimisation dialog, modal to the caller's active window (the main
// frame when called from its menu). Always 0, whatever the dialog returned.
extern "C" int CRegula() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);
  COptimizeDlg dialog(g_module, GetActiveWindow());
  dialog.DoModal();
  return 0;
}
