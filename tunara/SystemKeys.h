// The system keys more than one table of the optimisation pages names, as
// the tables spell them (with a trailing backslash), all under
// HKEY_LOCAL_MACHINE.
#pragma once

#include <string_view>

namespace tunara::keys {

inline constexpr std::string_view kSessionManager =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\";
inline constexpr std::string_view kMemoryManagement =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\";
inline constexpr std::string_view kPrefetchParameters =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters\\";
inline constexpr std::string_view kLanmanParameters =
    "SYSTEM\\CurrentControlSet\\Services\\LanmanWorkstation\\Parameters\\";
inline constexpr std::string_view kFileSystem = "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\";
inline constexpr std::string_view kCdfs = "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\CDFS\\";
inline constexpr std::string_view kWinlogon =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\";
inline constexpr std::string_view kVxdBios = "SYSTEM\\CurrentControlSet\\Services\\Vxd\\BIOS\\";

}  // namespace tunara::keys
