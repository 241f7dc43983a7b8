// parvane-seam-host.exe CONTROLLER-HEX: Parvane's information dialog over
// this machine's registry and system, with recorded devices behind the
// device seam: physical drive 0 is the NVMe drive whose Identify Controller
// block the file holds (no namespace; the disk's extent 512 110 190 592
// bytes of 512), answering a standard user's handle, and there is one CD
// drive that only such a handle can open. Lets the end-to-end tests look at
// what a Wine prefix cannot show: the disk pages of an NVMe drive.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "parvane/InfoDialog.h"
#include "parvane/SystemFactsWin.h"
#include "platform/RegistryWin.h"
#include "platform/TextWin.h"
#include "tests/host/parvane/FakeDevices.h"

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 2) {
    std::fputs("usage: parvane-seam-host CONTROLLER-HEX\n", stderr);
    return 2;
  }
  std::ifstream in(platform::Narrow(argv[1]), std::ios::binary);
  LocalFree(argv);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto controller = parvane::ParseNvmeDump(text);
  if (!controller) {
    std::fputs("parvane-seam-host: not an NVMe Identify Controller block\n", stderr);
    return 1;
  }

  parvane_test::FakeLayer devices;
  devices.nvme0 = parvane::NvmeIdentify{*controller, std::nullopt};
  devices.nvmeOnlyWith = parvane::DeviceAccess::QueryOnly;
  devices.extent0 = parvane::DiskExtent{512110190592ull, 512};
  devices.standardUser = true;
  devices.cdroms = {"cd0"};
  devices.devices["cd0"] = {true, true, parvane_test::Geometry(1000, 54, 64, 32, 2048),
                            parvane_test::Descriptor(2, true, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00",
                                                     "K1234")};
  platform::RegistryWin registry;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  afx::Window<CInfoDialog> dialog(GetModuleHandleW(nullptr), nullptr,
                                  parvane::InfoSources{devices, registry, parvane::QuerySystemFacts()});
  dialog.DoModal();
  std::printf("closed\n");
  return 0;
}
