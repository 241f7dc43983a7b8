// A second engine for the folder scan on NTFS: reads a volume's master file
// table (MFT) in large sequential chunks and offers the folders it describes
// by record, so the scan walks them with the same code as a listing (same
// nodes, rows, notifications and stop checks), in the order a listing of the
// volume gives: NTFS index order, by upper-cased name.
//
// The volume is untrusted input. Every offset, length, run and fix-up is
// checked; a record that fails is skipped and counted, a structure the whole
// table depends on (boot sector, $MFT's own record and runs, the root
// folder) ends the attempt, and the caller walks the folders instead.
//
// What a listing of the volume shows, and so what the reader offers: records
// in use only; per folder one entry per name (a hard link counts once per
// name), the Win32 or POSIX name, the DOS name only where a file has no
// other name in that folder; the metafiles ($MFT ... $Extend) never; a
// file's size is its unnamed $DATA stream's logical size (resident or not,
// sparse and compressed files at their logical size); a reparse point is
// flagged, and a name surrogate (junction, symbolic link, mount point) is
// not entered by the scan. Attributes kept in extension records (an
// attribute list) count for their base record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/diskview/scan/ntfs/Clusters.h"
#include "app/diskview/scan/ntfs/Collation.h"
#include "app/diskview/scan/ntfs/Records.h"
#include "platform/DirEnum.h"

namespace diskview::ntfs {

enum class LoadResult { kOk, kNotNtfs, kCorrupt, kReadFailed, kStopped };
const char* LoadResultText(LoadResult result);

struct MftStats {
  std::uint64_t records = 0;     // records read
  std::uint64_t inUse = 0;       // of them in use
  std::uint64_t corrupt = 0;     // skipped as corrupt
  std::uint64_t bytesRead = 0;   // from the source, the table's and the rest
  std::uint64_t tableBytes = 0;  // the table's own bytes (its $DATA size)
  std::uint64_t tableRuns = 0;   // extents the table lies in
};

// The folders of one volume after Load, gone through by record (OpenFolder,
// NextEntry): no listing object, path or copy of the entries per folder.
// Each folder opens at most once per Load, so a corrupt table cannot make
// the scan loop.
class MftVolume final {
 public:
  // Reads the table; `stopping` is asked between chunks.
  LoadResult Load(ByteSource& source, const std::function<bool()>& stopping);
  // Whether the files' names are kept once the entries are in order (set
  // before Load; kept by default). A scan reads only the files' sizes:
  // without their names the files come in the same order with empty names,
  // and the table holds a tenth of the text while the scan walks it.
  void KeepFileNames(bool keep) { keepFileNames_ = keep; }
  const MftStats& Stats() const { return stats_; }

  // A place in one folder's entries.
  struct Cursor {
    std::uint32_t at = 0;
    std::uint32_t end = 0;
    std::uint32_t record = 0;  // of the entry NextEntry gave last
  };
  static constexpr std::uint32_t kRootRecord = 5;
  // Starts on folder `record`'s entries; false if nothing is loaded, or the
  // folder was opened before. One thread at a time.
  bool OpenFolder(std::uint32_t record, Cursor& out);
  // The next entry, its name valid as long as the volume; false at the end.
  // A subfolder the scan may enter (platform::Enterable) opens with
  // OpenFolder(cursor.record).
  bool NextEntry(Cursor& cursor, platform::DirEntry& out) const;

  // Bytes read per source call while reading the table.
  // Large enough for sequential reads to run at the device's speed; small
  // enough that the buffer's first touch costs little.
  static constexpr std::size_t kChunkBytes = 1u << 20;
  // Room set aside at the start: records (a 4 GiB table of 1 KiB records),
  // and bytes of text per name (a typical name is shorter). Set aside, not
  // touched: a text that outgrows it is copied, both copies at once.
  static constexpr std::uint64_t kReserveRecords = 1u << 22;
  static constexpr std::size_t kReserveBytesPerName = 40;
  // Names put in order between looks at the stop request.
  static constexpr std::size_t kNamesPerStopCheck = 1u << 16;

 private:
  // 16 bytes per record, as few as a large volume allows: every page costs.
  struct Node {
    std::uint64_t size = 0;
    // Where the record's names begin in names_ while they are grouped by
    // file; once grouped by folder, where its entries begin in order_.
    std::uint32_t first = 0;
    std::uint16_t sequence = 0;
    std::uint8_t flags = 0;
  };
  // 16 bytes: a large volume holds millions.
  struct Name {
    std::uint32_t record;
    std::uint32_t parent;
    std::uint32_t textAt;  // in texts_
    std::uint16_t parentSequence;
    std::uint16_t textBytes : 10;  // 255 code units take at most 765
    std::uint16_t space : 2;
  };
  // A name an extension record holds counts only if its base record, when
  // all are read, is the generation the extension names.
  struct ExtensionName {
    std::uint32_t at;  // in names_
    std::uint16_t baseSequence;
  };
  struct Extension {  // facts of an extension record, for its base
    std::uint32_t base;
    std::uint16_t baseSequence;
    bool hasSize;
    bool hasReparse;
    std::uint64_t size;
    std::uint32_t reparseTag;
  };

  LoadResult ReadTableRuns(ByteSource& source, const BootSector& boot, std::vector<Run>& runs,
                           std::uint64_t& tableSize);
  void Keep(std::uint64_t number, const RecordFacts& facts);
  void ReadUpcase(ByteSource& source);
  // False when stopped.
  bool BuildFolders(const std::function<bool()>& stopping);
  void Reserve(std::uint64_t records);
  // Sets each node's `first` to where the names of its key begin in names_
  // grouped by key (a counting sort's slots); a key's names end where the
  // next node's begin, the last node's at `names`.
  template <class Key>
  void Slots(std::size_t names, Key key);
  std::uint32_t SlotEnd(std::size_t node, std::size_t names) const {
    return node + 1 < nodes_.size() ? nodes_[node + 1].first : static_cast<std::uint32_t>(names);
  }
  // Drops the names that are not shown: dead or metafile records, DOS
  // aliases of a long name.
  void DropHiddenNames();
  std::string_view NameText(const Name& name) const { return {texts_.data() + name.textAt, name.textBytes}; }

  BootSector boot_;
  MftStats stats_;
  Collation collation_;
  std::vector<Node> nodes_;
  std::vector<Name> names_;
  // Every name's text, as AppendUnits writes it until the names are in
  // order, then as UTF-8: shown as kept, never converted per entry.
  std::string texts_;
  bool loneSurrogates_ = false;  // some name holds one
  bool keepFileNames_ = true;
  std::vector<Extension> extensions_;
  std::vector<ExtensionName> extensionNames_;
  std::vector<Run> upcaseRuns_;
  std::uint64_t upcaseSize_ = 0;
  // After BuildFolders: a folder's entries are names_[order_[i]] for i from
  // nodes_[r].first to the next node's, in index order. An order, not a
  // sorted copy: a quarter of the memory.
  std::vector<std::uint32_t> order_;
  bool loaded_ = false;
  std::vector<bool> opened_;
};

}  // namespace diskview::ntfs
