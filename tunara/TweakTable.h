// The check-box tweaks of the optimisation pages, as data: for each box the
// registry value it reads at page start, how that value decides the check
// mark, what a click writes, and the words shown beside the box.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/Registry.h"

namespace tunara {

enum class PageId : std::uint8_t { Disk, Memory, Cdrom, Ntfs };

// How a row decides its state at page start; each reads the value's raw
// bytes whatever type is stored.
enum class StateTest : std::uint8_t {
  NumberText,  // bytes as text, atoi rules, equal to the operand; missing is 0
  SingleByte,  // exactly one byte before the first NUL, equal to the operand
  TextY,       // exactly "Y" before the first NUL
  DwordZero,   // read as a 32-bit number, which is 0; missing counts as 0
  // As SingleByte, except that a DWORD whose high bit is set (the system
  // manages the setting itself) is read by its low bit, equal to the operand.
  ManagedLowBit,
  NotRead,     // the box starts unchecked with an empty label
};

enum class KeyOpen : std::uint8_t { Existing, OpenOrCreate };

// Data a click writes: REG_SZ rows write `text` without a terminator,
// REG_DWORD rows write `number` as four little-endian bytes.
struct TweakData {
  std::string_view text;
  std::uint32_t number = 0;
};

struct TweakOption {
  std::uint16_t box;     // check box (one radio button on the NTFS page)
  std::uint16_t status;  // static text beside it
  std::string_view caption;
  platform::RegRoot root;
  std::string_view key;      // key written (and read, unless readKey is set)
  std::string_view readKey;  // key read at page start when it differs
  KeyOpen open;
  std::array<std::string_view, 4> values;  // written in this order
  std::uint8_t valueCount;
  std::uint32_t type;  // platform::kRegSz or platform::kRegDword
  TweakData on;
  TweakData off;
  StateTest test;
  std::uint32_t operand;  // N of number-text and single-byte
  std::string_view onText;
  std::string_view offText;
  std::string_view offTextAtStart;  // differs from offText on one row

  std::string_view ReadKey() const { return readKey.empty() ? key : readKey; }
  std::string_view StartOffText() const {
    return offTextAtStart.empty() ? offText : offTextAtStart;
  }
  std::span<const std::string_view> Values() const { return {values.data(), valueCount}; }
};

// Shown in a status label or level text box when a write fails.
inline constexpr std::string_view kTweakErrorText = "优化错误!";

// The rows of one page, in table order (the order the page reads them).
std::span<const TweakOption> TweakOptions(PageId page);

// The row bound to a box of a page, or nullptr.
const TweakOption* FindTweakOption(PageId page, std::uint16_t box);

}  // namespace tunara
