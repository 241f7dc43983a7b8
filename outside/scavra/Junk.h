// What Scavra counts as junk and how it removes it, free of windows: the
// categories and their rules, a scan of a category's roots over a folder
// listing, and a clean-up through a small deletion seam. The Win32 side
// resolves the roots and supplies the listing and the seam; the host tests
// use the POSIX ones on real trees.
//
// The safety of a clean-up rests on four things kept here: only what a
// scan found below a root is ever handed to the seam (paths are checked to
// lie strictly below their root, without "." or ".." steps); a file goes
// only while the handle it goes through shows the file the scan recorded,
// unchanged, and still junk; links are never entered, only removed as
// links; a folder is handed over only after everything the scan found in
// it, and the seam removes it only when empty.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/DirEnum.h"

namespace scavra {

// Which entries below a root are junk.
enum class Rule {
  // Files and links not written for 24 hours, read-only ones included; not
  // system files. Folders below are searched.
  OldTemp,
  // Only thumbcache_*.db and iconcache_*.db directly in the root.
  CacheDatabases,
  // Everything below but system and read-only files.
  Everything,
  // The recycle bins: counted and emptied by the shell, not listed here.
  RecycleBin,
};

// The places a category's roots come from, resolved by the system.
enum class Place {
  UserTemp,        // GetTempPath
  WindowsTemp,     // %WINDIR%\Temp
  ExplorerCache,   // %LOCALAPPDATA%\Microsoft\Windows\Explorer
  CrashDumps,      // %LOCALAPPDATA%\CrashDumps
  ReportArchive,   // %ProgramData%\Microsoft\Windows\WER\ReportArchive
  ReportQueue,     // %ProgramData%\Microsoft\Windows\WER\ReportQueue
};

struct Category {
  const char* name;
  Rule rule;
  // Machine-wide: removing needs administrator rights whatever the
  // folder's own permissions say.
  bool machineWide;
  std::vector<Place> places;
};

// The dialog's rows, in order.
const std::vector<Category>& Categories();

constexpr std::int64_t kTempAge = 24 * 60 * 60;  // seconds

// What the system says of one file or link, not followed: what a rule is
// applied to, and what a clean-up compares with the scan's record.
struct FileFacts {
  std::uint64_t size = 0;
  // Last write: seconds since 1970-01-01 UTC, and the rest below the
  // second in the system's own unit (100 ns on Windows, 1 ns on POSIX).
  std::int64_t modified = 0;
  std::uint32_t modifiedFraction = 0;
  // The file itself, whatever its name: volume serial number and file
  // index on Windows, st_dev and st_ino on POSIX.
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::uint32_t links = 1;  // names of the file, as a handle tells them
  bool readOnly = false;    // FILE_ATTRIBUTE_READONLY; on POSIX no write bit
  bool system = false;      // FILE_ATTRIBUTE_SYSTEM; never set on POSIX
  bool link = false;        // a reparse point; a symbolic link on POSIX
  bool directory = false;

  // The same file, not written since: identity, size and last write agree.
  bool SameFileUnchanged(const FileFacts& other) const {
    return volume == other.volume && index == other.index && size == other.size &&
           modified == other.modified && modifiedFraction == other.modifiedFraction;
  }
};

// Whether a file named `name` with `facts` is junk under `rule` at `now`
// (seconds since 1970).
bool IsJunkFile(std::string_view name, const FileFacts& facts, Rule rule, std::int64_t now);

// What a scan found below one category's roots. Paths are kept as names
// below their folder, so a deep tree takes the room of its names, not of
// its paths at every level.
struct Junk {
  static constexpr std::size_t kInRoot = static_cast<std::size_t>(-1);
  struct Folder {
    std::size_t root;    // index into the scanned roots
    std::size_t parent;  // index into `folders`, always a lower one; or kInRoot
    std::string name;
  };
  struct File {
    std::size_t root;
    std::size_t folder;  // index into `folders`, or kInRoot
    std::string name;
    std::uint64_t bytes = 0;  // what removing it frees: 0 for a link
    FileFacts facts;          // as the scan read them
  };
  std::vector<File> files;
  // Folders that held junk, each before every folder below it (the order
  // the scan entered them): a clean-up removes them from the last.
  std::vector<Folder> folders;
  std::uint64_t bytes = 0;
};

// The paths of a Junk's files and folders below `roots`, one after another:
// only paths strictly below their root (each root ending in the separator,
// each name a plain step: not empty, ".", ".." or holding a separator),
// the only ones a clean-up hands to the seam. Each reuses the start it
// shares with the last one asked, so asking them in the scan's order (or
// its reverse) costs their names, not their depths. `junk` must outlive it.
class JunkPaths {
 public:
  JunkPaths(const Junk& junk, std::vector<std::string> roots, char separator)
      : junk_(junk), roots_(std::move(roots)), separator_(separator) {}
  // The folder's path, ending in the separator (kInRoot: the root's own);
  // nullptr when the indices or names do not hold together.
  const std::string* Folder(std::size_t root, std::size_t folder);
  // The file's path; empty when its indices or names do not hold together.
  std::string File(const Junk::File& file);

