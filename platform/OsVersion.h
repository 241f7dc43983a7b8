// The Windows version as the version query answers it, for what behaves by
// version: Parvane's system page names the system by it, Tunara's rows tell
// whether the system reads their values. Callers take the answer as data, so
// tests choose it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;  // 2: the NT family
  std::string csd;               // service-pack text
};

// The version the system really is (RtlGetVersion, which no manifest
// shims); nothing when the query failed. Windows only.
std::optional<OsVersion> QueryOsVersion();

}  // namespace platform
