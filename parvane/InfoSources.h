// Where the information pages read what they show: the drives, the
// registry and the system's own facts. The library passes the machine's
// own; tests pass recorded devices, a scratch registry and chosen facts.
#pragma once

#include "parvane/SystemRecord.h"
#include "parvane/device/DeviceLayer.h"
#include "platform/Registry.h"

namespace parvane {

struct InfoSources {
  DeviceLayer& devices;
  platform::Registry& registry;
  SystemFacts facts;
};

}  // namespace parvane
