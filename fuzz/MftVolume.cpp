// A whole volume over any bytes: the input is its start, 64 KiB of zeros
// follow (so a seed need not hold the empty records at a table's end). The table is read and every folder listed, as a scan would: the
// reader ends or fails, never loops, opens each folder once, and names come
// out as well-formed UTF-8; walked by record, as the scan walks it, the
// folders give what their listings by path give.
#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "app/diskview/scan/ntfs/MftVolume.h"
#include "fuzz/FuzzInput.h"
#include "platform/Utf8.h"
#include "tests/support/DirEnumMft.h"

using namespace diskview::ntfs;

namespace {

class ZeroFilledSource final : public platform::ByteSource {
 public:
  ZeroFilledSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override {
    const std::uint64_t volume = size_ + kZeros;
    if (offset > volume || size > volume - offset) return false;
    auto* to = static_cast<std::uint8_t*>(out);
    const std::size_t have = offset < size_ ? std::min<std::size_t>(size, size_ - offset) : 0;
    if (have != 0) std::memcpy(to, data_ + offset, have);
    std::memset(to + have, 0, size - have);
    return true;
  }

 private:
  static constexpr std::uint64_t kZeros = 64u << 10;
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // libFuzzer's own copy of the input is exactly its size: a read past it is
  // a read past the buffer.
  ZeroFilledSource source(data, size);
  MftVolume volume;
  const LoadResult result = volume.Load(source, nullptr);
  DirEnumMft dirs(volume, "V:\\");
  const MftStats& stats = volume.Stats();
  FUZZ_CHECK(stats.inUse + stats.corrupt <= stats.records);
  MftVolume::Cursor cursor;
  if (result != LoadResult::kOk) {
    FUZZ_CHECK(!dirs.Open("V:\\"));
    FUZZ_CHECK(!volume.OpenFolder(MftVolume::kRootRecord, cursor));
    return 0;
  }
  // Listed by path, as a DirEnumerator, depth first.
  struct Seen {
    std::string name;
    bool directory;
    std::uint64_t size;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> listed;
  std::vector<std::string> pending{"V:\\"};
  std::size_t opened = 0;
  platform::DirEntry entry;
  while (!pending.empty()) {
    const std::string path = std::move(pending.back());
    pending.pop_back();
    auto listing = dirs.Open(path);
    if (!listing) continue;
    ++opened;
    FUZZ_CHECK(opened <= stats.records);
    std::vector<std::string> children;
    while (listing->Next(entry)) {
      FUZZ_CHECK(!entry.name.empty());
      FUZZ_CHECK(platform::ValidUtf8(entry.name) == entry.name);
      FUZZ_CHECK(!entry.directory || entry.size == 0);
      listed.push_back({std::string(entry.name), entry.directory, entry.size});
      if (platform::Enterable(entry, '\\')) children.push_back(path + std::string(entry.name) + "\\");
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  FUZZ_CHECK(!dirs.Open("V:\\"));  // the root opens once
  FUZZ_CHECK(!volume.OpenFolder(MftVolume::kRootRecord, cursor));

  // Walked by record, as the scan walks it: every folder the listings by
  // path reached, and so their entries; more only where a corrupt table
  // names two folders alike in one folder, whose path takes one record.
  MftVolume again;
  FUZZ_CHECK(again.Load(source, nullptr) == LoadResult::kOk);
  std::vector<Seen> walked;
  std::vector<MftVolume::Cursor> stack(1);
  FUZZ_CHECK(again.OpenFolder(MftVolume::kRootRecord, stack.back()));
  std::size_t folders = 1;
  while (!stack.empty()) {
    if (!again.NextEntry(stack.back(), entry)) {
      stack.pop_back();
      continue;
    }
    walked.push_back({std::string(entry.name), entry.directory, entry.size});
    MftVolume::Cursor child;
    if (platform::Enterable(entry, '\\') && again.OpenFolder(stack.back().record, child)) {
      FUZZ_CHECK(++folders <= stats.records);
      stack.push_back(child);
    }
  }
  FUZZ_CHECK(walked.size() >= listed.size());
  if (walked.size() == listed.size()) {
    const auto order = [](const Seen& a, const Seen& b) {
      return std::tie(a.name, a.directory, a.size) < std::tie(b.name, b.directory, b.size);
    };
    std::sort(walked.begin(), walked.end(), order);
    std::sort(listed.begin(), listed.end(), order);
    FUZZ_CHECK(walked == listed);
  }
  return 0;
}
