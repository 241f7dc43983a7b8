#include "app/diskview/MftReader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

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
constexpr std::uint32_t kReparseTagNameSurrogate = 0x20000000;

constexpr std::uint64_t kUpcaseRecord = 10;
// Records below this are the metafiles, which no listing shows.
constexpr std::uint64_t kFirstUserRecord = 16;
constexpr std::size_t kFixupStride = 512;
constexpr std::size_t kUpcaseBytes = 65536 * 2;
// An attribute list longer than this is not one NTFS writes.
constexpr std::uint64_t kMaxAttributeList = 1u << 20;

constexpr std::uint8_t kNodeInUse = 1;
constexpr std::uint8_t kNodeDirectory = 2;
constexpr std::uint8_t kNodeReparse = 4;
constexpr std::uint8_t kNodeNameSurrogate = 8;
constexpr std::uint8_t kDosSpace = 2;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(U16(p)) | static_cast<std::uint32_t>(U16(p + 2)) << 16;
}
std::uint64_t U64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(U32(p)) | static_cast<std::uint64_t>(U32(p + 4)) << 32;
}
std::uint64_t RecordOf(std::uint64_t reference) { return reference & 0xFFFFFFFFFFFFull; }
std::uint16_t SequenceOf(std::uint64_t reference) {
  return static_cast<std::uint16_t>(reference >> 48);
}
bool PowerOfTwo(std::uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

// A cluster count byte: positive counts clusters, negative n means 2^-n bytes.
bool SizeFromCode(std::int8_t code, std::uint32_t clusterSize, std::uint32_t& out) {
  if (code > 0) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(code) * clusterSize;
    if (bytes > (1u << 16)) return false;
    out = static_cast<std::uint32_t>(bytes);
  } else {
    const int shift = -code;
    if (shift < 9 || shift > 16) return false;
    out = 1u << shift;
  }
  return true;
}

}  // namespace

bool MemorySource::ReadAt(std::uint64_t offset, void* out, std::size_t size) {
  if (offset > size_ || size > size_ - offset) return false;
  if (size != 0) std::memcpy(out, data_ + offset, size);
  return true;
}

bool ParseBootSector(const std::uint8_t* b, std::size_t size, BootSector& out) {
  if (size < 512 || std::memcmp(b + 3, "NTFS    ", 8) != 0) return false;
  if (b[510] != 0x55 || b[511] != 0xAA) return false;
  const std::uint32_t sector = U16(b + 0x0B);
  if (!PowerOfTwo(sector) || sector < 256 || sector > 4096) return false;
  const std::uint8_t perCluster = b[0x0D];
  std::uint64_t cluster;
  if (perCluster <= 0x80) {
    cluster = static_cast<std::uint64_t>(sector) * perCluster;
  } else {
    const int shift = 256 - perCluster;  // large clusters: 2^shift sectors
    if (shift > 12) return false;
    cluster = static_cast<std::uint64_t>(sector) << shift;
  }
  if (!PowerOfTwo(cluster) || cluster > (2u << 20)) return false;
  const std::uint64_t sectors = U64(b + 0x28);
  const std::uint64_t mftLcn = U64(b + 0x30);
  std::uint32_t record = 0;
  if (!SizeFromCode(static_cast<std::int8_t>(b[0x40]), static_cast<std::uint32_t>(cluster), record))
    return false;
  if (!PowerOfTwo(record) || record < 512) return false;
  const std::uint64_t clusters = sectors / (cluster / sector);
  // Byte offsets on the volume must fit in 63 bits.
  if (clusters == 0 || mftLcn >= clusters || clusters > (std::uint64_t{1} << 62) / cluster) return false;
  out.bytesPerSector = sector;
  out.clusterSize = static_cast<std::uint32_t>(cluster);
  out.recordSize = record;
  out.totalClusters = clusters;
  out.mftOffset = mftLcn * cluster;  // below clusters * cluster, which fits
  return true;
}

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

