// The way back: before the pages first change a value, its original state
// is kept in the library's own key (per-user values in the user's own, see
// OriginalsRoot), one record per value, and never
// overwritten; "恢复原始设置" puts every recorded value back exactly and
// removes the records it restored.
//
// A record is named after root, key and value: "HKLM\<key>\\<value>". A key
// path has no empty component, so the first double backslash ends it,
// whatever the value name holds. Its data (REG_BINARY) is either
//   0, n (4 bytes LE)         the value did not exist; n trailing
//                             components of its key did not exist either
//   1, type (4 bytes LE), data  the value existed with this type and data
// so an absent value is never confused with an empty one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace tunara {

inline constexpr std::string_view kOriginalsKey = "SOFTWARE\\Tarvik\\Original";
// Where a value's record is kept: under HKLM, but a per-user value's under the
// user's own HKCU, so that a standard user can change and restore the
// values that are theirs.
platform::RegRoot OriginalsRoot(platform::RegRoot valueRoot);

// A value's state as a record keeps it.
struct ValueState {
  bool present = false;
  platform::RegValue value;    // when present
  std::uint32_t missingKeys = 0;  // when absent: trailing key components that were missing
};

// A value that the pages write.
struct WrittenValue {
  platform::RegRoot root;
  std::string_view key;
  std::string_view value;
};

std::string OriginalRecordName(platform::RegRoot root, std::string_view key, std::string_view value);
std::vector<std::uint8_t> EncodeState(const ValueState& state);
std::optional<ValueState> DecodeState(const std::vector<std::uint8_t>& bytes);

// The state now; nothing when it cannot be read (an error other than a
// missing key or value, or a value too large to keep).
std::optional<ValueState> ReadValueState(platform::Registry& reg, const WrittenValue& at);
// Puts a state back: the value with its type and bytes (its key made when
// missing), or no value, with the key components that were missing removed
// again while they are empty. 0 or the failing call's error.
long PutValueState(platform::Registry& reg, const WrittenValue& at, const ValueState& state);

// Keeps the originals of the values one change writes.
class OriginalKeeper {
 public:
  explicit OriginalKeeper(platform::Registry& reg) : reg_(reg) {}

  // Before the change writes `at`: its original is on record (made now
  // when there was none). False when it could not be kept: the change must
  // not be made.
  bool Keep(const WrittenValue& at);
  // After a change that failed: the records made by this keeper are removed
  // again where the value is as it was.
  void DropUnchanged();

 private:
  struct Made {
    WrittenValue at;
    ValueState original;
  };
  platform::Registry& reg_;
  std::vector<Made> made_;
};

// Every value the pages write (system values and the level records), each once.
std::vector<WrittenValue> WrittenValues();

// Whether any value has a record.
bool HasOriginals(platform::Registry& reg);

struct RestoreResult {
  int restored = 0;
  std::vector<std::string> failed;  // the values whose records stay, by name
};

// Puts every recorded value back; a value put back loses its record, one
// that failed keeps it. The records' key goes once it is empty.
RestoreResult RestoreOriginals(platform::Registry& reg);

// The one line the dialog shows after a restore.
std::string RestoreResultText(const RestoreResult& result);

}  // namespace tunara
