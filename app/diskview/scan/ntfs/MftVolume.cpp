#include "app/diskview/scan/ntfs/MftVolume.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace diskview::ntfs {
namespace {

constexpr std::uint32_t kReparseTagNameSurrogate = 0x20000000;

constexpr std::uint64_t kUpcaseRecord = 10;
// Records below this are the metafiles, which no listing shows.
constexpr std::uint64_t kFirstUserRecord = 16;

constexpr std::uint8_t kNodeInUse = 1;
constexpr std::uint8_t kNodeDirectory = 2;
constexpr std::uint8_t kNodeReparse = 4;
constexpr std::uint8_t kNodeNameSurrogate = 8;
constexpr std::uint8_t kDosSpace = 2;

std::uint64_t RecordOf(std::uint64_t reference) { return reference & 0xFFFFFFFFFFFFull; }
std::uint16_t SequenceOf(std::uint64_t reference) {
  return static_cast<std::uint16_t>(reference >> 48);
}

}  // namespace

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
  if (upcaseSize_ < Collation::kTableBytes) {
    if (upcaseSize_ != 0) return;
  }
  // Read straight into the table's own memory: one buffer, not two, and
  // not zeroed first.
  std::unique_ptr<char16_t[]> table(new char16_t[Collation::kUnits]);
  if (ReadThroughRuns(source, upcaseRuns_, boot_.clusterSize, boot_.totalClusters, 0,
                      reinterpret_cast<std::uint8_t*>(table.get()), Collation::kTableBytes,
                      stats_.bytesRead))
    collation_.SetTable(std::move(table));
}

LoadResult MftVolume::Load(ByteSource& source, const std::function<bool()>& stopping) {
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
  if (!keepFileNames_) {
    // Nine names in ten are files': their text goes once they are in order.
    std::string folders;
    for (Name& n : names_) {
      if (!(nodes_[n.record].flags & kNodeDirectory)) {
        n.textAt = 0;
        n.textBytes = 0;
        continue;
      }
      const auto at = static_cast<std::uint32_t>(folders.size());
      folders.append(NameText(n));
      n.textAt = at;
    }
    texts_ = std::move(folders);
  }
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

}  // namespace diskview::ntfs
