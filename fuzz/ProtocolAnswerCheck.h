// What every protocol query's answer must satisfy: built around `block`
// with the input's protocol record and cut to the bytes the driver says it
// returned, it gives the block (through `take`) only when the record says a
// whole one came back and it lies inside the answer after the record, and
// then exactly those bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/ProtocolQuery.h"

namespace fuzz {

template <class Block, class Take>
void CheckProtocolAnswer(const parvane::ProtocolRequest& request, const std::uint8_t* record,
                         std::size_t returned, const Block& block, Take take) {
  auto answer = parvane::ProtocolQuery(request);
  std::copy(record, record + parvane::kProtocolRecordSize, answer.begin() + parvane::kProtocolHeadSize);
  std::copy(block.bytes.begin(), block.bytes.end(), answer.begin() + 48);
  returned = std::min(returned, answer.size());
  const auto taken = take(std::span<const std::uint8_t>(answer).first(returned));
  auto u32 = [](const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  };
  const std::uint64_t offset = u32(record + 16), length = u32(record + 20), size = block.bytes.size();
  FUZZ_CHECK(taken.has_value() == (offset >= 40 && length >= size && 8 + offset + size <= returned));
  if (taken) FUZZ_CHECK(std::equal(taken->bytes.begin(), taken->bytes.end(), answer.begin() + 8 + offset));
}

}  // namespace fuzz
