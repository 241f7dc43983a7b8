// Where an NTFS volume keeps things: the boot sector's geometry (sector,
// cluster and record sizes, the table's place), and the runs of clusters an
// attribute's data lies in, read through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ByteSource.h"

namespace diskview::ntfs {

using platform::ByteSource;

// A byte source over memory (tests and fuzzing).
class MemorySource final : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct BootSector {
  std::uint32_t bytesPerSector = 0;
  std::uint32_t clusterSize = 0;
  std::uint32_t recordSize = 0;
  std::uint64_t totalClusters = 0;
  std::uint64_t mftOffset = 0;  // bytes from the volume's start
};
// The first sector of an NTFS volume; false unless every field is sane.
bool ParseBootSector(const std::uint8_t* bytes, std::size_t size, BootSector& out);

// One extent of an attribute's data: `length` clusters from `vcn` at `lcn`
// (a sparse extent has no clusters on the volume).
struct Run {
  std::uint64_t vcn = 0;
  std::uint64_t lcn = 0;
  std::uint64_t length = 0;
  bool sparse = false;
};
// Appends the mapping pairs of one attribute segment starting at `firstVcn`;
// false on a malformed or overflowing pair.
bool DecodeRuns(const std::uint8_t* bytes, std::size_t size, std::uint64_t firstVcn,
                std::vector<Run>& out);

// Reads `size` bytes from byte `offset` of data laid out by `runs` (sparse
// extents read as zeros); false when a run leaves the volume or a read fails.
bool ReadThroughRuns(ByteSource& source, const std::vector<Run>& runs, std::uint32_t clusterSize,
                     std::uint64_t totalClusters, std::uint64_t offset, std::uint8_t* out,
                     std::size_t size, std::uint64_t& bytesRead);

}  // namespace diskview::ntfs
