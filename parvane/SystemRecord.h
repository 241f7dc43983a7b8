// The operating-system and system-folder records of the two system pages,
// read from the registry through the platform seam. What the logic would
// otherwise fetch from the system itself (the version record, the family,
// environment variables, computer and user names) comes in as data, so every
// rule can be tested with an in-memory registry.
//
// Registry texts are read as Unicode through buffers of the sizes the pages
// always used: 100 characters with the terminator (99 of text), 300 for the
// BIOS version list and the expanded variables, 64 for the product type.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parvane/decode/PageRow.h"
#include "platform/OsVersion.h"
#include "platform/Registry.h"

namespace parvane {

// The version query's answer.
using VersionRecord = platform::OsVersion;

struct SystemFacts {
  std::optional<VersionRecord> version;  // nothing: the version query failed
  bool ntFamily = true;                  // the version word's high bit clear
  // The value of an environment variable, nothing when it is not set.
  std::function<std::optional<std::string>(std::string_view)> environment;
  std::optional<std::string> computerName;
  std::optional<std::string> userName;
};

struct SystemInfoRecord {
  std::string osName;
  std::string version;
  std::string servicePack;
  std::string owner;
  std::string organization;
  std::string productId;
  std::string systemRoot;
  std::string sourcePath;
  std::string softwareType;
  std::string tmpText;
  std::string tempText;
  std::string productName;
  std::string buildLab;
  std::string currentType;
  std::string currentBuild;
  std::string registeredOrganization;
};

struct BiosInfoRecord {
  std::string nameText;
  std::string versionText;
  std::string dateText;
  std::string kindText;
};

// The keys the records are read from, all under HKEY_LOCAL_MACHINE.
inline constexpr const char* kNtCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* kProductOptions = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
inline constexpr const char* kSystemDescription = "HARDWARE\\DESCRIPTION\\System";
inline constexpr const char* k9xBios = "Enum\\Root\\*PNP0C01\\0000";

inline constexpr std::size_t kRegTextChars = 100;
inline constexpr std::size_t kLongTextChars = 300;
inline constexpr std::size_t kProductTypeChars = 64;

// Replaces each %NAME% whose variable is set, keeps the others as written,
// and gives nothing when the result does not fit `maxChars` with its NUL.
std::optional<std::string> ExpandVariables(
    std::string_view text,
    const std::function<std::optional<std::string>(std::string_view)>& environment,
    std::size_t maxChars = kLongTextChars);

// Appends "Professional", "Server" or "Advanced Server" by the system's
// product type; nothing for any other type or when it cannot be read.
void AppendProductType(platform::Registry& reg, std::string& text);

// The edition word of a client system (product type WinNT) from its
// EditionID: "Home", "Pro", "Home Premium"...; nothing for a server, a
// missing value or an edition not known by name.
std::optional<std::string> ClientEditionName(platform::Registry& reg, const VersionRecord& version);

// Sets osName from the version record. Up to 5.2 by the system's first
// rules (every 5.x with a non-zero minor is "Windows XP or Windows .NET
// Server "); from 6.0 on by name: Vista, 7, 8, 8.1, 10, and 11 for 10.0
// from build 22000, each with a trailing blank and the client's edition
// ("Windows 11 Home"), else the product type's word ("Windows 10 Server").
// The record must be the true version, not the one a manifest without
// compatibility entries is told.
void ClassifyWindows(platform::Registry& reg, const VersionRecord& version,
                     SystemInfoRecord& record);

// False (record empty) when the version query failed.
bool ReadSystemRecord(platform::Registry& reg, const SystemFacts& facts, SystemInfoRecord& record);

// Reads one of "ProductName", "BuildLab", "CurrentType", "CurrentBuild",
// "RegisteredOrganization" into its own field, clearing the record first.
// On Windows 11 a product name's leading "Windows 10" reads "Windows 11".
void ReadNtCurrentVersionValue(platform::Registry& reg, const SystemFacts& facts,
                               std::string_view valueName, SystemInfoRecord& record);

// The folder page's record: same fields, other values (see the page rows).
bool ReadFolderRecord(platform::Registry& reg, const SystemFacts& facts, SystemInfoRecord& record);

void ReadBiosRecord(platform::Registry& reg, const SystemFacts& facts, BiosInfoRecord& record);

// "Windows NT Workstation", "Windows NT Server", or, for anything else or a
// missing value, "Windows NT Server - Domain Controller".
std::string NtEditionText(platform::Registry& reg);

// The two pages' rows in list order, the list's unlabelled row last.
std::vector<PageRow> SystemInfoPageRows(platform::Registry& reg, const SystemFacts& facts);
std::vector<PageRow> SystemDirsPageRows(platform::Registry& reg, const SystemFacts& facts);

}  // namespace parvane
