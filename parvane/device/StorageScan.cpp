#include "parvane/device/StorageScan.h"

namespace parvane {

std::vector<PageRow> DiskPageRows(DeviceLayer& devices) {
  IdentifyData block;
  const bool ok = devices.IdentifyPhysicalDrive(0, block);
  return DiskPageRows(ok ? &block : nullptr);
}

std::vector<PageRow> DiskModesPageRows(DeviceLayer& devices) {
  IdentifyData block;
  const bool ok = devices.IdentifyPhysicalDrive(0, block);
  return DiskModesPageRows(ok ? &block : nullptr);
}

std::string FormatInterfaceDevices(DeviceLayer& devices, InterfaceClass cls,
                                   StorageVariant variant) {
  GeometryRecord geometry{};
  DescriptorBuffer descriptor = NewDescriptorBuffer();
  std::string text;
  for (const std::string& path : devices.EnumDeviceInterfacePaths(cls)) {
    auto device = devices.OpenInterface(path);
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
    auto volume = devices.OpenVolume(letter);
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
