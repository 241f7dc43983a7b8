// Directory listing on POSIX systems (host tools and tests). Follows the
// Windows meaning of the entries so that a scan gives the same tree on both:
// a symbolic link is a name-surrogate reparse point, never followed, its own
// size counted as 0 (a link to a folder is a folder the scan does not enter);
// a folder on another file system is a mount point, also not entered.
#pragma once

#include "platform/DirEnum.h"

namespace platform {

class DirEnumPosix final : public DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '/'; }
};

}  // namespace platform
