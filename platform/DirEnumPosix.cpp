#include "platform/DirEnumPosix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

class PosixListing final : public DirEnumerator::Listing {
 public:
  PosixListing(DIR* dir, std::vector<DirEnumPosix::OpenFolder>& open)
      : dir_(dir), fd_(dirfd(dir)), open_(open) {}
  ~PosixListing() override {
    for (auto it = open_.end(); it != open_.begin();) {
      if ((--it)->fd == fd_) {
        open_.erase(it);
        break;
      }
    }
    closedir(dir_);
  }
  PosixListing(const PosixListing&) = delete;
  PosixListing& operator=(const PosixListing&) = delete;

  bool Next(DirEntry& out) override {
    for (;;) {
      const dirent* entry = readdir(dir_);
      if (entry == nullptr) return false;
      out = DirEntry{};
      out.name = entry->d_name;
      unsigned char type = entry->d_type;
      if (type == DT_DIR) {
        out.directory = true;
        return true;
      }
      // Sizes need a stat per file, relative to the open folder so that no
      // path is resolved again; folders need none (see Open for mount points).
      struct stat st;
      if (type != DT_LNK) {
        // An entry removed since the listing was read is skipped.
        if (fstatat(fd_, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISLNK(st.st_mode)) {
          type = DT_LNK;
        } else if (S_ISDIR(st.st_mode)) {
          out.directory = true;
          return true;
        }
      }
      if (type == DT_LNK) {
        out.reparse = true;
        out.nameSurrogate = true;
        out.directory = fstatat(fd_, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        return true;
      }
      out.size = static_cast<std::uint64_t>(st.st_size);
      return true;
    }
  }

 private:
  DIR* dir_;
  int fd_;
  std::vector<DirEnumPosix::OpenFolder>& open_;
};

}  // namespace

std::unique_ptr<DirEnumerator::Listing> DirEnumPosix::Open(const std::string& folder) {
  int fd = -1;
  if (open_.empty()) {
    fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } else {
    // A subfolder of the innermost open listing is opened relative to it:
    // no path walk, no path length limit, and never through a link, even
    // one that replaced the folder after it was listed.
    const std::string& parent = open_.back().path;
    std::size_t end = folder.size();
    while (end > 0 && folder[end - 1] == '/') --end;
    const std::size_t slash = folder.rfind('/', end == 0 ? 0 : end - 1);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
    if (start == parent.size() && folder.compare(0, parent.size(), parent) == 0) {
      fd = openat(open_.back().fd, folder.substr(start, end - start).c_str(), flags);
    } else {
      fd = open(folder.c_str(), flags);
    }
  }
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return nullptr;
  }
  // A folder on another device than its parent is a mount point: like a
  // volume mount point on Windows it is not entered, and stays empty.
  if (!open_.empty() && st.st_dev != open_.back().device) {
    close(fd);
    return nullptr;
  }
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return nullptr;
  }
  open_.push_back({folder, fd, st.st_dev});
  return std::make_unique<PosixListing>(dir, open_);
}

}  // namespace platform
