// Directory listing as the folder scan sees it: one folder at a time, entries
// in the order the file system returns them, with just the facts the scan
// needs. Implementations: DirEnumWin (NtQueryDirectoryFile, or
// FindFirstFileExW), DirEnumPosix (readdir + fstatat), DirEnumMemory (tests).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

struct DirEntry {
  std::string_view name;  // UTF-8; valid until the next call on the listing
  bool directory = false;
  // The entry is a reparse point (a symbolic link on POSIX).
  bool reparse = false;
  // The reparse point stands for another name (junction, symbolic link,
  // volume mount point): its target is reached some other way, so the scan
  // must not descend into it.
  bool nameSurrogate = false;
  std::uint64_t size = 0;  // bytes; meaningful for files only
  // Last write, in seconds since 1970-01-01 UTC; meaningful for files and
  // links (the link's own time, not its target's). The rest below the
  // second in the system's own unit (100 ns on Windows, 1 ns on POSIX).
  std::int64_t modified = 0;
  std::uint32_t modifiedFraction = 0;
  // The file's index on its volume (NTFS file reference, st_ino) for files
  // and links; 0 when the listing does not tell it.
  std::uint64_t fileId = 0;
  bool readOnly = false;  // FILE_ATTRIBUTE_READONLY; on POSIX no write bit
  bool system = false;    // FILE_ATTRIBUTE_SYSTEM; never set on POSIX
};

// Whether the path a listed name makes below its folder reaches that entry.
// Not for a name holding a path separator (an NTFS POSIX name may hold a
// backslash): the path it would make is another entry's, or none. Windows
// paths also split at '/'.
inline bool ReachableByName(std::string_view name, char separator) {
  if (name.find(separator) != std::string_view::npos) return false;
  return separator != '\\' || name.find('/') == std::string_view::npos;
}

// Whether the scan enters a listed entry as a folder. Not a name surrogate:
// its target is counted where it lives. Not a name no path reaches.
inline bool Enterable(const DirEntry& entry, char separator) {
  return entry.directory && !entry.nameSurrogate && ReachableByName(entry.name, separator);
}

class DirEnumerator {
 public:
  // One open listing. Several are open at once while the scan recurses.
  class Listing {
   public:
    virtual ~Listing() = default;
    // Fills `out` with the next entry; false at the end of the listing.
    virtual bool Next(DirEntry& out) = 0;
  };

  virtual ~DirEnumerator() = default;

  // May be called from several threads at once (a scan's readers); each
  // listing is used by one thread.
  // Starts listing `folder`: a folder path ending in the separator, or the
  // empty string for the current directory. Returns nullptr when the folder
  // cannot be listed (missing, access denied); the listing closes when the
  // returned object is destroyed.
  virtual std::unique_ptr<Listing> Open(const std::string& folder) = 0;

  // The separator the scan appends to a folder name to form its path.
  virtual char Separator() const = 0;
};

}  // namespace platform
