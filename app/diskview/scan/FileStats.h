// The files of one charted folder, beyond what the folder model keeps: its
// largest files and the space by file type, gathered by a walk of its own
// (the same folders the scan enters, the same files it counts, so the
// types add up to the folder's total), the filter of the largest files'
// list, and both tables as CSV text.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DirEnum.h"

namespace diskview {

struct FileRecord {
  std::string name;
  std::string folder;  // relative to the charted folder; empty for itself
  std::uint64_t bytes = 0;
  std::int64_t modified = 0;  // seconds since 1970-01-01 UTC
};

struct TypeRow {
  std::string extension;  // lower-case ASCII; empty: no extension
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};

// The extension of a file name: after its last dot, ASCII lower-cased;
// empty for none (no dot, a dot last, or only a leading dot: ".profile").
std::string ExtensionOf(std::string_view name);

class FileStats {
 public:
  static constexpr std::size_t kLargestCount = 1000;

  void Add(std::string_view folder, std::string_view name, std::uint64_t bytes, std::int64_t modified);

  // The largest kLargestCount files, largest first; equal sizes by folder,
  // then name.
  std::vector<FileRecord> Largest() const;
  // Every extension, largest total first; equal totals by extension.
  std::vector<TypeRow> Types() const;
  std::uint64_t TotalFiles() const { return files_; }
  std::uint64_t TotalBytes() const { return bytes_; }

 private:
  std::vector<FileRecord> heap_;  // a min-heap by the order of Largest
  std::vector<TypeRow> types_;    // in order of first sight
  std::vector<std::pair<std::string, std::size_t>> typeIndex_;  // sorted by extension
  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
};

// Walks the folder `path` (as the scan names it) and every folder below it
// that the scan enters; false when stopped (`stop` turned true) or when the
// folder itself cannot be listed. `filesSeen`, if given, counts files as
// they come, for a progress text.
bool GatherFileStats(platform::DirEnumerator& dirs, const std::string& path,
                     const std::atomic<bool>& stop, FileStats& out,
                     std::atomic<std::uint64_t>* filesSeen = nullptr);

// Whether a file's name passes the filter: empty passes everything; with
// '*' or '?' the whole name must match the pattern; otherwise the name must
// contain the text. ASCII letters compare without regard to case.
bool NameMatches(std::string_view name, std::string_view filter);

// "name,bytes..." tables: the largest files (name, size in bytes, last
// written as "YYYY-MM-DD HH:MM:SS" at `utcOffsetSeconds` from UTC, folder),
// an empty line, then the types (extension, files, size in bytes, share of
// `totalBytes` in per cent with one decimal). UTF-8 with a byte-order mark,
// CRLF line ends, a header row per table; fields with a comma, a quote or a
// line break are quoted, their quotes doubled.
std::string FileStatsCsv(const std::vector<FileRecord>& largest, const std::vector<TypeRow>& types,
                         std::uint64_t totalBytes, std::int64_t utcOffsetSeconds);

// The name shown for no extension.
inline constexpr char kNoExtensionText[] = "（无扩展名）";

// "YYYY-MM-DD HH:MM:SS" of seconds since 1970-01-01.
std::string DateTimeText(std::int64_t seconds);

}  // namespace diskview
