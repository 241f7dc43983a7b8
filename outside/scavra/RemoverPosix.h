// The deletion seam on POSIX (host tools and tests): each step below the
// root is opened without following a link, and the entry is read and
// removed relative to its open parent, so nothing outside the root is
// reached even when a folder is swapped for a link after the scan. POSIX
// has no removal through a handle: the entry is checked by lstat just
// before it is unlinked.
#pragma once

#include "outside/scavra/Junk.h"

namespace scavra {

class RemoverPosix final : public Remover {
 public:
  bool Inspect(const std::string& root, const std::string& path, FileFacts& out) override;
  bool RootVolume(const std::string& root, std::uint64_t& out) override;
  Outcome RemoveFile(const std::string& root, const std::string& path,
                     const StillJunk& stillJunk) override;
  bool RemoveEmptyFolder(const std::string& root, const std::string& path) override;
};

}  // namespace scavra
