// Scavra's reach into Windows, drawing nothing: where each category's roots
// are, whether this process may remove things in them, the recycle bins,
// and the deletion seam that removes what a scan found.
#pragma once

#include <cstdint>
#include <string>

#include "outside/scavra/Junk.h"

namespace scavra {

// The folder of `place` (UTF-8, ending in '\'), from the known-folder and
// environment calls; empty when the system names none.
std::string PlaceFolder(Place place);

// Whether the folder exists.
bool FolderExists(const std::string& folder);

// Whether this process may add and remove entries in the existing `folder`.
bool FolderWritable(const std::string& folder);

// The recycle bins of all drives, as the shell counts them.
struct BinFigures {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};
bool QueryRecycleBins(BinFigures& out);
// Empties them without asking, without progress window or sound.
bool EmptyRecycleBins();

// "C:\a" as "\\?\C:\a" (and "\\server\share" as "\\?\UNC\server\share"),
// so that long paths and names the path parser would cut are taken as they
// are.
std::wstring LongPathForm(const std::string& path);

// Removes files, links (as links) and empty folders with one handle each:
// opened without following a reparse point, without waiting for anyone and
// without sharing writes (a file another process holds without sharing
// deletion, or has open for writing, is skipped), checked by its final path
// to lie below the root and by its identity, size and last write to be the
// file the scan recorded, then marked for deletion on that handle. Nothing
// is retried and nothing is left for a restart.
class RemoverWin final : public Remover {
 public:
  bool Inspect(const std::string& root, const std::string& path, FileFacts& out) override;
  bool RootVolume(const std::string& root, std::uint64_t& out) override;
  Outcome RemoveFile(const std::string& root, const std::string& path,
                     const StillJunk& stillJunk) override;
  bool RemoveEmptyFolder(const std::string& root, const std::string& path) override;

 private:
  // The root's final path and object name, each ending in '\'; cached for
  // the last root asked.
  const std::wstring& FinalRoot(const std::string& root);
  // Whether the open `handle`'s final path lies below the last root asked.
  bool InsideRoot(void* handle) const;

  std::string lastRoot_;
  std::wstring lastFinalRoot_;
  std::wstring lastRootObject_;
};

}  // namespace scavra
