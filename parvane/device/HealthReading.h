// Reading one drive's health through its requests (DeviceLayer.h): the
// order of the requests and what each failure means for the page. Portable,
// so the fallbacks are tested with recorded answers.
//
// An ATA drive (IDENTIFY through SMART, else through the protocol query)
// that says it supports SMART and has it on is asked for its data,
// thresholds and status, all through a handle with read and write access.
// Otherwise the drive is asked as an NVMe drive for its Identify data and
// its health log, through a handle with no access rights first, then one
// with read and write access, as the disk pages ask.
#pragma once

#include "parvane/decode/DriveHealth.h"
#include "parvane/device/DeviceLayer.h"

namespace parvane {

// The repaired IDENTIFY block: SMART first, else the protocol query. `refused`
// (when given) tells whether the SMART request's read/write open was refused.
bool IdentifyAtaDrive(DriveRequests& requests, IdentifyData& block, bool* refused = nullptr);

DriveHealthReading ReadDriveHealth(DriveRequests& requests);

}  // namespace parvane
