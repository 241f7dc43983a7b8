#include "parvane/decode/NvmeHealth.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "parvane/decode/Bytes.h"
#include "parvane/decode/HexDump.h"

namespace parvane {
namespace {

// Field offsets of the log.
constexpr std::size_t kWarning = 0, kTemperature = 1, kSpare = 3, kSpareThreshold = 4, kUsed = 5,
                      kUnitsRead = 32, kUnitsWritten = 48, kHostReads = 64, kHostWrites = 80,
                      kBusy = 96, kCycles = 112, kHours = 128, kUnsafe = 144, kMedia = 160,
                      kErrorEntries = 176, kWarningTime = 192, kCriticalTime = 196, kSensors = 200;

constexpr NvmeCounter kBytesPerUnit = 512000;

NvmeCounter Counter(const std::uint8_t* at) {
  return static_cast<NvmeCounter>(GetU64(at)) | (static_cast<NvmeCounter>(GetU64(at + 8)) << 64);
}

}  // namespace

NvmeHealth DecodeNvmeHealth(const NvmeHealthLog& log) {
  const std::uint8_t* b = log.bytes.data();
  NvmeHealth h;
  h.criticalWarning = b[kWarning];
  h.kelvin = GetU16(b + kTemperature);
  h.availableSpare = b[kSpare];
  h.spareThreshold = b[kSpareThreshold];
  h.percentageUsed = b[kUsed];
  h.dataUnitsRead = Counter(b + kUnitsRead);
  h.dataUnitsWritten = Counter(b + kUnitsWritten);
  h.hostReads = Counter(b + kHostReads);
  h.hostWrites = Counter(b + kHostWrites);
  h.busyMinutes = Counter(b + kBusy);
  h.powerCycles = Counter(b + kCycles);
  h.powerOnHours = Counter(b + kHours);
  h.unsafeShutdowns = Counter(b + kUnsafe);
  h.mediaErrors = Counter(b + kMedia);
  h.errorLogEntries = Counter(b + kErrorEntries);
  h.warningTempMinutes = GetU32(b + kWarningTime);
  h.criticalTempMinutes = GetU32(b + kCriticalTime);
  for (std::size_t i = 0; i < h.sensorKelvin.size(); ++i) h.sensorKelvin[i] = GetU16(b + kSensors + 2 * i);
  return h;
}

std::optional<NvmeCounter> NvmeDataUnitBytes(NvmeCounter units) {
  if (units > std::numeric_limits<NvmeCounter>::max() / kBytesPerUnit) return std::nullopt;
  return units * kBytesPerUnit;
}

std::string CounterText(NvmeCounter value) {
  std::string digits;
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

ProtocolRequest NvmeHealthRequest(std::uint32_t property) {
  // Sub-value 0: the log from its first byte.
  return {property, kProtocolTypeNvme, kNvmeDataTypeLogPage, kNvmeLogHealth, 0, kNvmeHealthLogSize};
}

std::optional<NvmeHealthLog> NvmeHealthFromAnswer(std::span<const std::uint8_t> answer) {
  auto data = ProtocolAnswerData(answer, kNvmeHealthLogSize);
  if (!data) return std::nullopt;
  NvmeHealthLog log;
  std::memcpy(log.bytes.data(), data->data(), kNvmeHealthLogSize);
  return log;
}

std::optional<NvmeHealthLog> ParseNvmeHealthDump(std::string_view input) {
  NvmeHealthLog log;
  if (!ParseByteDump(input, log.bytes)) return std::nullopt;
  return log;
}

}  // namespace parvane
