#include "framework/LibraryDialog.h"

namespace afx {

BOOL LibraryMain(HINSTANCE instance, DWORD reason, const char* loadTrace, const char* unloadTrace) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      ::OutputDebugStringA(loadTrace);
      ::DisableThreadLibraryCalls(instance);
      return TRUE;
    case DLL_PROCESS_DETACH:
      ::OutputDebugStringA(unloadTrace);
      return TRUE;
    default:
      return TRUE;
  }
}

}  // namespace afx
