#include "platform/Rights.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace platform {

bool StandardUserForced() {
  const char* value = std::getenv("DRAVON_AS_STANDARD_USER");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

bool ProcessIsElevated() { return !StandardUserForced() && geteuid() == 0; }

}  // namespace platform
