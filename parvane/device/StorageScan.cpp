#include "parvane/device/StorageScan.h"

#include <optional>

namespace parvane {
namespace {

// The access the pages always asked for, else none: a standard user is
// refused the first, and the storage queries need neither.
template <class Open>
std::unique_ptr<StorageDevice> OpenEitherWay(Open open) {
  auto device = open(DeviceAccess::Full);
  if (!device) device = open(DeviceAccess::QueryOnly);
  return device;
}

// Drive 0 as an NVMe drive: a handle with no access rights first, which a
// standard user gets; then one with read and write access.
std::optional<NvmeIdentify> IdentifyNvme(DeviceLayer& devices) {
  NvmeIdentify identify;
  for (DeviceAccess access : {DeviceAccess::QueryOnly, DeviceAccess::Full})
    if (devices.IdentifyNvmeDrive(0, access, identify)) return identify;
  return std::nullopt;
}

}  // namespace

std::vector<PageRow> DiskPageRows(DeviceLayer& devices) {
  IdentifyData block;
  if (devices.IdentifyPhysicalDrive(0, block)) return DiskPageRows(&block);
  if (auto nvme = IdentifyNvme(devices))
    return NvmeDiskPageRows(*nvme, devices.PhysicalDriveExtent(0));
  return UnreadableDiskPageRows();
}

std::vector<PageRow> DiskModesPageRows(DeviceLayer& devices) {
  IdentifyData block;
  if (devices.IdentifyPhysicalDrive(0, block)) return DiskModesPageRows(&block);
  if (IdentifyNvme(devices)) return NvmeDiskModesPageRows();
  return UnreadableDiskModesPageRows();
}

std::string FormatInterfaceDevices(DeviceLayer& devices, InterfaceClass cls,
                                   StorageVariant variant) {
  GeometryRecord geometry{};
  DescriptorBuffer descriptor = NewDescriptorBuffer();
  std::string text;
  for (const std::string& path : devices.EnumDeviceInterfacePaths(cls)) {
    auto device = OpenEitherWay(
        [&](DeviceAccess access) { return devices.OpenInterface(path, access); });
    if (device) {
      device->QueryDiskGeometry(geometry);
      ResetDescriptorSize(descriptor);
      device->QueryDeviceDescriptor(descriptor);
    }
    text += FormatStorageDevice(variant, path, geometry, descriptor);
  }
  return text;
}

std::string FindUsbDriveLetters(DeviceLayer& devices) {
  std::string letters;
  const std::uint32_t mask = devices.LogicalDrives();
  for (int j = 0; j < 26; ++j) {
    if ((mask & (1u << j)) == 0) continue;
    const char letter = static_cast<char>('A' + j);
    if (!devices.IsRemovableDrive(letter)) continue;
    auto volume = OpenEitherWay(
        [&](DeviceAccess access) { return devices.OpenVolume(letter, access); });
    if (!volume) continue;
    DescriptorBuffer descriptor = NewDescriptorBuffer();
    if (volume->QueryDeviceDescriptor(descriptor)) letters += letter;
  }
  return letters;
}

std::string CdromPageText(DeviceLayer& devices) {
  return FormatInterfaceDevices(devices, InterfaceClass::Cdrom, StorageVariant::Cdrom);
}

std::string UsbPageText(DeviceLayer& devices) {
  std::string usb = UsbDriveLine(FindUsbDriveLetters(devices));
  return FormatInterfaceDevices(devices, InterfaceClass::Disk, StorageVariant::Disk) + usb;
}

}  // namespace parvane
