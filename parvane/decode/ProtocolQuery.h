// The storage protocol query: IOCTL_STORAGE_QUERY_PROPERTY with a
// protocol-specific property, which asks a drive for its own identify data
// (ATA IDENTIFY, NVMe Identify) through the storage driver. Windows answers
// it on a handle opened with no access rights.
//
// One buffer serves as input and output: the 8-byte property query head
// (property, query type), the 40-byte protocol record (protocol, data type,
// request value, sub value, data offset, data length, ...), then room for
// the data. The answer has the same shape behind an 8-byte version/size head
// in place of the query head, so the record and the data stay where they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace parvane {

inline constexpr std::uint32_t kStorageAdapterProtocolSpecificProperty = 49;
inline constexpr std::uint32_t kStorageDeviceProtocolSpecificProperty = 50;
inline constexpr std::uint32_t kProtocolTypeAta = 2;
inline constexpr std::uint32_t kProtocolTypeNvme = 3;
inline constexpr std::uint32_t kAtaDataTypeIdentify = 1;
inline constexpr std::uint32_t kNvmeDataTypeIdentify = 1;

inline constexpr std::size_t kProtocolHeadSize = 8;
inline constexpr std::size_t kProtocolRecordSize = 40;

struct ProtocolRequest {
  std::uint32_t property;
  std::uint32_t protocol;
  std::uint32_t dataType;
  std::uint32_t value;     // ATA: unused; NVMe Identify: the CNS
  std::uint32_t subValue;  // NVMe Identify: the namespace id
  std::uint32_t length;    // bytes of data asked for
};

// Writes the query into `buffer`, which must hold head, record and data.
void WriteProtocolQuery(std::span<std::uint8_t> buffer, const ProtocolRequest& request);
std::vector<std::uint8_t> ProtocolQuery(const ProtocolRequest& request);

// The `length` data bytes of an answer: only when the record says at least
// that many came back and they lie inside the buffer, after the record.
std::optional<std::span<const std::uint8_t>> ProtocolAnswerData(
    std::span<const std::uint8_t> answer, std::size_t length);

}  // namespace parvane