bool DecodeRuns(const std::uint8_t* p, std::size_t size, std::uint64_t firstVcn,
                std::vector<Run>& out) {
  std::uint64_t vcn = firstVcn;
  std::int64_t lcn = 0;
  std::size_t at = 0;
  while (at < size && p[at] != 0) {
    const unsigned lengthBytes = p[at] & 0x0F;
    const unsigned offsetBytes = p[at] >> 4;
    ++at;
    if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8) return false;
    if (size - at < lengthBytes + offsetBytes) return false;
    std::uint64_t length = 0;
    for (unsigned i = 0; i < lengthBytes; ++i) length |= static_cast<std::uint64_t>(p[at + i]) << (8 * i);
    at += lengthBytes;
    if (length == 0 || length > (std::uint64_t{1} << 48)) return false;
    Run run;
    run.vcn = vcn;
    run.length = length;
    if (offsetBytes == 0) {
      run.sparse = true;
    } else {
      std::uint64_t delta = 0;
      for (unsigned i = 0; i < offsetBytes; ++i) delta |= static_cast<std::uint64_t>(p[at + i]) << (8 * i);
      if (offsetBytes < 8 && (p[at + offsetBytes - 1] & 0x80)) delta |= ~std::uint64_t{0} << (8 * offsetBytes);
      const std::int64_t step = static_cast<std::int64_t>(delta);
      // A cluster number stays below 2^62 and a step within 2^62 of zero, so
      // their sum stays within 63 bits and cannot overflow.
      constexpr std::int64_t kLimit = std::int64_t{1} << 62;
      if (step > kLimit || step < -kLimit) return false;
      lcn += step;
      if (lcn < 0 || lcn >= kLimit) return false;
      run.lcn = static_cast<std::uint64_t>(lcn);
    }
    at += offsetBytes;
    vcn += length;
    if (vcn > (std::uint64_t{1} << 56)) return false;
    out.push_back(run);
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

bool ReadThroughRuns(ByteSource& source, const std::vector<Run>& runs, std::uint32_t clusterSize,
                     std::uint64_t totalClusters, std::uint64_t offset, std::uint8_t* out,
                     std::size_t size, std::uint64_t& bytesRead) {
  for (const Run& run : runs) {
    if (size == 0) return true;
    const std::uint64_t runStart = run.vcn * clusterSize;
    const std::uint64_t runBytes = run.length * clusterSize;
    if (offset < runStart) return false;  // a hole between runs
    if (offset - runStart >= runBytes) continue;
    const std::uint64_t within = offset - runStart;
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(runBytes - within, size));
    if (run.sparse) {
      std::memset(out, 0, take);
    } else {
      if (run.lcn > totalClusters || run.length > totalClusters - run.lcn) return false;
      if (!source.ReadAt(run.lcn * clusterSize + within, out, take)) return false;
      bytesRead += take;
    }
    out += take;
    offset += take;
    size -= take;
  }
  return size == 0;
}

bool Collation::SetTable(const std::uint8_t* bytes, std::size_t size) {
  if (size < kUpcaseBytes) return false;
  std::unique_ptr<char16_t[]> units(new char16_t[kUnits]);
  std::memcpy(units.get(), bytes, kUpcaseBytes);
  SetTable(std::move(units));
  return true;
}

bool Collation::SetTable(std::vector<char16_t>&& units) {
  if (units.size() != kUnits) return false;
  std::unique_ptr<char16_t[]> table(new char16_t[kUnits]);
  std::copy(units.begin(), units.end(), table.get());
  SetTable(std::move(table));
  return true;
}

void Collation::SetTable(std::unique_ptr<char16_t[]> units) {
  if constexpr (std::endian::native != std::endian::little) {
    for (std::size_t i = 0; i < kUnits; ++i)
      units[i] = static_cast<char16_t>(U16(reinterpret_cast<const std::uint8_t*>(&units[i])));
  }
  upper_ = std::move(units);
}

