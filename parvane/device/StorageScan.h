// What the disk, CD-ROM and USB pages show, gathered through the device
// layer: each call makes its own requests, as each page does.
#pragma once

#include <string>
#include <vector>

#include "parvane/decode/IdentifyDecode.h"

#include "parvane/device/DeviceLayer.h"

namespace parvane {

// The hard-disk pages' rows for physical drive 0: an ATA drive's, else an
// NVMe drive's, else the labels with the first row saying the drive could
// not be read.
std::vector<PageRow> DiskPageRows(DeviceLayer& devices);
std::vector<PageRow> DiskModesPageRows(DeviceLayer& devices);

// One block per device of the class, in enumeration order; a device the
// user may not open for reading and writing is asked through a handle
// without access rights. The geometry
// record and descriptor buffer are shared by all devices of one call, so a
// failed query shows what the previous device (or the zeroed start) left.
std::string FormatInterfaceDevices(DeviceLayer& devices, InterfaceClass cls,
                                   StorageVariant variant);

// Letters of the removable drives whose descriptor can be read, in drive
// letter order: at most 26, A to Z.
std::string FindUsbDriveLetters(DeviceLayer& devices);

// The CD-ROM page's text (empty when there is no drive).
std::string CdromPageText(DeviceLayer& devices);

// The USB page's text: the disk blocks, then the drive-letter line.
std::string UsbPageText(DeviceLayer& devices);

}  // namespace parvane
