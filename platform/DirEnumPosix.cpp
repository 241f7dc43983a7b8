#include "platform/DirEnumPosix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

class PosixListing final : public DirEnumerator::Listing {
 public:
  PosixListing(DIR* dir, std::vector<dev_t>& devices)
      : dir_(dir), fd_(dirfd(dir)), devices_(devices) {}
  ~PosixListing() override {
    closedir(dir_);
    devices_.pop_back();
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
  std::vector<dev_t>& devices_;
};

}  // namespace

std::unique_ptr<DirEnumerator::Listing> DirEnumPosix::Open(const std::string& folder) {
  const char* path = folder.empty() ? "." : folder.c_str();
  // Below the root a folder is never reached through a link, even one that
  // replaced the folder after it was listed.
  const int noFollow = devices_.empty() ? 0 : O_NOFOLLOW;
  int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return nullptr;
  }
  // Listings nest as the scan descends, so the innermost open one is the
  // parent. A folder on another device is a mount point: like a volume
  // mount point on Windows it is not entered, and stays an empty folder.
  if (!devices_.empty() && st.st_dev != devices_.back()) {
    close(fd);
    return nullptr;
  }
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return nullptr;
  }
  devices_.push_back(st.st_dev);
  return std::make_unique<PosixListing>(dir, devices_);
}

}  // namespace platform
