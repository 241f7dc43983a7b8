// The registry values each registry target fills from its input: every value
// the logic under test reads or writes, named from the logic's own tables.
#pragma once

#include <vector>

#include "fuzz/FuzzRegistry.h"
#include "parvane/SystemRecord.h"
#include "tunara/LevelTables.h"
#include "tunara/TweakTable.h"

namespace fuzz {

inline constexpr tunara::PageId kPages[] = {tunara::PageId::Disk, tunara::PageId::Memory,
                                            tunara::PageId::Cdrom, tunara::PageId::Ntfs};

// Every value of every check-box row, under the key it is read from.
inline const std::vector<RegSlot>& TweakSlots() {
  static const std::vector<RegSlot> slots = [] {
    std::vector<RegSlot> s;
    for (tunara::PageId page : kPages)
      for (const tunara::TweakOption& o : tunara::TweakOptions(page))
        for (std::string_view v : o.Values())
          s.push_back({o.root, std::string(o.ReadKey()), std::string(v)});
    return s;
  }();
  return slots;
}

// The system value and own record of every level control.
inline const std::vector<RegSlot>& LevelSlots() {
  static const std::vector<RegSlot> slots = [] {
    std::vector<RegSlot> s;
    for (tunara::PageId page : kPages)
      for (const tunara::LevelControl* c : tunara::LevelControls(page)) {
        s.push_back({c->root, std::string(c->systemKey), std::string(c->systemValue)});
        if (c->HasOwnRecord())
          s.push_back({c->root, std::string(c->ownKey), std::string(c->ownValue)});
      }
    return s;
  }();
  return slots;
}

// Every value the system records read, under every key they read: a value
// may turn up where it is not expected.
inline const std::vector<RegSlot>& SystemSlots() {
  static const std::vector<RegSlot> slots = [] {
    const char* keys[] = {parvane::kNtCurrentVersion, parvane::kCurrentVersion,
                          parvane::kProductOptions, parvane::kSystemDescription,
                          parvane::k9xBios};
    const char* names[] = {
        "ProductType", "CurrentVersion", "CurrentBuildNumber", "CSDVersion", "RegisteredOwner",
        "RegisteredOrganization", "ProductId", "SystemRoot", "SourcePath", "SoftwareType",
        "ProductName", "BuildLab", "CurrentType", "CurrentBuild", "CommonFilesDir",
        "DevicePath", "jpwbpy.mb", "MediaPath", "MediaPathUnexpanded", "ProgramFilesDir",
        "ProgramFilesPath", "SystemBiosVersion", "SystemBiosDate", "Identifier", "BIOSNAME",
        "BIOSVersion", "BIOSDate", "EditionID"};
    std::vector<RegSlot> s;
    for (const char* key : keys)
      for (const char* name : names) s.push_back({platform::RegRoot::LocalMachine, key, name});
    return s;
  }();
  return slots;
}

// The index of a slot, for the seed maker.
inline std::uint8_t SlotOf(const std::vector<RegSlot>& slots, std::string_view key,
                           std::string_view name) {
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (slots[i].key == key && slots[i].name == name) return static_cast<std::uint8_t>(i);
  Fail(__FILE__, __LINE__, "no such slot");
}

}  // namespace fuzz
