// The NVMe SMART / Health Information log (log page 02h) as the drive
// returns it through the storage protocol query, its fields at the byte
// offsets of the NVM Express base standard, and the request that asks for
// it. Counters are 16-byte little-endian numbers. Portable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "parvane/decode/ProtocolQuery.h"

namespace parvane {

inline constexpr std::size_t kNvmeHealthLogSize = 512;
inline constexpr std::uint32_t kNvmeDataTypeLogPage = 2;
inline constexpr std::uint32_t kNvmeLogHealth = 0x02;

struct NvmeHealthLog {
  std::array<std::uint8_t, kNvmeHealthLogSize> bytes{};
};

// The log's counters are 128-bit.
using NvmeCounter = unsigned __int128;

// Critical warning bits.
inline constexpr std::uint8_t kNvmeSpareLow = 1u << 0;
inline constexpr std::uint8_t kNvmeTemperature = 1u << 1;
inline constexpr std::uint8_t kNvmeReliability = 1u << 2;
inline constexpr std::uint8_t kNvmeReadOnly = 1u << 3;
inline constexpr std::uint8_t kNvmeBackupFailed = 1u << 4;

struct NvmeHealth {
  std::uint8_t criticalWarning = 0;
  std::uint16_t kelvin = 0;  // composite temperature; 0: not reported
  std::uint8_t availableSpare = 0;  // %
  std::uint8_t spareThreshold = 0;  // %
  std::uint8_t percentageUsed = 0;  // may pass 100
  NvmeCounter dataUnitsRead = 0;  // units of 1000 x 512 bytes
  NvmeCounter dataUnitsWritten = 0;
  NvmeCounter hostReads = 0;
  NvmeCounter hostWrites = 0;
  NvmeCounter busyMinutes = 0;
  NvmeCounter powerCycles = 0;
  NvmeCounter powerOnHours = 0;
  NvmeCounter unsafeShutdowns = 0;
  NvmeCounter mediaErrors = 0;
  NvmeCounter errorLogEntries = 0;
  std::uint32_t warningTempMinutes = 0;
  std::uint32_t criticalTempMinutes = 0;
  std::array<std::uint16_t, 8> sensorKelvin{};  // 0: not reported
};

NvmeHealth DecodeNvmeHealth(const NvmeHealthLog& log);

// The bytes a data-unit count stands for (1000 x 512 each); nothing when
// the product passes 128 bits.
std::optional<NvmeCounter> NvmeDataUnitBytes(NvmeCounter units);

// A counter in decimal.
std::string CounterText(NvmeCounter value);

// The log through the controller's property (the global log, namespace
// FFFFFFFFh), or through the device's (its namespace's log).
ProtocolRequest NvmeHealthRequest(std::uint32_t property);
// The log of an answer to either request; nothing when the answer does not
// hold a whole log inside the buffer.
std::optional<NvmeHealthLog> NvmeHealthFromAnswer(std::span<const std::uint8_t> answer);

// A log recorded as 512 whitespace-separated two-digit hex bytes, or as the
// 512 raw bytes.
std::optional<NvmeHealthLog> ParseNvmeHealthDump(std::string_view input);

}  // namespace parvane
