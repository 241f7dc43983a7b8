// What Scavra counts as junk and how it removes it, free of windows: the
// categories and their rules, a scan of a category's roots over a folder
// listing, and a clean-up through a small deletion seam. The Win32 side
// resolves the roots and supplies the listing and the seam; the host tests
// use the POSIX ones on real trees.
//
// The safety of a clean-up rests on three things kept here: only what a
// scan found below a root is ever handed to the seam (paths are checked to
// lie strictly below their root, without "." or ".." steps); links are never
// entered, only removed as links; a folder is handed over only after
// everything the scan found in it, and the seam removes it only when empty.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
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
  // Everything below but system files.
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

// What a scan found below one category's roots.
struct Junk {
  struct File {
    std::size_t root;  // index into the scanned roots
    std::string path;
    std::uint64_t size = 0;
    bool readOnly = false;
  };
  struct Folder {
    std::size_t root;
    std::string path;  // ending in the separator
  };
  std::vector<File> files;
  // Folders that held junk, each after every folder below it.
  std::vector<Folder> folders;
  std::uint64_t bytes = 0;
};

// Stop flag and progress of a scan or clean-up, shared with the thread that
// shows them. `folder` is called with each folder path as it is entered.
struct Progress {
  const std::atomic<bool>* stop = nullptr;
  std::function<void(const std::string& folder)> folder;

  bool Stopped() const { return stop != nullptr && stop->load(std::memory_order_relaxed); }
};

// Adds to `junk` what `rule` finds below `root` (a folder path ending in the
// listing's separator), as root number `rootIndex`. `now` is the time the
// age rule measures from, in seconds since 1970. Folders that cannot be
// listed are passed over. Returns false when stopped.
bool FindJunk(platform::DirEnumerator& dirs, const std::string& root, std::size_t rootIndex,
              Rule rule, std::int64_t now, const Progress& progress, Junk& junk);

// The deletion seam: removes one entry a scan found, below its root.
class Remover {
 public:
  enum class Outcome {
    Removed,
    Gone,     // no longer there: neither removed nor skipped
    Skipped,  // in use, denied, system file, or its final path left the root
  };
  virtual ~Remover() = default;
  // `path` is a file or a link (removed as a link, never followed) below
  // `root`. With `clearReadOnly` a read-only file loses the attribute
  // first; without it a read-only file is skipped.
  virtual Outcome RemoveFile(const std::string& root, const std::string& path,
                             bool clearReadOnly) = 0;
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
// without a "." or ".." step: the only paths a clean-up hands to the seam.
bool StrictlyBelow(const std::string& root, const std::string& path, char separator);

// Removes `junk` (found below `roots`) through `remover`: every file once
// (a skipped one is counted and never retried), then the folders, deepest
// first. `rule` decides whether read-only files may lose the attribute.
CleanResult Clean(const Junk& junk, const std::vector<std::string>& roots, Rule rule,
                  char separator, Remover& remover, const Progress& progress);

// The dialog's texts.
std::string ConfirmText(std::uint64_t files, std::uint64_t bytes);
std::string SummaryText(const CleanResult& result);
std::string ScanningText(const std::string& folder);

}  // namespace scavra
