// Parvane.dll entry: load/unload traces and the exported functions. The
// dialog's templates, icons and bitmap live in this module, which is where
// the dialog looks them up (its "resource chain" is this module handle).
#include <windows.h>
#include <commctrl.h>

#include "framework/LibraryDialog.h"
#include "parvane/InfoDialog.h"
#include "parvane/SystemFactsWin.h"
#include "parvane/device/DeviceLayerWin.h"
#include "platform/RegistryWin.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return afx::LibraryMain(instance, reason, "PARVANE.DLL Initializing!\n",
                          "PARVANE.DLL Terminating!\n");
}

// The information dialog over this machine's drives, registry and system,
// modal to the caller's active window (the main frame when called from its
// menu). Always 0.
extern "C" int CRegular() {
  parvane::Win32DeviceLayer devices;
  platform::RegistryWin registry;
  return afx::RunLibraryDialog<CInfoDialog>(
      ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES,
      parvane::InfoSources{devices, registry, parvane::QuerySystemFacts()});
}

// The library's other exports do nothing and return 0.
extern "C" int TUNARA() { return 0; }
extern "C" int CRemove() { return 0; }
extern "C" int Cconstructor() { return 0; }
extern "C" int Cgenerated() { return 0; }
extern "C" int Cdeclarations() { return 0; }
extern "C" int CGetLast() { return 0; }
extern "C" int CBeginDefer() { return 0; }
extern "C" int CClassName() { return 0; }
extern "C" int CGetKeyState() { return 0; }
extern "C" int CPeekMessage() { return 0; }
