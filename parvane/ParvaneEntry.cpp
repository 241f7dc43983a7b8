// Parvane.dll entry: load/unload traces and the exported functions. The
// dialog's templates, icons and bitmap live in this module, which is where
// the dialog looks them up (its "resource chain" is this module handle).
#include <windows.h>
#include <commctrl.h>

#include "res/parvane/resource.h"

namespace {

HINSTANCE g_module = nullptr;

INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      // LoadImage keeps the icon while the module is loaded (LR_SHARED).
      auto big = static_cast<HICON>(LoadImageW(g_module, MAKEINTRESOURCEW(IDI_INFO_DIALOG), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
      auto small = static_cast<HICON>(LoadImageW(g_module, MAKEINTRESOURCEW(IDI_INFO_DIALOG), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
      SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
      SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
      return TRUE;
    }
    case WM_COMMAND:
      // No buttons: only Esc (IDCANCEL) and the caption's close box end it.
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      OutputDebugStringA("PARVANE.DLL Initializing!\n");
      g_module = instance;
      DisableThreadLibraryCalls(instance);
      return TRUE;
    case DLL_PROCESS_DETACH:
      OutputDebugStringA("PARVANE.DLL Terminating!\n");
      return TRUE;
    default:
      return TRUE;
  }
}

// The information dialog, modal to the caller's active window (the main
// frame when called from its menu). Always 0.
extern "C" int CRegular() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  DialogBoxParamW(g_module, MAKEINTRESOURCEW(IDD_INFO_DIALOG), GetActiveWindow(), InfoDialogProc, 0);
  return 0;
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
