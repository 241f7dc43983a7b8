// The deletion seam on POSIX (host tools and tests): each step below the
// root is opened without following a link, and the entry is removed relative
// to its open parent, so nothing outside the root is reached even when a
// folder is swapped for a link after the scan.
#pragma once

#include "outside/scavra/Junk.h"

namespace scavra {

class RemoverPosix final : public Remover {
 public:
  Outcome RemoveFile(const std::string& root, const std::string& path,
                     bool clearReadOnly) override;
  bool RemoveEmptyFolder(const std::string& root, const std::string& path) override;
};

}  // namespace scavra