char16_t Collation::Upper(char16_t c) const {
  if (upper_) return upper_[c];
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

namespace {

struct Utf16Units {
  const char16_t* at;
  const char16_t* end;
  bool Next(char16_t& unit) {
    if (at == end) return false;
    unit = *at++;
    return true;
  }
};

// The code units of a name AppendUnits wrote: a four-byte sequence gives a
// surrogate pair, any other one unit. A sequence cut short gives its bytes
// as units, so any bytes end.
struct StoredUnits {
  const std::uint8_t* at;
  const std::uint8_t* end;
  char16_t low = 0;  // the second unit of a pair, still to give
  bool Next(char16_t& unit) {
    if (low != 0) {
      unit = low;
      low = 0;
      return true;
    }
    if (at == end) return false;
    const std::uint32_t b = *at;
    const std::size_t length = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (length == 1 || static_cast<std::size_t>(end - at) < length) {
      unit = static_cast<char16_t>(b);
      ++at;
      return true;
    }
    std::uint32_t c = b & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) c = c << 6 | (at[i] & 0x3F);
    at += length;
    if (c >= 0x10000 && c < 0x110000) {
      c -= 0x10000;
      unit = static_cast<char16_t>(0xD800 + (c >> 10));
      low = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      unit = static_cast<char16_t>(c);
    }
    return true;
  }
};

// UTF-8 of `text`; a lone surrogate becomes U+FFFD, or with `keepLone` keeps
// its code unit in three bytes. Returns whether one was met.
bool Encode(std::u16string_view text, std::string& out, bool keepLone) {
  // Written through a pointer into room for the longest result (three bytes
  // per code unit; one for a name all ASCII, as most are), then cut to
  // length: every name of a volume is converted.
  const std::size_t start = out.size();
  const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  out.resize(start + (ascii ? 1 : 3) * text.size());
  char* to = out.data() + start;
  const auto put = [&to](std::uint32_t b) { *to++ = static_cast<char>(b); };
  bool lone = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c < 0x80) {
      put(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      lone = true;
      if (!keepLone) c = 0xFFFD;  // as the system's conversion gives it
    }
    if (c < 0x800) {
      put(0xC0 | c >> 6);
      put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      put(0xE0 | c >> 12);
      put(0x80 | (c >> 6 & 0x3F));
      put(0x80 | (c & 0x3F));
    } else {  // from two code units: four bytes fit in their six
      put(0xF0 | c >> 18);
      put(0x80 | (c >> 12 & 0x3F));
      put(0x80 | (c >> 6 & 0x3F));
      put(0x80 | (c & 0x3F));
    }
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return lone;
}

}  // namespace

template <class Units>
int Collation::CompareUnits(Units a, Units b) const {
  int written = 0;  // the first difference as written: the tie-break
  char16_t x = 0, y = 0;
  for (;;) {
    const bool moreA = a.Next(x), moreB = b.Next(y);
    if (!moreA || !moreB) return moreA == moreB ? written : moreA ? 1 : -1;  // the shorter first
    if (x == y) continue;
    const char16_t upperX = Upper(x), upperY = Upper(y);
    if (upperX != upperY) return upperX < upperY ? -1 : 1;
    if (written == 0) written = x < y ? -1 : 1;
  }
}

bool Collation::Less(std::u16string_view a, std::u16string_view b) const {
  return CompareUnits(Utf16Units{a.data(), a.data() + a.size()}, Utf16Units{b.data(), b.data() + b.size()}) < 0;
}

int Collation::Compare(std::string_view a, std::string_view b) const {
  const auto* x = reinterpret_cast<const std::uint8_t*>(a.data());
  const auto* y = reinterpret_cast<const std::uint8_t*>(b.data());
  // Equal bytes are equal code units: decode from the character where the
  // names part (names of a folder often share a beginning).
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t same = 0;
  while (same < common && x[same] == y[same]) ++same;
  if (same < common)
    while (same > 0 && (x[same] & 0xC0) == 0x80) --same;
  return CompareUnits(StoredUnits{x + same, x + a.size()}, StoredUnits{y + same, y + b.size()});
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(text, out);
  return out;
}

