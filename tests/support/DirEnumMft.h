// A loaded volume's table as a DirEnumerator, for the reader's tests and its
// fuzz target: they list its folders by path, as a scan over listings would,
// and compare that with the walk by record the scan itself takes
// (MftVolume::OpenFolder, NextEntry).
//
// The folder `rootPath` (as the scan forms it, ending in `separator`) is the
// volume's root; a subfolder's path is its parent's path, its name and the
// separator. A folder opens only after its parent's listing named it, and at
// most once per Load, by path or by record: the volume keeps that count.
// Made after a Load (after one that failed, nothing opens); a new Load of
// the volume wants a new DirEnumMft.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "app/diskview/scan/ntfs/MftVolume.h"
#include "platform/DirEnum.h"

namespace diskview::ntfs {

class DirEnumMft final : public platform::DirEnumerator {
 public:
  DirEnumMft(MftVolume& volume, std::string rootPath, char separator = '\\');

  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return separator_; }

 private:
  class FolderListing;

  MftVolume& volume_;
  std::string rootPath_;
  char separator_;
  std::mutex mutex_;  // Open may run on several threads
  std::unordered_map<std::string, std::uint32_t> named_;  // path -> record, not yet opened
};

}  // namespace diskview::ntfs
