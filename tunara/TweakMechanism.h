// How a tweak is read and written. The state tests look at a value's raw
// bytes, not its type: a DWORD 1 is not the text "1" and the other way round,
// which decides the start state of rows whose stored type differs from the
// one they write.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "tunara/TweakTable.h"

namespace tunara {

// Raw bytes of a value as a state test sees them; nullopt when the key or
// value is missing (or does not fit the test's buffer).
using RawValue = std::optional<std::vector<std::uint8_t>>;

// Buffers the tests read into: number-text keeps at most 255 bytes of a
// 256-byte buffer, the single-byte and "Y" tests read into 80 bytes, the
// DWORD test into 4.
inline constexpr std::size_t kNumberTextBytes = 255;
inline constexpr std::size_t kSingleByteBytes = 80;
inline constexpr std::size_t kDwordBytes = 4;

// The tests on bytes already read.
bool PassesNumberText(const RawValue& raw, std::int32_t n);
bool PassesSingleByte(const RawValue& raw, std::uint8_t n);
bool PassesTextY(const RawValue& raw);
bool PassesDwordZero(const RawValue& raw);
bool PassesManagedLowBit(const RawValue& raw, std::uint8_t n);
// The test a row names, on bytes read the way ReadForTest reads them.
bool PassesStateTest(StateTest test, std::uint32_t operand, const RawValue& raw);

// Reads a value the way the given test reads it: number-text opens the key
// read-write, the others read-only; each with its own buffer size.
RawValue ReadForTest(platform::Registry& reg, StateTest test, platform::RegRoot root,
                     std::string_view key, std::string_view value);

// A row's state at page start (false for rows that are not read).
bool ReadOptionState(platform::Registry& reg, const TweakOption& option);

// Bytes a click writes for the given state.
std::vector<std::uint8_t> OptionBytes(const TweakOption& option, bool on);

struct ClickResult {
  bool checked;            // the box's mark after the click
  std::string statusText;  // on/off text, or the error text
  bool writeFailed;
};

// A click on a row's box that showed `checkedBefore`: keeps the original
// of every value of the row (OriginalSettings.h), then writes the new
// state's data to each in order. A key that cannot be opened, an original
// that cannot be kept and a write that fails on any value count as a failed
// click: the values already written are put back as they were, and the
// mark is what the registry holds, read as the page reads it at start (a
// row the page does not read keeps the mark it had): a failure never shows
// as a changed setting.
ClickResult ClickOption(platform::Registry& reg, const TweakOption& option, bool checkedBefore);

}  // namespace tunara
