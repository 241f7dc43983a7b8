// The sliders and drop-down lists of the optimisation pages: each step writes
// a system value, some also remember the step in the library's own record
// (the system value is then never read back; the record gives the start
// position).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "tunara/TweakTable.h"

namespace tunara {

struct LevelRow {
  std::uint32_t level;        // slider position, or list index + 1; the own-record value
  std::uint32_t systemValue;  // written as REG_DWORD
  std::string_view itemText;  // list item caption (lists only)
  std::string_view changeText;
  std::string_view startText;
};

enum class LevelKind : std::uint8_t { Slider, List };

struct LevelControl {
  std::uint16_t control;  // slider or list
  std::uint16_t textBox;
  LevelKind kind;
  platform::RegRoot root;  // every level value is under HKEY_LOCAL_MACHINE
  std::string_view systemKey;
  std::string_view systemValue;
  std::string_view ownKey;    // empty: no own record
  std::string_view ownValue;
  std::span<const LevelRow> rows;

  bool HasOwnRecord() const { return !ownValue.empty(); }
};

// Own-record keys, created by the main program at start-up, and by the
// first write of a level when they are still missing (a program started
// without administrator rights could not make them).
inline constexpr std::string_view kOwnHdKey = "SOFTWARE\\Tarvik\\HD\\";
inline constexpr std::string_view kOwnCdKey = "SOFTWARE\\Tarvik\\CD\\";
inline constexpr std::string_view kOwnCdromKey = "SOFTWARE\\Tarvik\\CDROM\\";

const LevelControl& WaitTimeLevels();     // hard-disk page, slider
const LevelControl& PrefetchLevels();     // memory page, list
const LevelControl& DiskBufferLevels();   // memory page, slider
const LevelControl& CdSpeedLevels();      // CD-ROM page, speed slider
const LevelControl& CdCacheLevels();      // CD-ROM page, cache slider
const LevelControl& MftZoneLevels();      // NTFS page, list

// The level controls of a page, in the order the page reads them.
std::span<const LevelControl* const> LevelControls(PageId page);

// The row for a slider position (1-based) or list index (0-based), or nullptr.
const LevelRow* FindLevelRow(const LevelControl& control, int positionOrIndex);

// The row that passes at page start: the own record (or, without one, the
// system value) read once and tried against each row by the single-byte
// test, in table order. nullptr when none passes.
const LevelRow* ReadStartLevel(platform::Registry& reg, const LevelControl& control);

struct LevelResult {
  std::string text;  // for the level's text box: the row's change text, or the error text
  bool writeFailed;
};

// A slider release or list change. nullopt when the position has no row
// (nothing is written). The own record (its key made when missing) is
// written first, then the system value; when either write fails the text is
// the error text, and an own record already written is put back as it was,
// so that the level read at the next start is the one the system has.
std::optional<LevelResult> ApplyLevel(platform::Registry& reg, const LevelControl& control,
                                      int positionOrIndex);

}  // namespace tunara