void AppendUtf8(std::u16string_view text, std::string& out) { Encode(text, out, false); }

bool AppendUnits(std::u16string_view text, std::string& out) { return Encode(text, out, true); }

void RepairLoneSurrogates(std::string& text) {
  // UTF-8 has no ED A0..ED BF: every such lead is a surrogate's, and U+FFFD
  // takes the same three bytes.
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (static_cast<std::uint8_t>(text[i]) == 0xED && (static_cast<std::uint8_t>(text[i + 1]) & 0xE0) == 0xA0) {
      text[i] = static_cast<char>(0xEF);
      text[i + 1] = static_cast<char>(0xBF);
      text[i + 2] = static_cast<char>(0xBD);
      i += 2;
    }
  }
}

const char* LoadResultText(LoadResult result) {
  switch (result) {
    case LoadResult::kOk: return "ok";
    case LoadResult::kNotNtfs: return "not an NTFS volume";
    case LoadResult::kCorrupt: return "corrupt master file table";
    case LoadResult::kReadFailed: return "read failed";
    case LoadResult::kStopped: return "stopped";
  }
  return "?";
}

MftVolume::MftVolume(std::string rootPath, char separator)
    : rootPath_(std::move(rootPath)), separator_(separator) {
  // The scan opens its root with a trailing separator.
  if (!rootPath_.empty() && rootPath_.back() != separator_) rootPath_.push_back(separator_);
}

// $MFT's own runs: record 0's, plus those in the extension records its
// attribute list names (a fragmented table), which are read through the runs
// known so far.
LoadResult MftVolume::ReadTableRuns(ByteSource& source, const BootSector& boot,
                                    std::vector<Run>& runs, std::uint64_t& tableSize) {
  std::vector<std::uint8_t> record(boot.recordSize);
  const std::uint64_t volumeBytes = boot.totalClusters * boot.clusterSize;
  if (volumeBytes < boot.recordSize || boot.mftOffset > volumeBytes - boot.recordSize)
    return LoadResult::kCorrupt;
  if (!source.ReadAt(boot.mftOffset, record.data(), record.size())) return LoadResult::kReadFailed;
  stats_.bytesRead += record.size();
  RecordFacts facts;
  if (ParseRecord(record.data(), record.size(), 0, facts) != RecordStatus::kInUse || facts.base != 0 ||
      !facts.hasSize || facts.dataRuns.empty() || facts.dataRuns.front().vcn != 0)
    return LoadResult::kCorrupt;
  tableSize = facts.size;
  runs = facts.dataRuns;
  if (facts.hasAttributeList) {
    std::vector<std::uint8_t> list = facts.attributeList;
    if (list.empty() && facts.attributeListSize != 0) {
      list.resize(static_cast<std::size_t>(facts.attributeListSize));
      if (!ReadThroughRuns(source, facts.attributeListRuns, boot.clusterSize, boot.totalClusters, 0,
                           list.data(), list.size(), stats_.bytesRead))
        return LoadResult::kCorrupt;
    }
    std::vector<RecordFacts::ListEntry> entries;
    if (!ParseAttributeList(list.data(), list.size(), entries)) return LoadResult::kCorrupt;
    RecordFacts extension;
    for (const auto& entry : entries) {
      const std::uint64_t number = RecordOf(entry.record);
      if (number == 0) continue;
      if (number > (std::uint64_t{1} << 32)) return LoadResult::kCorrupt;
      if (!ReadThroughRuns(source, runs, boot.clusterSize, boot.totalClusters,
                           number * boot.recordSize, record.data(), record.size(), stats_.bytesRead))
        return LoadResult::kCorrupt;
      if (ParseRecord(record.data(), record.size(), number, extension) != RecordStatus::kInUse ||
          RecordOf(extension.base) != 0)
        return LoadResult::kCorrupt;
      for (const Run& run : extension.dataRuns)
        if (std::none_of(runs.begin(), runs.end(), [&](const Run& r) { return r.vcn == run.vcn; }))
          runs.push_back(run);
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.vcn < b.vcn; });
  }
  // The runs must cover the table without holes or sparse parts, on the volume.
  std::uint64_t vcn = 0;
  for (const Run& run : runs) {
    if (run.vcn != vcn || run.sparse) return LoadResult::kCorrupt;
    if (run.lcn > boot.totalClusters || run.length > boot.totalClusters - run.lcn)
      return LoadResult::kCorrupt;
    vcn += run.length;
  }
  if (tableSize / boot.clusterSize > vcn || tableSize < 16ull * boot.recordSize)
    return LoadResult::kCorrupt;
  return LoadResult::kOk;
}

