#include "outside/usb/UsbDrives.h"

#include "parvane/decode/StorageText.h"
#include "platform/AnsiText.h"

namespace usb {
namespace {

constexpr std::uint32_t kBusUsb = 7;  // STORAGE_BUS_TYPE BusTypeUsb

// Drivers pad the inquiry texts with blanks.
std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string ModelOf(const parvane::StorageDescriptor& descriptor) {
  std::string vendor = Trimmed(platform::AnsiBytesToUtf8(descriptor.vendor));
  std::string product = Trimmed(platform::AnsiBytesToUtf8(descriptor.product));
  if (vendor.empty()) return product;
  if (product.empty()) return vendor;
  return vendor + " " + product;
}

}  // namespace

std::vector<UsbDrive> ListUsbDrives(parvane::DeviceLayer& devices) {
  std::vector<UsbDrive> drives;
  const std::uint32_t mask = devices.LogicalDrives();
  for (int j = 0; j < 26; ++j) {
    if ((mask & (1u << j)) == 0) continue;
    const char letter = static_cast<char>('A' + j);
    if (!devices.IsRemovableDrive(letter)) continue;
    // The storage query needs no access rights: a standard user gets it too.
    auto volume = devices.OpenVolume(letter, parvane::DeviceAccess::QueryOnly);
    if (!volume) continue;
    parvane::DescriptorBuffer buffer = parvane::NewDescriptorBuffer();
    if (!volume->QueryDeviceDescriptor(buffer)) continue;
    const parvane::StorageDescriptor descriptor = parvane::ParseDescriptor(buffer);
    if (descriptor.busType != kBusUsb) continue;
    drives.push_back({letter, ModelOf(descriptor)});
  }
  return drives;
}

std::string DriveListText(const std::vector<UsbDrive>& drives) {
  if (drives.empty()) return "没有U盘";
  std::string text;
  for (const UsbDrive& drive : drives) {
    if (!text.empty()) text += "\r\n";
    text += drive.letter;
    text += ':';
    if (!drive.model.empty()) text += "  " + drive.model;
  }
  return text;
}

}  // namespace usb
