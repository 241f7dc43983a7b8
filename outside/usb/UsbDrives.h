// The USB drives attached now, by letter and model, asked through Parvane's
// device layer (the same requests its USB page sends).
#pragma once

#include <string>
#include <vector>

#include "parvane/device/DeviceLayer.h"

namespace usb {

struct UsbDrive {
  char letter = 0;
  std::string model;  // vendor and product as the drive names itself; may be empty
  friend bool operator==(const UsbDrive&, const UsbDrive&) = default;
};

// In drive-letter order: each removable drive whose volume answers the
// storage descriptor query with the USB bus. A card reader on another bus
// or a floppy is left out: the protection is meant for USB storage.
std::vector<UsbDrive> ListUsbDrives(parvane::DeviceLayer& devices);

// One line per drive, "E:  Vendor Product", joined by CR LF for a
// multi-line edit; "没有U盘" when there is none.
std::string DriveListText(const std::vector<UsbDrive>& drives);

}  // namespace usb
