#include "platform/DirEnumPosix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

class PosixListing final : public DirEnumerator::Listing {
 public:
  PosixListing(DIR* dir, dev_t device) : dir_(dir), fd_(dirfd(dir)), device_(device) {}
  ~PosixListing() override { closedir(dir_); }
  PosixListing(const PosixListing&) = delete;
  PosixListing& operator=(const PosixListing&) = delete;

  bool Next(DirEntry& out) override {
    const dirent* entry = readdir(dir_);
    if (entry == nullptr) return false;
    out = DirEntry{};
    out.name = entry->d_name;
    // Sizes need a stat per file; folders need one only to spot mount points.
    // Stats are relative to the open folder, so no path is resolved again.
    unsigned char type = entry->d_type;
    bool dots = out.name == "." || out.name == "..";
    if (dots) {
      out.directory = true;
      return true;
    }
    struct stat st;
    if (type != DT_LNK) {
      if (fstatat(fd_, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // Vanished since the listing was read: report it as an empty file.
        return true;
      }
      if (S_ISLNK(st.st_mode)) type = DT_LNK;
      else type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
    }
    if (type == DT_LNK) {
      out.reparse = true;
      out.nameSurrogate = true;
      out.directory = fstatat(fd_, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
      return true;
    }
    if (type == DT_DIR) {
      out.directory = true;
      if (st.st_dev != device_) {
        out.reparse = true;
        out.nameSurrogate = true;
      }
      return true;
    }
    out.size = static_cast<std::uint64_t>(st.st_size);
    return true;
  }

 private:
  DIR* dir_;
  int fd_;
  dev_t device_;
};

}  // namespace

std::unique_ptr<DirEnumerator::Listing> DirEnumPosix::Open(const std::string& folder) {
  const char* path = folder.empty() ? "." : folder.c_str();
  int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return nullptr;
  }
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixListing>(dir, st.st_dev);
}

}  // namespace platform
