// usb-seam-host.exe: the USB write-protection dialog over this prefix's
// registry and rights, with recorded devices behind the device seam: two
// USB flash drives (E: and G:) beside a card reader on another bus. Lets the
// end-to-end tests look at what a Wine prefix cannot show: drives in the list.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "outside/usb/UsbProtectDlg.h"
#include "platform/RegistryWin.h"
#include "platform/Rights.h"
#include "tests/host/parvane/FakeDevices.h"

namespace {

void AddDrive(parvane_test::FakeLayer& layer, char letter, std::uint32_t bus, const char* vendor,
              const char* product) {
  layer.mask |= 1u << (letter - 'A');
  layer.removable += letter;
  parvane_test::FakeDevice device;
  device.descriptor = parvane_test::Descriptor(bus, true, vendor, product, "1.00", "0001");
  layer.devices[std::string(1, letter) + ":"] = device;
}

}  // namespace

int main() {
  auto devices = std::make_shared<parvane_test::FakeLayer>();
  AddDrive(*devices, 'E', 7, "Kingston", "DataTraveler 3.0");
  AddDrive(*devices, 'F', 12, "Generic", "SD Card Reader");
  AddDrive(*devices, 'G', 7, "SanDisk", "Cruzer Blade");
  platform::RegistryWin registry;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  afx::Window<CUsbProtectDlg> dialog(GetModuleHandleW(nullptr), nullptr, registry, devices,
                                     platform::ProcessIsElevated());
  dialog.DoModal();
  std::printf("closed\n");
  return 0;
}
