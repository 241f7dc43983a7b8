#include "parvane/decode/ProtocolQuery.h"

#include <algorithm>

#include "parvane/decode/Bytes.h"

namespace parvane {

void WriteProtocolQuery(std::span<std::uint8_t> buffer, const ProtocolRequest& r) {
  std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
  PutU32(buffer.data() + 0, r.property);
  PutU32(buffer.data() + 4, 0);  // standard query
  std::uint8_t* record = buffer.data() + kProtocolHeadSize;
  PutU32(record + 0, r.protocol);
  PutU32(record + 4, r.dataType);
  PutU32(record + 8, r.value);
  PutU32(record + 12, r.subValue);
  PutU32(record + 16, kProtocolRecordSize);  // data right after the record
  PutU32(record + 20, r.length);
}

std::vector<std::uint8_t> ProtocolQuery(const ProtocolRequest& request) {
  std::vector<std::uint8_t> buffer(kProtocolHeadSize + kProtocolRecordSize + request.length);
  WriteProtocolQuery(buffer, request);
  return buffer;
}

std::optional<std::span<const std::uint8_t>> ProtocolAnswerData(
    std::span<const std::uint8_t> answer, std::size_t length) {
  if (answer.size() < kProtocolHeadSize + kProtocolRecordSize) return std::nullopt;
  const std::uint8_t* record = answer.data() + kProtocolHeadSize;
  const std::uint64_t offset = GetU32(record + 16);
  const std::uint64_t returned = GetU32(record + 20);
  // Data overlapping the record, or running past the buffer, is a malformed answer.
  if (returned < length || offset < kProtocolRecordSize ||
      kProtocolHeadSize + offset + length > answer.size())
    return std::nullopt;
  return answer.subspan(kProtocolHeadSize + offset, length);
}

}  // namespace parvane
