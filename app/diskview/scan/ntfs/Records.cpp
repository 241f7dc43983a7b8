#include "app/diskview/scan/ntfs/Records.h"

#include <cstring>

#include "app/diskview/scan/ntfs/LittleEndian.h"

namespace diskview::ntfs {
namespace {

constexpr std::uint32_t kAttrStandardInformation = 0x10;
constexpr std::uint32_t kAttrAttributeList = 0x20;
constexpr std::uint32_t kAttrFileName = 0x30;
constexpr std::uint32_t kAttrData = 0x80;
constexpr std::uint32_t kAttrReparsePoint = 0xC0;
constexpr std::uint32_t kAttrEnd = 0xFFFFFFFF;

constexpr std::uint16_t kRecordInUse = 0x0001;
constexpr std::uint16_t kRecordDirectory = 0x0002;
constexpr std::uint32_t kFileAttributeReparse = 0x400;
constexpr std::size_t kFixupStride = 512;
// An attribute list longer than this is not one NTFS writes.
constexpr std::uint64_t kMaxAttributeList = 1u << 20;

}  // namespace

bool ApplyFixups(std::uint8_t* record, std::size_t size) {
  if (size < kFixupStride || size % kFixupStride != 0) return false;
  const std::size_t offset = U16(record + 4);
  const std::size_t count = U16(record + 6);
  if (count != size / kFixupStride + 1) return false;
  if (offset < 8 || offset % 2 != 0 || offset + 2 * count > kFixupStride - 2) return false;
  const std::uint8_t* usa = record + offset;
  for (std::size_t i = 1; i < count; ++i) {
    std::uint8_t* tail = record + i * kFixupStride - 2;
    if (tail[0] != usa[0] || tail[1] != usa[1]) return false;
  }
  for (std::size_t i = 1; i < count; ++i) {
    std::uint8_t* tail = record + i * kFixupStride - 2;
    tail[0] = usa[2 * i];
    tail[1] = usa[2 * i + 1];
  }
  return true;
}

void RecordFacts::Clear() {
  inUse = directory = hasSize = hasReparse = hasAttributeList = false;
  sequence = 0;
  base = size = attributeListSize = 0;
  reparseTag = 0;
  names.clear();
  texts.clear();
  dataRuns.clear();
  attributeList.clear();
  attributeListRuns.clear();
}

namespace {

RecordStatus ParseInto(std::uint8_t* r, std::size_t size, std::uint64_t number, RecordFacts& out) {
  if (size < 512) return RecordStatus::kCorrupt;
  const std::uint16_t flags = U16(r + 22);
  if (std::memcmp(r, "FILE", 4) != 0) {
    // Never-used records may be all zeros; anything else claiming use is bad.
    return (flags & kRecordInUse) && std::memcmp(r, "\0\0\0\0", 4) != 0 ? RecordStatus::kCorrupt
                                                                        : RecordStatus::kFree;
  }
  if (!(flags & kRecordInUse)) return RecordStatus::kFree;
  if (!ApplyFixups(r, size)) return RecordStatus::kCorrupt;
  const std::size_t usaOffset = U16(r + 4);
  const std::size_t attrsOffset = U16(r + 20);
  const std::size_t used = U32(r + 24);
  if (used > size || used < 24 || attrsOffset < 24 || attrsOffset % 8 != 0 || attrsOffset >= used)
    return RecordStatus::kCorrupt;
  // From NTFS 3.1 the header carries the record's own number.
  if (usaOffset >= 0x30 && attrsOffset >= 0x30 && U32(r + 44) != (number & 0xFFFFFFFF))
    return RecordStatus::kCorrupt;
  out.inUse = true;
  out.directory = (flags & kRecordDirectory) != 0;
  out.sequence = U16(r + 16);
  out.base = U64(r + 32);

  std::size_t at = attrsOffset;
  for (;;) {
    if (used - at < 4) return RecordStatus::kCorrupt;
    const std::uint8_t* a = r + at;
    const std::uint32_t type = U32(a);
    if (type == kAttrEnd) break;
    if (used - at < 16) return RecordStatus::kCorrupt;
    const std::uint32_t length = U32(a + 4);
    if (length < 16 || length % 8 != 0 || length > used - at) return RecordStatus::kCorrupt;
    const bool nonResident = a[8] != 0;
    const std::size_t nameLength = a[9];
    const std::size_t nameOffset = U16(a + 10);
    if (nameLength != 0 && (nameOffset > length || nameLength * 2 > length - nameOffset))
      return RecordStatus::kCorrupt;
    const bool unnamed = nameLength == 0;

    const std::uint8_t* value = nullptr;
    std::size_t valueLength = 0;
    std::uint64_t lowestVcn = 0, dataSize = 0;
    const std::uint8_t* pairs = nullptr;
    std::size_t pairsLength = 0;
    if (!nonResident) {
      if (length < 24) return RecordStatus::kCorrupt;
      valueLength = U32(a + 16);
      const std::size_t valueOffset = U16(a + 20);
      if (valueOffset > length || valueLength > length - valueOffset) return RecordStatus::kCorrupt;
      value = a + valueOffset;
    } else {
      if (length < 64) return RecordStatus::kCorrupt;
      lowestVcn = U64(a + 16);
      const std::size_t pairsOffset = U16(a + 32);
      dataSize = U64(a + 48);
      if (pairsOffset < 64 || pairsOffset > length) return RecordStatus::kCorrupt;
      if (dataSize > (std::uint64_t{1} << 62) || lowestVcn > (std::uint64_t{1} << 56))
        return RecordStatus::kCorrupt;
      pairs = a + pairsOffset;
      pairsLength = length - pairsOffset;
    }

    switch (type) {
      case kAttrStandardInformation:
        if (value != nullptr && valueLength >= 36 && (U32(value + 32) & kFileAttributeReparse))
          out.hasReparse = true;
        break;
      case kAttrFileName: {
        if (value == nullptr || valueLength < 66) return RecordStatus::kCorrupt;
        const std::size_t chars = value[64];
        if (66 + 2 * chars > valueLength) return RecordStatus::kCorrupt;
        if (chars == 0 || value[65] > 3) break;
        // Each code unit has its own two bytes of the record: more than 64 Ki
        // of them would need a record larger than NTFS allows.
        if (out.texts.size() + chars > 0xFFFF) return RecordStatus::kCorrupt;
        RecordFacts::Name name;
        name.parent = U64(value);
        name.space = value[65];
        name.textAt = static_cast<std::uint16_t>(out.texts.size());
        name.textLength = static_cast<std::uint8_t>(chars);
        for (std::size_t i = 0; i < chars; ++i) out.texts.push_back(static_cast<char16_t>(U16(value + 66 + 2 * i)));
        out.names.push_back(name);
        break;
      }
      case kAttrData:
        if (!unnamed) break;
        if (value != nullptr) {
          out.hasSize = true;
          out.size = valueLength;
        } else {
          if (lowestVcn == 0) {
            out.hasSize = true;
            out.size = dataSize;
          }
          if (!DecodeRuns(pairs, pairsLength, lowestVcn, out.dataRuns)) return RecordStatus::kCorrupt;
        }
        break;
      case kAttrReparsePoint:
        out.hasReparse = true;
        if (value != nullptr && valueLength >= 4) out.reparseTag = U32(value);
        break;
      case kAttrAttributeList:
        out.hasAttributeList = true;
        if (value != nullptr) {
          out.attributeList.assign(value, value + valueLength);
        } else {
          if (dataSize > kMaxAttributeList || lowestVcn != 0) return RecordStatus::kCorrupt;
          out.attributeListSize = dataSize;
          if (!DecodeRuns(pairs, pairsLength, 0, out.attributeListRuns)) return RecordStatus::kCorrupt;
        }
        break;
      default:
        break;
    }
    at += length;
  }
  return RecordStatus::kInUse;
}

}  // namespace

RecordStatus ParseRecord(std::uint8_t* bytes, std::size_t size, std::uint64_t number,
                         RecordFacts& out) {
  out.Clear();
  const RecordStatus status = ParseInto(bytes, size, number, out);
  // Nothing of a record that is not used, or not whole, counts.
  if (status != RecordStatus::kInUse) out.Clear();
  return status;
}

bool ParseAttributeList(const std::uint8_t* p, std::size_t size,
                        std::vector<RecordFacts::ListEntry>& out) {
  std::size_t at = 0;
  while (at < size) {
    if (size - at < 26) return false;
    const std::uint8_t* e = p + at;
    const std::size_t length = U16(e + 4);
    if (length < 26 || length > size - at) return false;
    const std::size_t nameLength = e[6];
    if (U32(e) == kAttrData && nameLength == 0) {
      RecordFacts::ListEntry entry;
      entry.lowestVcn = U64(e + 8);
      entry.record = U64(e + 16);
      out.push_back(entry);
    }
    at += length;
  }
  return true;
}

}  // namespace diskview::ntfs