void MftVolume::Keep(std::uint64_t number, const RecordFacts& facts) {
  const auto record = static_cast<std::uint32_t>(number);
  if (RecordOf(facts.base) != 0) {
    const std::uint64_t base = RecordOf(facts.base);
    if (base > std::numeric_limits<std::uint32_t>::max()) return;
    extensions_.push_back({static_cast<std::uint32_t>(base), SequenceOf(facts.base), facts.hasSize,
                           facts.hasReparse, facts.size, facts.reparseTag});
  } else {
    Node& node = nodes_[record];
    node.sequence = facts.sequence;
    node.flags = kNodeInUse;
    if (facts.directory) node.flags |= kNodeDirectory;
    if (facts.hasReparse) node.flags |= kNodeReparse;
    if (facts.reparseTag & kReparseTagNameSurrogate) node.flags |= kNodeNameSurrogate;
    if (facts.hasSize) node.size = facts.size;
    if (number == kUpcaseRecord) {
      upcaseRuns_ = facts.dataRuns;
      upcaseSize_ = facts.hasSize ? facts.size : 0;
    }
  }
  const bool extension = RecordOf(facts.base) != 0;
  const std::uint64_t ownerRecord = extension ? RecordOf(facts.base) : number;
  const auto& names = facts.names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto& name = names[i];
    // A DOS alias beside another name of the file in the same folder never
    // shows (DropHiddenNames): most files on a Windows volume have one, so
    // leaving it out here halves the names kept. Both names share their
    // fate there, as they share the folder's reference.
    if (name.space == kDosSpace &&
        std::any_of(names.begin(), names.end(), [&](const RecordFacts::Name& other) {
          const std::size_t j = static_cast<std::size_t>(&other - names.data());
          return j != i && other.parent == name.parent && (other.space != kDosSpace || j < i);
        }))
      continue;
    const std::uint64_t parent = RecordOf(name.parent);
    if (parent > std::numeric_limits<std::uint32_t>::max()) continue;
    if (texts_.size() > std::numeric_limits<std::uint32_t>::max() - 3 * std::size_t{name.textLength}) continue;
    if (names_.size() >= std::numeric_limits<std::uint32_t>::max()) continue;
    if (extension)
      extensionNames_.push_back({static_cast<std::uint32_t>(names_.size()), SequenceOf(facts.base)});
    const auto at = static_cast<std::uint32_t>(texts_.size());
    if (AppendUnits(facts.Text(name), texts_)) loneSurrogates_ = true;
    Name kept;
    kept.record = static_cast<std::uint32_t>(ownerRecord);
    kept.parent = static_cast<std::uint32_t>(parent);
    kept.textAt = at;
    kept.parentSequence = SequenceOf(name.parent);
    kept.textBytes = static_cast<std::uint16_t>(texts_.size() - at);
    kept.space = name.space & 3;
    names_.push_back(kept);
  }
}

