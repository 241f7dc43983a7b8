// Both hard-disk pages decoded from any 512-byte block, raw and repaired: the
// rows are the pages' fixed rows whatever the block holds, every value has
// the shape of its row, and the texts stay within their fields.
#include <cctype>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/Identify.h"
#include "parvane/decode/IdentifyDecode.h"
#include "platform/AnsiText.h"

namespace {

bool Digits(std::string_view s) {
  if (!s.empty() && s[0] == '-') s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// A number, then `suffix`.
bool NumberThen(const std::string& v, std::string_view suffix) {
  return v.size() > suffix.size() && v.compare(v.size() - suffix.size(), suffix.size(), suffix) == 0 &&
         Digits(std::string_view(v).substr(0, v.size() - suffix.size()));
}

void CheckRows(const std::vector<parvane::PageRow>& rows,
               const std::vector<parvane::PageRow>& labels) {
  FUZZ_CHECK(rows.size() == labels.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FUZZ_CHECK(rows[i].label == labels[i].label);
    FUZZ_CHECK(rows[i].image == labels[i].image);
    FUZZ_CHECK(!labels[i].value);
    if (!rows[i].value) continue;
    const std::string& v = *rows[i].value;
    FUZZ_CHECK(v.find('\0') == std::string::npos);
    if (rows[i].label.empty()) FUZZ_CHECK(false);  // the unlabelled rows stay empty
  }
}

void CheckBlock(const parvane::IdentifyData& block) {
  static const auto diskLabels = parvane::DiskPageRows(nullptr);
  static const auto modesLabels = parvane::DiskModesPageRows(nullptr);
  const auto disk = parvane::DecodeDiskPage(block);
  const auto modes = parvane::DecodeDiskModesPage(block);
  CheckRows(disk, diskLabels);
  CheckRows(modes, modesLabels);

  // Identity rows always have a value: the field's bytes, read within the
  // field, in the system's code page.
  const std::string model = parvane::IdentifyText(block, parvane::kModelField);
  const std::string serial = parvane::IdentifyText(block, parvane::kSerialField);
  FUZZ_CHECK(model.size() <= parvane::kModelField.length);
  FUZZ_CHECK(serial.size() <= parvane::kSerialField.length);
  FUZZ_CHECK(disk[0].value && *disk[0].value == platform::AnsiBytesToUtf8(model));
  FUZZ_CHECK(disk[1].value && *disk[1].value == platform::AnsiBytesToUtf8(serial));
  // The DMA rows (2-9) and the CHS rows (17-21) have values exactly when
  // word 53 says those words are valid.
  for (int i = 2; i <= 9; ++i) FUZZ_CHECK(disk[i].value.has_value() == block.Bit(53, 2));
  for (int i = 17; i <= 21; ++i) FUZZ_CHECK(disk[i].value.has_value() == block.Bit(53, 0));
  const bool word80 = block.Word(80) != 0 && block.Word(80) != 0xFFFF;
  for (std::size_t i = 31; i + 1 < disk.size(); ++i) FUZZ_CHECK(disk[i].value.has_value() == word80);

  FUZZ_CHECK(Digits(*disk[10].value));
  FUZZ_CHECK(NumberThen(*disk[11].value, " 柱面"));
  FUZZ_CHECK(NumberThen(*disk[12].value, " 磁头"));
  FUZZ_CHECK(NumberThen(*disk[13].value, " 扇区"));
  FUZZ_CHECK(Digits(*disk[14].value));
  FUZZ_CHECK(NumberThen(*disk[15].value, " bytes"));
  FUZZ_CHECK(NumberThen(*disk[16].value, " lba总扇区"));
  // The LBA size is never negative: a 32-bit count times 512 fits 64 bits.
  // (The 64-bit LBA48 count and the signed CHS size print as the system's
  // signed formats do.)
  FUZZ_CHECK((*disk[15].value)[0] != '-');
  if (block.Bit(53, 0)) {
    for (int i = 17; i <= 20; ++i) FUZZ_CHECK(Digits(*disk[i].value) && (*disk[i].value)[0] != '-');
    FUZZ_CHECK(NumberThen(*disk[21].value, " bytes"));
  }

  // Every other row is a yes/no or a plain number.
  auto yesNoOrNumber = [](const parvane::PageRow& r) {
    return !r.value || *r.value == "Yes" || *r.value == "No" || Digits(*r.value);
  };
  for (std::size_t i = 2; i < disk.size(); ++i)
    if (i < 10 || i > 21) FUZZ_CHECK(yesNoOrNumber(disk[i]));
  for (const auto& r : modes) FUZZ_CHECK(yesNoOrNumber(r));
  FUZZ_CHECK(modes.back().value && (*modes.back().value == "Yes" || *modes.back().value == "No"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  auto block = std::make_unique<parvane::IdentifyData>();
  in.Fill(block->bytes.data(), block->bytes.size());
  CheckBlock(*block);
  parvane::FixIdentifyTexts(*block);
  CheckBlock(*block);
  return 0;
}
