// ATA SMART: the request records the device layer sends for SMART READ DATA,
// READ THRESHOLDS and RETURN STATUS (command B0h through the disk driver's
// SMART requests, the records of Identify.h), the checks an answer must pass
// before it counts, and the 512-byte data and thresholds blocks decoded into
// attributes. Portable: the Win32 side only hands these buffers over.
//
// Attribute raw values are vendor-defined, and several drives pack other
// fields (minimum and maximum temperatures, milliseconds, error details)
// into their upper bytes. So the few attributes the page interprets are read
// from fixed low bytes only, and a value no drive could hold is never shown
// as a count of hours:
//   C2h temperature (BEh where C2h is missing or gives none): raw byte 0, in
//       ℃, taken when 1 to 127;
//   09h power-on hours: raw bytes 0-3; above kMaxPowerOnHours (25 years of
//       never being off) the drive counts in another unit, which it does not
//       say, and the hours are unknown;
//   0Ch power cycles: raw bytes 0-3;
//   05h reallocated, C5h pending and C6h uncorrectable sectors: raw bytes
//       0-1 (one drive recorded here keeps error details in bytes 2-5).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "parvane/decode/Identify.h"

namespace parvane {

inline constexpr std::size_t kSmartBlockSize = 512;
inline constexpr int kSmartAttributeSlots = 30;

// SMART READ DATA or READ THRESHOLDS as the drive returns it.
struct SmartBlock {
  std::array<std::uint8_t, kSmartBlockSize> bytes{};
};

// A block that holds data: not all zeros, and its 512 bytes sum to 0 mod
// 256 (byte 511 is the checksum).
bool IsValidSmartBlock(const SmartBlock& block);

// --- the requests --------------------------------------------------------------

inline constexpr std::uint8_t kAtaSmart = 0xB0;
enum class SmartFeature : std::uint8_t { ReadData = 0xD0, ReadThresholds = 0xD1, ReturnStatus = 0xDA };

// The 35-byte input record of a SMART command: buffer size 512 (0 for
// RETURN STATUS), features, sector count and number 1, LBA mid/high 4Fh/C2h
// (the SMART signature), drive/head A0h, command B0h.
std::array<std::uint8_t, kSmartInputSize> SmartCommandInput(SmartFeature feature);

// What the driver returned in the output record (SmartIdentifyOutput()):
// the 512 data bytes when it says it returned them all (the byte count
// reaches them), reports no driver error, and the block is not all zeros.
std::optional<std::array<std::uint8_t, 512>> SmartOutputData(
    std::span<const std::uint8_t> out, std::size_t returned);
// The same answer as SMART data: also a valid block (checksum).
std::optional<SmartBlock> SmartBlockFromOutput(std::span<const std::uint8_t> out, std::size_t returned);
// The same answer as an IDENTIFY block. Its checksum is not asked for: a
// real drive recorded in the tests' data gets its own wrong.
std::optional<IdentifyData> IdentifyFromSmartAnswer(std::span<const std::uint8_t> out,
                                                     std::size_t returned);

// RETURN STATUS: the drive answers in its LBA mid/high registers, which the
// driver returns as the 8-byte register record after the output head.
enum class SmartStatus { Unknown, Passing, Failing };
inline constexpr std::size_t kSmartStatusOutputSize = kSmartOutputDataOffset + 8;
SmartStatus SmartStatusFromOutput(std::span<const std::uint8_t> out, std::size_t returned);

// --- the data ------------------------------------------------------------------

struct SmartAttribute {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t current = 0;  // normalised value
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;  // 48 bits, little-endian in the block
  std::optional<std::uint8_t> threshold;  // none: no thresholds, or none for this id

  // Flag bit 0: a pre-failure attribute; otherwise an old-age one.
  bool PreFailure() const { return (flags & 1) != 0; }
  // At or below a threshold that can be crossed (01h-FDh; 00h never fails),
  // with a valid current value.
  bool AtThreshold() const;
};

// The used attribute slots (id not 0) in block order, each joined with the
// threshold of the same id. Call only with a valid data block.
std::vector<SmartAttribute> DecodeSmartAttributes(const SmartBlock& data, const SmartBlock* thresholds);

// The attribute's name as the page shows it; "未知属性" for an id it does
// not know.
std::string SmartAttributeName(std::uint8_t id);

inline constexpr std::uint32_t kMaxPowerOnHours = 25u * 365u * 24u;

// What the page reads out of the attributes (see the header comment).
struct SmartReadings {
  std::optional<int> celsius;
  std::optional<std::uint32_t> powerOnHours;
  std::optional<std::uint32_t> powerOnRaw;  // the raw count when it cannot be hours
  std::optional<std::uint32_t> powerCycles;
  std::optional<std::uint32_t> reallocated, pending, uncorrectable;
};
SmartReadings ReadSmartAttributes(const std::vector<SmartAttribute>& attributes);

// IDENTIFY word 82 bit 0 (SMART supported) and word 85 bit 0 (enabled);
// the words are valid when neither 0 nor FFFFh.
bool IdentifySaysSmartSupported(const IdentifyData& block);
bool IdentifySaysSmartEnabled(const IdentifyData& block);

// A block recorded as 512 whitespace-separated two-digit hex bytes, or as the
// 512 raw bytes. Nothing when the input is neither; the block is not checked.
std::optional<SmartBlock> ParseSmartDump(std::string_view input);

}  // namespace parvane