void MftVolume::ReadUpcase(ByteSource& source) {
  if (upcaseSize_ < kUpcaseBytes) {
    if (upcaseSize_ != 0) return;
  }
  // Read straight into the table's own memory: one buffer, not two, and
  // not zeroed first.
  std::unique_ptr<char16_t[]> table(new char16_t[Collation::kUnits]);
  if (ReadThroughRuns(source, upcaseRuns_, boot_.clusterSize, boot_.totalClusters, 0,
                      reinterpret_cast<std::uint8_t*>(table.get()), kUpcaseBytes, stats_.bytesRead))
    collation_.SetTable(std::move(table));
}

LoadResult MftVolume::Load(ByteSource& source, const std::function<bool()>& stopping) {
  std::lock_guard lock(mutex_);
  loaded_ = false;
  stats_ = MftStats();
  collation_ = Collation();
  nodes_.clear();
  names_.clear();
  texts_.clear();
  loneSurrogates_ = false;
  extensions_.clear();
  extensionNames_.clear();
  upcaseRuns_.clear();
  upcaseSize_ = 0;
  order_.clear();
  opened_.clear();
  named_.clear();

  std::uint8_t sector[512];
  if (!source.ReadAt(0, sector, sizeof sector)) return LoadResult::kReadFailed;
  stats_.bytesRead += sizeof sector;
  if (!ParseBootSector(sector, sizeof sector, boot_)) return LoadResult::kNotNtfs;
  std::vector<Run> runs;
  std::uint64_t tableSize = 0;
  const LoadResult table = ReadTableRuns(source, boot_, runs, tableSize);
  if (table != LoadResult::kOk) return table;
  stats_.tableBytes = tableSize;
  stats_.tableRuns = runs.size();
  const std::uint64_t count = tableSize / boot_.recordSize;
  if (count > std::numeric_limits<std::uint32_t>::max()) return LoadResult::kCorrupt;

  const auto perChunk = static_cast<std::size_t>(
      std::min<std::uint64_t>(std::max<std::size_t>(1, kChunkBytes / boot_.recordSize), count));
  // Page-aligned, as a volume read without the system's cache wants it, so
  // the reads go straight in; not zeroed: every byte is read before it is
  // parsed.
  const platform::PageBuffer chunk(perChunk * boot_.recordSize);
  RecordFacts facts;
  for (std::uint64_t first = 0; first < count; first += perChunk) {
    if (stopping && stopping()) return LoadResult::kStopped;
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(perChunk, count - first));
    if (!ReadThroughRuns(source, runs, boot_.clusterSize, boot_.totalClusters, first * boot_.recordSize,
                         chunk.data(), n * boot_.recordSize, stats_.bytesRead))
      return LoadResult::kReadFailed;
    // Grown as records arrive, so a table claiming more than the volume holds
    // costs nothing before its reads fail; once the first chunk is in, room
    // for the whole table (up to a bound) is set aside at once, as growing
    // step by step copies and touches every page again.
    if (first == 0) Reserve(count);
    nodes_.resize(static_cast<std::size_t>(first + n));
    for (std::size_t i = 0; i < n; ++i) {
      ++stats_.records;
      const std::uint64_t number = first + i;
      switch (ParseRecord(chunk.data() + i * boot_.recordSize, boot_.recordSize, number, facts)) {
        case RecordStatus::kCorrupt: ++stats_.corrupt; break;
        case RecordStatus::kFree: break;
        case RecordStatus::kInUse:
          ++stats_.inUse;
          Keep(number, facts);
          break;
      }
    }
  }
  if (nodes_.size() <= kRootRecord) return LoadResult::kCorrupt;
  const Node& root = nodes_[kRootRecord];
  if (!(root.flags & kNodeInUse) || !(root.flags & kNodeDirectory)) return LoadResult::kCorrupt;
  if (stopping && stopping()) return LoadResult::kStopped;
  ReadUpcase(source);
  if (!BuildFolders(stopping)) return LoadResult::kStopped;
  opened_.assign(nodes_.size(), false);
  loaded_ = true;
  return LoadResult::kOk;
}

