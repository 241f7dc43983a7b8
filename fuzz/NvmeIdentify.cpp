// NVMe Identify Controller and Namespace blocks with any contents, with or
// without the disk's extent, and the protocol query's answer around them:
// the disk page keeps its rows, the texts stay within their fields, the
// capacity is the namespace's or the disk's and never overflows, and a
// block is taken from an answer only when it lies wholly inside it.
//
// Input: the first kControllerPart bytes of the controller block, a flag and
// the first kNamespacePart bytes of the namespace block (the rest of each
// block is zeros: every field the pages read lies inside these parts, and
// short inputs keep the run fast), a flag and the disk's extent, then the
// answer's protocol record and the number of bytes returned.
#include <algorithm>
#include <cctype>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "fuzz/ProtocolAnswerCheck.h"
#include "parvane/decode/IdentifyDecode.h"
#include "parvane/decode/NvmeIdentify.h"

namespace {

constexpr std::size_t kControllerPart = 1024;  // the fields end at byte 526
constexpr std::size_t kNamespacePart = 512;    // the format table ends at byte 384

bool Digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void CheckText(const std::string& text, std::size_t field) {
  FUZZ_CHECK(text.size() <= field);
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  if (text.empty()) return;
  FUZZ_CHECK(text.front() != ' ' && text.back() != ' ');
}

void CheckPages(const parvane::NvmeIdentify& id, const std::optional<parvane::DiskExtent>& disk) {
  static const auto labels = parvane::DiskPageRows(nullptr);
  const auto c = parvane::DecodeNvmeController(id.controller);
  CheckText(c.serial, 20);
  CheckText(c.model, 40);
  CheckText(c.firmware, 8);

  const auto rows = parvane::NvmeDiskPageRows(id, disk);
  FUZZ_CHECK(rows.size() == labels.size() + 7);
  FUZZ_CHECK(rows.back().label.empty() && !rows.back().value);
  for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
    FUZZ_CHECK(rows[i].label == labels[i].label && rows[i].image == labels[i].image);
    if (i >= 2 && (i < 14 || i > 16)) FUZZ_CHECK(rows[i].value == parvane::kNotForNvme);
  }

  const auto cap = parvane::NvmeDriveCapacity(id, disk);
  FUZZ_CHECK(rows[14].value.has_value() == cap.sectors.has_value());
  FUZZ_CHECK(rows[16].value.has_value() == cap.sectors.has_value());
  FUZZ_CHECK(rows[15].value.has_value() == cap.bytes.has_value());
  if (cap.sectors) {
    FUZZ_CHECK(Digits(*rows[14].value));
    FUZZ_CHECK(*rows[16].value == *rows[14].value + " lba总扇区");
  }
  if (cap.bytes) {
    FUZZ_CHECK(*cap.bytes <= static_cast<std::uint64_t>(INT64_MAX));
    FUZZ_CHECK(*rows[15].value == std::to_string(*cap.bytes) + " bytes");
  }
  // Either the namespace's blocks of its current format, or the disk's length.
  const auto ns = id.ns ? parvane::DecodeNvmeNamespace(*id.ns) : parvane::NvmeNamespace{};
  if (cap.sectors && cap.bytes && ns.blockSize != 0 && *cap.sectors == ns.blocks &&
      *cap.bytes == ns.blocks * ns.blockSize) {
    FUZZ_CHECK(ns.blockSize >= 512 && (ns.blockSize & (ns.blockSize - 1)) == 0);
  } else if (cap.bytes) {
    FUZZ_CHECK(disk && *cap.bytes == disk->bytes);
    FUZZ_CHECK(cap.sectors.has_value() == (disk->bytesPerSector != 0));
  } else {
    FUZZ_CHECK(!cap.sectors);
  }

  FUZZ_CHECK(!rows[46].value->empty());
  FUZZ_CHECK(rows[47].value->size() == 6 && rows[47].value->rfind("0x", 0) == 0);
  FUZZ_CHECK(Digits(*rows[48].value));
  FUZZ_CHECK(rows[49].value.has_value() == (c.warningKelvin != 0));
  FUZZ_CHECK(rows[50].value.has_value() == (c.criticalKelvin != 0));
  FUZZ_CHECK(*rows[51].value == (c.volatileWriteCache ? "Yes" : "No"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  auto id = std::make_unique<parvane::NvmeIdentify>();
  in.Fill(id->controller.bytes.data(), kControllerPart);
  if (in.Bool()) {
    id->ns.emplace();
    in.Fill(id->ns->bytes.data(), kNamespacePart);
  }
  std::optional<parvane::DiskExtent> disk;
  if (in.Bool()) {
    const std::uint64_t bytes = in.U64();
    disk = parvane::DiskExtent{bytes, in.U32()};
  }
  CheckPages(*id, disk);

  std::uint8_t record[parvane::kProtocolRecordSize];
  in.Fill(record, sizeof record);
  fuzz::CheckProtocolAnswer(parvane::NvmeControllerRequest(), record, in.U16(), id->controller,
                            [](auto answer) { return parvane::NvmeBlockFromAnswer(answer); });
  return 0;
}
