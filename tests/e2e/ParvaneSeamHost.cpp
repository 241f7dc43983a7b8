// parvane-seam-host.exe CONTROLLER-HEX [DATA-DIR]: Parvane's information
// dialog over this machine's registry and system, with recorded devices
// behind the device seam: physical drive 0 is the NVMe drive whose Identify
// Controller block the file holds (no namespace; the disk's extent
// 512 110 190 592 bytes of 512), answering a standard user's handle, and
// there is one CD drive that only such a handle can open. Lets the
// end-to-end tests look at what a Wine prefix cannot show: the disk pages of
// an NVMe drive.
//
// With DATA-DIR (the tests' data folder) the health page has drives too:
// drive 0 answers with the recorded NVMe health log (nvme/), drives 1 to 3
// are the recorded ATA drives wdc-wd2500js, fujitsu-mhy2250bh and
// st9100821as (smart/) as an administrator reads them, drive 4 the
// samsung-hd501lj, which refuses read/write opens as for a standard user,
// and drive 5 the wdc's blocks with the drive reporting it is failing.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "parvane/InfoDialog.h"
#include "parvane/SystemFactsWin.h"
#include "platform/RegistryWin.h"
#include "platform/TextWin.h"
#include "tests/host/parvane/FakeDevices.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::optional<parvane_test::FakeHealthDrive> AtaDrive(const std::string& smart, const std::string& drive,
                                                      parvane::SmartStatus status) {
  parvane_test::FakeHealthDrive d;
  d.ata = parvane::ParseIdentifyDump(ReadText(smart + drive + ".identify.hex"));
  d.data = parvane::ParseSmartDump(ReadText(smart + drive + ".smart.hex"));
  d.thresholds = parvane::ParseSmartDump(ReadText(smart + drive + ".thresholds.hex"));
  d.status = status;
  if (!d.ata || !d.data || !d.thresholds) return std::nullopt;
  return d;
}

bool AddHealthDrives(parvane_test::FakeLayer& devices, const parvane::NvmeIdentifyBlock& controller,
                     const std::string& data) {
  const std::string smart = data + "/smart/";
  using parvane::SmartStatus;
  parvane_test::FakeHealthDrive nvme;
  nvme.nvme = parvane::NvmeIdentify{controller, std::nullopt};
  nvme.log = parvane::ParseNvmeHealthDump(ReadText(data + "/nvme/health-checkbox-drive.hex"));
  nvme.nvmeOnlyWith = parvane::DeviceAccess::QueryOnly;
  const std::optional<parvane_test::FakeHealthDrive> drives[] = {
      nvme.log ? std::optional(nvme) : std::nullopt,
      AtaDrive(smart, "wdc-wd2500js-75ncb3-10.02e04", SmartStatus::Passing),
      AtaDrive(smart, "fujitsu-mhy2250bh-0085000b", SmartStatus::Passing),
      AtaDrive(smart, "st9100821as-3.cme", SmartStatus::Passing),
      AtaDrive(smart, "samsung-hd501lj-cr100-12", SmartStatus::Passing),
      AtaDrive(smart, "wdc-wd2500js-75ncb3-10.02e04", SmartStatus::Failing),
  };
  for (int n = 0; n < static_cast<int>(std::size(drives)); ++n) {
    if (!drives[n]) return false;
    devices.healthDrives[n] = *drives[n];
  }
  devices.healthDrives[4].refusesFullAccess = true;
  return true;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 2 && argc != 3) {
    std::fputs("usage: parvane-seam-host CONTROLLER-HEX [DATA-DIR]\n", stderr);
    return 2;
  }
  const std::string controllerPath = platform::Narrow(argv[1]);
  const std::string data = argc == 3 ? platform::Narrow(argv[2]) : "";
  LocalFree(argv);
  auto controller = parvane::ParseNvmeDump(ReadText(controllerPath));
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
  if (!data.empty() && !AddHealthDrives(devices, *controller, data)) {
    std::fputs("parvane-seam-host: the recorded drives are not in DATA-DIR\n", stderr);
    return 1;
  }
  platform::RegistryWin registry;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  afx::Window<CInfoDialog> dialog(GetModuleHandleW(nullptr), nullptr,
                                  parvane::InfoSources{devices, registry, parvane::QuerySystemFacts()});
  dialog.DoModal();
  std::printf("closed\n");
  return 0;
}