void MftVolume::Reserve(std::uint64_t records) {
  const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(records, kReserveRecords));
  nodes_.reserve(n);
  names_.reserve(n);
  texts_.reserve(n * kReserveBytesPerName);
}

template <class Key>
void MftVolume::Slots(std::size_t names, Key key) {
  for (Node& node : nodes_) node.first = 0;
  for (std::size_t i = 0; i < names; ++i) ++nodes_[key(names_[i])].first;
  std::uint32_t sum = 0;
  for (Node& node : nodes_) {
    const std::uint32_t count = node.first;
    node.first = sum;
    sum += count;
  }
}

bool MftVolume::BuildFolders(const std::function<bool()>& stopping) {
  for (const Extension& e : extensions_) {
    if (e.base >= nodes_.size()) continue;
    Node& node = nodes_[e.base];
    if (!(node.flags & kNodeInUse) || node.sequence != e.baseSequence) continue;
    if (e.hasSize) node.size = e.size;
    if (e.hasReparse) {
      node.flags |= kNodeReparse;
      if (e.reparseTag != 0) {
        node.flags &= static_cast<std::uint8_t>(~kNodeNameSurrogate);
        if (e.reparseTag & kReparseTagNameSurrogate) node.flags |= kNodeNameSurrogate;
      }
    }
  }
  extensions_ = {};

  DropHiddenNames();

  // Grouped by folder (a counting sort of the names' places), each group in
  // index order.
  const std::size_t count = names_.size();
  Slots(count, [](const Name& n) { return n.parent; });
  order_.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) order_[nodes_[names_[i].parent].first++] = i;
  // Each slot counted up to where the next folder begins: shift them back.
  for (std::size_t k = nodes_.size() - 1; k > 0; --k) nodes_[k].first = nodes_[k - 1].first;
  nodes_[0].first = 0;
  const auto less = [&](std::uint32_t a, std::uint32_t b) {
    const std::string_view x = NameText(names_[a]), y = NameText(names_[b]);
    const int order = collation_.Compare(x, y);
    // Equal names (only a corrupt index holds them) keep the table's order.
    return order < 0 || (order == 0 && a < b);
  };
  std::size_t sorted = 0;
  for (std::size_t r = 0; r < nodes_.size(); ++r) {
    const std::uint32_t from = nodes_[r].first, to = SlotEnd(r, count);
    if (to - from < 2) continue;
    std::sort(order_.begin() + from, order_.begin() + to, less);
    sorted += to - from;
    if (sorted >= kNamesPerStopCheck) {
      sorted = 0;
      if (stopping && stopping()) return false;
    }
  }
  // In order: from now on the names are only shown.
  if (loneSurrogates_) RepairLoneSurrogates(texts_);
  return true;
}

