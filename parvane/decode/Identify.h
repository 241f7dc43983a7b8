// The ATA IDENTIFY DEVICE block and the byte-exact request records the
// device layer sends to get it. Everything here is portable: the Win32 side
// only hands these buffers to DeviceIoControl, so the layouts are tested on
// the host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "parvane/decode/ProtocolQuery.h"

namespace parvane {

// 512 bytes = 256 little-endian words, as the drive returns them for 0xEC.
struct IdentifyData {
  std::array<std::uint8_t, 512> bytes{};

  std::uint16_t Word(int n) const {
    return static_cast<std::uint16_t>(bytes[2 * n] | (bytes[2 * n + 1] << 8));
  }
  void SetWord(int n, std::uint16_t value) {
    bytes[2 * n] = static_cast<std::uint8_t>(value);
    bytes[2 * n + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  bool Bit(int n, int b) const { return ((Word(n) >> b) & 1) != 0; }
};

// Text fields of the block: byte offset and length.
struct IdentifyField {
  std::size_t offset;
  std::size_t length;
};
inline constexpr IdentifyField kSerialField{20, 20};
inline constexpr IdentifyField kFirmwareField{46, 8};
inline constexpr IdentifyField kModelField{54, 40};

// Repairs one raw text field in place: un-swaps the byte pairs, moves the
// text to the start (NUL-filling what the leading blanks freed) and turns the
// trailing blanks into NULs. A text that fills the field keeps no terminator.
void FixIdentifyText(std::uint8_t* field, std::size_t length);

// Repairs serial, model and firmware, in that order, as the drive layer does
// after a successful read.
void FixIdentifyTexts(IdentifyData& block);

// A repaired field as text: up to its first NUL, never beyond the field.
std::string IdentifyText(const IdentifyData& block, IdentifyField field);

// Reads a block recorded as `hdparm --Istdout` hex words (256 four-digit
// words, whitespace separated) or as the 512 raw bytes. The words of a hex
// dump are the little-endian values, so text words read high byte first, as
// in the raw block. Returns nothing when the input is neither.
std::optional<IdentifyData> ParseIdentifyDump(std::string_view input);

// --- SMART request records (packed, as the disk driver reads them) ---------

inline constexpr std::uint8_t kAtaIdentifyDevice = 0xEC;
inline constexpr std::size_t kSmartInputSize = 35;
inline constexpr std::size_t kSmartOutputSize = 531;
inline constexpr std::size_t kSmartOutputDataOffset = 16;

// Input record: buffer size 0, command register 0xEC, drive number 0.
std::array<std::uint8_t, kSmartInputSize> SmartIdentifyInput();
// Output record, zeroed, with its buffer size set to 512 (the other SMART
// requests use it too). What the driver put in it is taken by
// IdentifyFromSmartAnswer (Smart.h), which checks it.
std::array<std::uint8_t, kSmartOutputSize> SmartIdentifyOutput();

// --- The storage protocol query (fallback without administrator rights) ---
//
// The device's protocol-specific property, protocol ATA, data type IDENTIFY
// (ProtocolQuery.h): answered on a handle opened with no access rights, where
// the SMART request needs read and write access.
inline constexpr std::size_t kProtocolQuerySize = kProtocolHeadSize + kProtocolRecordSize + 512;

std::array<std::uint8_t, kProtocolQuerySize> AtaIdentifyProtocolQuery();
// Takes the block out of the answer; nothing when the answer does not hold
// a whole 512-byte block inside the buffer.
std::optional<IdentifyData> IdentifyFromProtocolAnswer(
    const std::array<std::uint8_t, kProtocolQuerySize>& answer);

}  // namespace parvane
