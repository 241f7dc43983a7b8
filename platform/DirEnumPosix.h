// Directory listing on POSIX systems (host tools and tests). Follows the
// Windows meaning of the entries so that a scan gives the same tree on both:
// a symbolic link is a name-surrogate reparse point, never followed, its own
// size counted as 0 (a link to a folder is a folder the scan does not enter);
// a folder on another file system is a mount point, also not entered.
//
// Listings must nest (each closes before its parent, as in a depth-first
// walk): the innermost open listing is taken as the parent of the next.
// One enumerator serves one scan at a time.
#pragma once

#include <sys/types.h>

#include <vector>

#include "platform/DirEnum.h"

namespace platform {

class DirEnumPosix final : public DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '/'; }

 private:
  std::vector<dev_t> devices_;  // of the open listings, outermost first
};

}  // namespace platform
