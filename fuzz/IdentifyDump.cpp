// The recorded-block readers of dravon-identify on any file content: a block
// comes back only for 256 four-digit hex words or exactly 512 bytes, and a
// block read from words is the one those words spell.
#include <cstdio>
#include <cstring>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/Identify.h"

namespace {

std::string HexWords(const parvane::IdentifyData& block) {
  std::string out = "/dev/sdz:\n";
  char word[8];
  for (int n = 0; n < 256; ++n) {
    std::snprintf(word, sizeof word, "%04x", block.Word(n));
    out += word;
    out += (n % 8 == 7) ? '\n' : ' ';
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // libFuzzer's buffer is exactly `size` bytes: a read past it is reported.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto block = parvane::ParseIdentifyDump(input);
  if (!block) {
    FUZZ_CHECK(size != 512);
    return 0;
  }
  const bool raw = size == 512 && std::memcmp(block->bytes.data(), data, 512) == 0;
  if (!raw) {
    // Read from words: four digits each and a blank between them at least,
    // and the words written out again read back as the same block.
    FUZZ_CHECK(size >= 256 * 4 + 255);
    const auto again = parvane::ParseIdentifyDump(HexWords(*block));
    FUZZ_CHECK(again && again->bytes == block->bytes);
  }
  return 0;
}
