// Scavra.dll: the outside library of the system scan and junk clean-up.
// Ordinal 1 takes no arguments, shows the dialog modally over the caller's
// active window, and returns 0 once it is closed; the dialog's template is
// in this module.
#include <windows.h>
#include <commctrl.h>

#include "outside/scavra/ScanDlg.h"

namespace {
HINSTANCE module = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" int ScavraRun() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  scavra::ScanDialog dialog(module);
  dialog.Run(GetActiveWindow());
  return 0;
}
