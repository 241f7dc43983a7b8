#include "app/diskview/scan/ntfs/Clusters.h"

#include <algorithm>
#include <cstring>

#include "app/diskview/scan/ntfs/LittleEndian.h"

namespace diskview::ntfs {
namespace {

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

}  // namespace diskview::ntfs
