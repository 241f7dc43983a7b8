// What the system pages need from Windows besides the registry, gathered as
// data for the portable record logic.
#pragma once

#include "parvane/SystemRecord.h"

namespace parvane {

// The true version (RtlGetVersion, which no manifest shims), the family
// (GetVersion's high bit), environment variables, the computer name and the
// network user name.
SystemFacts QuerySystemFacts();

}  // namespace parvane
