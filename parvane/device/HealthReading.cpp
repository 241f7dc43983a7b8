#include "parvane/device/HealthReading.h"

namespace parvane {
namespace {

void ReadAta(DriveRequests& requests, const IdentifyData& identify, DriveHealthReading& r) {
  r.protocol = HealthProtocol::Ata;
  r.model = IdentifyText(identify, kModelField);
  if (!IdentifySaysSmartSupported(identify)) {
    r.gap = HealthGap::NotSupported;
    return;
  }
  if (!IdentifySaysSmartEnabled(identify)) {
    r.gap = HealthGap::Disabled;
    return;
  }
  SmartBlock data;
  switch (requests.SmartRead(SmartFeature::ReadData, data)) {
    case DriveAnswer::Answered: break;
    case DriveAnswer::Invalid: r.gap = HealthGap::InvalidData; return;
    case DriveAnswer::Refused: r.gap = HealthGap::NeedsAdmin; return;
    case DriveAnswer::Failed: r.gap = HealthGap::NotSupported; return;
  }
  r.data = data;
  SmartBlock thresholds;
  if (requests.SmartRead(SmartFeature::ReadThresholds, thresholds) == DriveAnswer::Answered)
    r.thresholds = thresholds;
  SmartStatus status = SmartStatus::Unknown;
  if (requests.SmartReturnStatus(status) == DriveAnswer::Answered) r.status = status;
}

// The NVMe answers, each through the first handle that gives it.
void ReadNvme(DriveRequests& requests, DriveHealthReading& r, bool refusedBefore) {
  NvmeIdentify identify;
  bool identified = false, logged = false, refused = refusedBefore;
  for (DeviceAccess access : {DeviceAccess::QueryOnly, DeviceAccess::Full}) {
    if (!identified) {
      const DriveAnswer a = requests.NvmeIdentifyDrive(access, identify);
      identified = a == DriveAnswer::Answered;
      refused = refused || a == DriveAnswer::Refused;
    }
    if (!logged) {
      NvmeHealthLog log;
      const DriveAnswer a = requests.NvmeHealthInfo(access, log);
      refused = refused || a == DriveAnswer::Refused;
      if (a == DriveAnswer::Answered) {
        logged = true;
        r.log = log;
      }
    }
    if (identified && logged) break;
  }
  if (identified) r.model = DecodeNvmeController(identify.controller).model;
  if (identified || logged) r.protocol = HealthProtocol::Nvme;
  if (!logged) r.gap = refused ? HealthGap::NeedsAdmin : identified ? HealthGap::NotSupported : HealthGap::NoAnswer;
}

}  // namespace

bool IdentifyAtaDrive(DriveRequests& requests, IdentifyData& block, bool* refused) {
  const DriveAnswer smart = requests.SmartIdentify(block);
  if (refused) *refused = smart == DriveAnswer::Refused;
  if (smart != DriveAnswer::Answered && !requests.ProtocolIdentify(block)) {
    block = {};
    return false;
  }
  FixIdentifyTexts(block);
  return true;
}

DriveHealthReading ReadDriveHealth(DriveRequests& requests) {
  DriveHealthReading r;
  IdentifyData identify;
  bool refused = false;
  if (IdentifyAtaDrive(requests, identify, &refused)) {
    ReadAta(requests, identify, r);
  } else {
    ReadNvme(requests, r, refused);
  }
  return r;
}

}  // namespace parvane
