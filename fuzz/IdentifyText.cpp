// The IDENTIFY text repair on a field of any length and content, in a heap
// buffer of exactly that length (so a byte read or written past it is an
// AddressSanitizer report), then the repaired fields read back from a block.
#include <algorithm>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/Identify.h"

namespace {

bool Blank(std::uint8_t c) { return c == ' ' || c == 0; }

void CheckRepair(const std::uint8_t* raw, std::size_t length) {
  auto field = std::make_unique<std::uint8_t[]>(length);
  std::copy(raw, raw + length, field.get());
  parvane::FixIdentifyText(field.get(), length);

  // What the drive meant: the pairs swapped back (an odd last byte stays).
  std::vector<std::uint8_t> text(raw, raw + length);
  for (std::size_t i = 0; i + 1 < length; i += 2) std::swap(text[i], text[i + 1]);
  std::size_t first = 0;
  while (first < length && text[first] == ' ') ++first;
  std::size_t end = length;
  while (end > first && Blank(text[end - 1])) --end;

  // The text moves to the start, unchanged; everything after it is NUL.
  FUZZ_CHECK(std::equal(text.begin() + first, text.begin() + end, field.get()));
  for (std::size_t i = end - first; i < length; ++i) FUZZ_CHECK(field[i] == 0);
  FUZZ_CHECK(length == 0 || field[0] != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckRepair(data, std::min<std::size_t>(size, 1024));

  // The three fields of a block, repaired together: each stays inside its own
  // bytes, and reads back within its length and without a NUL.
  fuzz::Reader in(data, size);
  auto block = std::make_unique<parvane::IdentifyData>();
  in.Fill(block->bytes.data(), block->bytes.size());
  const parvane::IdentifyData before = *block;
  parvane::FixIdentifyTexts(*block);
  for (std::size_t i = 0; i < block->bytes.size(); ++i) {
    const bool inField = (i >= 20 && i < 40) || (i >= 46 && i < 94);
    if (!inField) FUZZ_CHECK(block->bytes[i] == before.bytes[i]);
  }
  for (parvane::IdentifyField f :
       {parvane::kSerialField, parvane::kFirmwareField, parvane::kModelField}) {
    const std::string t = parvane::IdentifyText(*block, f);
    FUZZ_CHECK(t.size() <= f.length);
    FUZZ_CHECK(t.find('\0') == std::string::npos);
    FUZZ_CHECK(t.empty() || t[0] != ' ');
  }
  return 0;
}
