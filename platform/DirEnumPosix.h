// Directory listing on POSIX systems (host tools and tests). Follows the
// Windows meaning of the entries so that a scan gives the same tree on both:
// a symbolic link is a name-surrogate reparse point, never followed, its own
// size counted as 0 (a link to a folder is a folder the scan does not enter);
// a folder on another file system is a mount point, also not entered.
//
// Open may be called from several threads at once. A folder path that does
// not lie below the last folder opened by its own path (the scan root) is
// opened by that path and becomes the root. Any folder below it is opened
// without following a link at any level, even one swapped in after its
// parent was listed, and without crossing onto another device: relative to
// its parent while the parent's listing is still open, else relative to the
// root. There is no limit on the path's length.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DirEnum.h"

namespace platform {

class DirEnumPosix final : public DirEnumerator {
 public:
  DirEnumPosix();
  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '/'; }

  // An open folder: its descriptor lives as long as its listing and any
  // open still using it.
  struct Folder {
    Folder(std::string p, int f, dev_t d) : path(std::move(p)), fd(f), device(d) {}
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string path;
    int fd;
    dev_t device;
  };

 private:
  std::shared_ptr<const Folder> FindOpen(std::string_view path);
  void Remember(const std::shared_ptr<const Folder>& folder);

  std::mutex mutex_;
  std::shared_ptr<const Folder> root_;
  // Recently opened folders, by listing; a ring, oldest overwritten.
  std::vector<std::weak_ptr<const Folder>> recent_;
  std::vector<std::size_t> recentLength_;  // their paths' lengths
  std::size_t nextRecent_ = 0;
};

}  // namespace platform
