// The storage protocol query's answer and the SMART output record with any
// contents: a block is taken only when its 512 bytes lie inside the answer
// (from the SMART record: only without a driver error, and never all
// zeros), and it is exactly those bytes.
#include <algorithm>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/Identify.h"
#include "parvane/decode/Smart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  auto answer = std::make_unique<std::array<std::uint8_t, parvane::kProtocolQuerySize>>();
  in.Fill(answer->data(), answer->size());
  const std::uint8_t* proto = answer->data() + 8;
  auto u32 = [](const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  };
  const std::uint64_t offset = u32(proto + 16);
  const std::uint64_t length = u32(proto + 20);

  const auto block = parvane::IdentifyFromProtocolAnswer(*answer);
  // The only place a whole block fits is right after the protocol record.
  FUZZ_CHECK(block.has_value() == (offset == 40 && length >= 512));
  if (block) FUZZ_CHECK(std::equal(block->bytes.begin(), block->bytes.end(), proto + offset));

  auto smart = std::make_unique<std::array<std::uint8_t, parvane::kSmartOutputSize>>();
  std::copy(answer->begin(), answer->begin() + smart->size(), smart->begin());
  // Taken whole from a complete answer without a driver error (byte 4),
  // unless all zeros.
  const auto fromSmart = parvane::IdentifyFromSmartAnswer(*smart, smart->size());
  const bool filled = std::any_of(smart->begin() + parvane::kSmartOutputDataOffset,
                                smart->begin() + parvane::kSmartOutputDataOffset + 512,
                                [](std::uint8_t b) { return b != 0; });
  FUZZ_CHECK(fromSmart.has_value() == ((*smart)[4] == 0 && filled));
  if (fromSmart)
    FUZZ_CHECK(std::equal(fromSmart->bytes.begin(), fromSmart->bytes.end(),
                          smart->begin() + parvane::kSmartOutputDataOffset));
  return 0;
}
