// Directory listing on POSIX systems (host tools and tests). Follows the
// Windows meaning of the entries so that a scan gives the same tree on both:
// a symbolic link is a name-surrogate reparse point, never followed, its own
// size counted as 0 (a link to a folder is a folder the scan does not enter);
// a folder on another file system is a mount point, also not entered.
//
// A folder listed while its parent's listing is the innermost open one (as
// in a depth-first walk) is opened relative to it; any other folder by its
// path. One enumerator serves one scan at a time.
#pragma once

#include <sys/types.h>

#include <vector>

#include "platform/DirEnum.h"

namespace platform {

class DirEnumPosix final : public DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '/'; }

  struct OpenFolder {
    std::string path;
    int fd;
    dev_t device;
  };

 private:
  std::vector<OpenFolder> open_;  // the open listings, outermost first
};

}  // namespace platform