 private:
  const Junk& junk_;
  std::vector<std::string> roots_;
  char separator_;
  std::size_t root_ = Junk::kInRoot;
  std::string path_;
  std::vector<std::size_t> chain_;  // folder indices from the root down, rising
  std::vector<std::size_t> ends_;   // path_'s length after each
};

// Stop flag and progress of a scan or clean-up, shared with the thread that
// shows them. `folder` is called with each folder path as it is entered.
struct Progress {
  const std::atomic<bool>* stop = nullptr;
  std::function<void(const std::string& folder)> folder;

  bool Stopped() const { return stop != nullptr && stop->load(std::memory_order_relaxed); }
};

// Reads the facts of a file or link below a root, never following a link.
class FileInspector {
 public:
  virtual ~FileInspector() = default;
  // False when it cannot be read (gone, denied).
  virtual bool Inspect(const std::string& root, const std::string& path, FileFacts& out) = 0;
  // The volume (FileFacts::volume) of the folder `root`; false when it
  // cannot be read.
  virtual bool RootVolume(const std::string& root, std::uint64_t& out) = 0;
};

// Adds to `junk` what `rule` finds below `root` (a folder path ending in the
// listing's separator), as root number `rootIndex`. `now` is the time the
// age rule measures from, in seconds since 1970. Each junk file's facts are
// recorded: as the listing gives them where it tells the file's index (the
// walk enters no mount point, so every file is on the root's volume), else
// as `inspector` reads them, the file then kept only if the rule holds for
// what that says. Folders that cannot be listed, and names no path reaches
// (holding a separator), are passed over. The walk keeps its folders on the
// heap, so no depth of tree exhausts the thread's stack. Returns false when
// stopped.
bool FindJunk(platform::DirEnumerator& dirs, FileInspector& inspector, const std::string& root,
              std::size_t rootIndex, Rule rule, std::int64_t now, const Progress& progress,
              Junk& junk);

// The deletion seam: removes one entry a scan found, below its root.
class Remover : public FileInspector {
 public:
  enum class Outcome {
    Removed,
    Gone,     // no longer there: neither removed nor skipped
    Skipped,  // in use, denied, system file, changed since the scan, or its
              // final path left the root
  };
  // Whether the entry is still what the scan found, judged on what the
  // handle it is removed through says.
  using StillJunk = std::function<bool(const FileFacts& now)>;
  // `path` is a file or a link (removed as a link, never followed) below
  // `root`, opened once; skipped unless `stillJunk` accepts what that
  // handle says. A read-only file it accepts goes without its attribute
  // being changed where the system can do that; elsewhere only when it has
  // no other name, since the attribute belongs to the file, not the name.
  virtual Outcome RemoveFile(const std::string& root, const std::string& path,
                             const StillJunk& stillJunk) = 0;
  // Removes the folder `path` (ending in the separator) below `root` if it
  // is empty, and only then; true when it went.
  virtual bool RemoveEmptyFolder(const std::string& root, const std::string& path) = 0;
};

struct CleanResult {
  std::uint64_t bytes = 0;
  std::size_t files = 0;
  std::size_t skipped = 0;
  bool stopped = false;
};

// Whether `path` lies strictly below `root` (which ends in `separator`)
// without a "." or ".." step.
bool StrictlyBelow(const std::string& root, const std::string& path, char separator);

// Removes `junk` (found below `roots`) through `remover`, adding to `done`
// as each file goes, so what went before a failure is counted: every file
// once (a skipped one is counted and never retried), and only while it is
// the file the scan recorded, unchanged, and still junk under `rule` at
// `now`; then the folders, deepest first.
void Clean(const Junk& junk, const std::vector<std::string>& roots, Rule rule, std::int64_t now,
           char separator, Remover& remover, const Progress& progress, CleanResult& done);

// The dialog's texts.
std::string ConfirmText(std::uint64_t files, std::uint64_t bytes);
std::string SummaryText(const CleanResult& result);
std::string ScanningText(const std::string& folder);

}  // namespace scavra
