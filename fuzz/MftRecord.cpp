// One master-file-table record over any bytes (the first byte picks the
// record size, two more its number), then the same bytes as mapping pairs
// and as an attribute list: nothing read outside its bounds, and what a
// record gives is within what NTFS can hold. Its names as the volume keeps
// them read back as the same text and in the same order as their code units.
#include <cstring>
#include <string>
#include <vector>

#include "app/diskview/scan/ntfs/Collation.h"
#include "app/diskview/scan/ntfs/Records.h"
#include "fuzz/FuzzInput.h"

using namespace diskview::ntfs;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  static constexpr std::size_t kSizes[] = {1024, 4096, 512, 2048};
  const std::size_t recordSize = kSizes[in.U8() % 4];
  const std::uint64_t number = in.U16();
  // An exact-size copy of the rest: a read past the record is a read past the buffer.
  std::vector<std::uint8_t> record(recordSize, 0);
  in.Fill(record.data(), record.size());
  RecordFacts facts;
  const RecordStatus status = ParseRecord(record.data(), record.size(), number, facts);
  if (status == RecordStatus::kInUse) {
    FUZZ_CHECK(facts.inUse);
    const Collation ascii;
    std::u16string_view previous;
    std::string previousKept;
    for (const auto& name : facts.names) {
      const std::u16string_view text = facts.Text(name);
      FUZZ_CHECK(!text.empty() && text.size() <= 255);
      FUZZ_CHECK(name.textAt + text.size() <= facts.texts.size());
      FUZZ_CHECK(name.space <= 3);
      std::string kept;
      AppendUnits(text, kept);
      FUZZ_CHECK(kept.size() <= 3 * text.size());
      FUZZ_CHECK(ascii.Less(kept, previousKept) == ascii.Less(text, previous));
      FUZZ_CHECK(ascii.Less(previousKept, kept) == ascii.Less(previous, text));
      previous = text;
      previousKept = kept;
      RepairLoneSurrogates(kept);
      FUZZ_CHECK(kept == Utf16ToUtf8(text));
    }
    FUZZ_CHECK(facts.attributeListSize <= (1u << 20));
    FUZZ_CHECK(!facts.hasSize || facts.size <= (std::uint64_t{1} << 62));
  } else {
    FUZZ_CHECK(facts.names.empty() && facts.dataRuns.empty() && !facts.hasSize);
  }

  const std::vector<std::uint8_t> rest(data, data + size);
  std::vector<Run> runs;
  if (DecodeRuns(rest.data(), rest.size(), 0, runs)) {
    std::uint64_t vcn = 0;
    for (const Run& run : runs) {
      FUZZ_CHECK(run.vcn == vcn && run.length > 0);
      vcn += run.length;
    }
  }
  std::vector<RecordFacts::ListEntry> list;
  ParseAttributeList(rest.data(), rest.size(), list);
  FUZZ_CHECK(list.size() <= rest.size() / 26);
  return 0;
}