void MftVolume::DropHiddenNames() {
  // A name counts when its file and its folder are both live records of the
  // generation the reference names; the metafiles (and the root's own "."
  // entry) are left out, as a listing leaves them out. A base record's own
  // names carry its generation, an extension's names the one it refers to.
  std::vector<bool> deadOwner;
  if (!extensionNames_.empty()) {
    deadOwner.assign(names_.size(), false);
    for (const ExtensionName& e : extensionNames_) {
      const std::uint32_t owner = names_[e.at].record;
      deadOwner[e.at] = owner >= nodes_.size() || nodes_[owner].sequence != e.baseSequence;
    }
    extensionNames_ = {};
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const Name& n = names_[i];
    if (n.record < kFirstUserRecord || n.record >= nodes_.size() || n.parent >= nodes_.size() ||
        n.parent == n.record || (!deadOwner.empty() && deadOwner[i]))
      continue;
    const Node& owner = nodes_[n.record];
    const Node& parent = nodes_[n.parent];
    if ((owner.flags & kNodeInUse) && (parent.flags & kNodeInUse) && (parent.flags & kNodeDirectory) &&
        parent.sequence == n.parentSequence)
      names_[kept++] = n;
  }
  names_.resize(kept);

  // A DOS name is the short alias of a long name in the same folder; it
  // shows only where the file has no other name there (nor an earlier DOS
  // name). Keep drops those its record shows; the rest (names of a file
  // spread over extension records) are decided here. A file's names are
  // few: compare them pairwise. Names arrive in record order unless
  // extension records hold some.
  const auto byRecord = [](const Name& a, const Name& b) { return a.record < b.record; };
  if (!std::is_sorted(names_.begin(), names_.end(), byRecord))
    std::stable_sort(names_.begin(), names_.end(), byRecord);
  const std::size_t count = names_.size();
  Slots(count, [](const Name& n) { return n.record; });
  std::vector<bool> shadowed;
  kept = 0;
  for (std::size_t r = 0; r < nodes_.size(); ++r) {
    const std::uint32_t from = nodes_[r].first, to = SlotEnd(r, count);
    if (to - from < 2) {
      if (to > from) names_[kept++] = names_[from];
      continue;
    }
    shadowed.assign(to - from, false);
    for (std::uint32_t i = from; i < to; ++i) {
      const Name& n = names_[i];
      for (std::uint32_t j = from; n.space == kDosSpace && j < to && !shadowed[i - from]; ++j)
        shadowed[i - from] = j != i && names_[j].parent == n.parent && (names_[j].space != kDosSpace || j < i);
    }
    // Kept names move down in place once their file's group is decided.
    for (std::uint32_t i = from; i < to; ++i)
      if (!shadowed[i - from]) names_[kept++] = names_[i];
  }
  names_.resize(kept);
}

bool MftVolume::OpenFolder(std::uint32_t record, Cursor& out) {
  std::lock_guard lock(mutex_);
  if (!loaded_ || record >= nodes_.size() || opened_[record]) return false;
  opened_[record] = true;
  out.at = nodes_[record].first;
  out.end = SlotEnd(record, names_.size());
  out.record = record;
  return true;
}

bool MftVolume::NextEntry(Cursor& cursor, platform::DirEntry& out) const {
  if (cursor.at == cursor.end) return false;
  const Name& name = names_[order_[cursor.at++]];
  const Node& node = nodes_[name.record];
  cursor.record = name.record;
  out.name = NameText(name);
  out.directory = (node.flags & kNodeDirectory) != 0;
  out.reparse = (node.flags & kNodeReparse) != 0;
  out.nameSurrogate = out.reparse && (node.flags & kNodeNameSurrogate) != 0;
  out.size = out.directory ? 0 : node.size;
  return true;
}

class MftVolume::FolderListing final : public platform::DirEnumerator::Listing {
 public:
  FolderListing(MftVolume& volume, const Cursor& cursor, std::string path)
      : volume_(volume), cursor_(cursor), path_(std::move(path)) {}

  bool Next(platform::DirEntry& out) override {
    if (!volume_.NextEntry(cursor_, out)) return false;
    // Only a folder the scan may enter gets a path: one whose name holds the
    // separator would take another folder's.
    if (platform::Enterable(out, volume_.separator_)) {
      std::string child = path_;
      child += out.name;
      child.push_back(volume_.separator_);
      std::lock_guard lock(volume_.mutex_);
      volume_.named_[std::move(child)] = cursor_.record;
    }
    return true;
  }

 private:
  MftVolume& volume_;
  Cursor cursor_;
  std::string path_;
};

std::unique_ptr<platform::DirEnumerator::Listing> MftVolume::Open(const std::string& folder) {
  std::uint32_t record;
  {
    std::lock_guard lock(mutex_);
    if (!loaded_) return nullptr;
    const auto named = named_.find(folder);
    if (named != named_.end()) {
      record = named->second;
      named_.erase(named);
    } else if (folder == rootPath_) {
      record = kRootRecord;
    } else {
      return nullptr;
    }
  }
  Cursor cursor;
  if (!OpenFolder(record, cursor)) return nullptr;
  return std::make_unique<FolderListing>(*this, cursor, folder);
}

}  // namespace diskview::ntfs
