#include "tests/support/DirEnumMft.h"

#include <utility>

namespace diskview::ntfs {

class DirEnumMft::FolderListing final : public platform::DirEnumerator::Listing {
 public:
  FolderListing(DirEnumMft& dirs, const MftVolume::Cursor& cursor, std::string path)
      : dirs_(dirs), cursor_(cursor), path_(std::move(path)) {}

  bool Next(platform::DirEntry& out) override {
    if (!dirs_.volume_.NextEntry(cursor_, out)) return false;
    // Only a folder the scan may enter gets a path: one whose name holds the
    // separator would take another folder's.
    if (platform::Enterable(out, dirs_.separator_)) {
      std::string child = path_;
      child += out.name;
      child.push_back(dirs_.separator_);
      std::lock_guard lock(dirs_.mutex_);
      dirs_.named_[std::move(child)] = cursor_.record;
    }
    return true;
  }

 private:
  DirEnumMft& dirs_;
  MftVolume::Cursor cursor_;
  std::string path_;
};

DirEnumMft::DirEnumMft(MftVolume& volume, std::string rootPath, char separator)
    : volume_(volume), rootPath_(std::move(rootPath)), separator_(separator) {
  // The scan opens its root with a trailing separator.
  if (!rootPath_.empty() && rootPath_.back() != separator_) rootPath_.push_back(separator_);
}

std::unique_ptr<platform::DirEnumerator::Listing> DirEnumMft::Open(const std::string& folder) {
  MftVolume::Cursor cursor;
  {
    // The volume's count of opened folders is not for several threads.
    std::lock_guard lock(mutex_);
    std::uint32_t record;
    const auto named = named_.find(folder);
    if (named != named_.end()) {
      record = named->second;
      named_.erase(named);
    } else if (folder == rootPath_) {
      record = MftVolume::kRootRecord;
    } else {
      return nullptr;
    }
    if (!volume_.OpenFolder(record, cursor)) return nullptr;
  }
  return std::make_unique<FolderListing>(*this, cursor, folder);
}

}  // namespace diskview::ntfs
