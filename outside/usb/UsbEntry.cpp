// USB.dll entry: switches the machine's write protection of USB storage in a
// modal dialog over the caller's active window, then returns 0. Its template
// and icon live in this module.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "outside/usb/UsbProtectDlg.h"
#include "parvane/device/DeviceLayerWin.h"
#include "platform/RegistryWin.h"
#include "platform/Rights.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return afx::LibraryMain(instance, reason, "USB.DLL Initializing!\n", "USB.DLL Terminating!\n");
}

extern "C" int UsbProtect() {
  auto devices = std::make_shared<parvane::Win32DeviceLayer>();
  platform::RegistryWin registry;
  return afx::RunLibraryDialog<CUsbProtectDlg>(ICC_STANDARD_CLASSES, registry, std::move(devices),
                                               platform::ProcessIsElevated());
}
