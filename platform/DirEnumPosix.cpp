#include "platform/DirEnumPosix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>

#ifdef __linux__
#include <linux/openat2.h>
#endif

namespace platform {
namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
constexpr std::size_t kRecentFolders = 256;
// The kernel takes paths up to PATH_MAX; longer ones go in pieces.
constexpr std::size_t kPathPiece = 2048;

// Where the kernel has no openat2 (or a sandbox refuses it), folders are
// opened one level at a time with a device check at each.
std::atomic<bool> noOpenat2{false};

// `name` (one level or several, no trailing '/') below `at`; -1 with errno
// ENOSYS when openat2 cannot be used.
int OpenBeneath(int at, const char* name) {
#if defined(__linux__) && defined(SYS_openat2)
  if (!noOpenat2.load(std::memory_order_relaxed)) {
    open_how how{};
    how.flags = kOpenFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
    const long fd = syscall(SYS_openat2, at, name, &how, sizeof how);
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
    noOpenat2.store(true, std::memory_order_relaxed);
  }
#else
  (void)at;
  (void)name;
#endif
  errno = ENOSYS;
  return -1;
}

// One level, the old way: no link followed at the last step (the levels
// above are folders already open or opened the same way), and a folder on
// another device is a mount point.
int OpenLevel(int at, const std::string& name, dev_t device) {
  if (name == "..") return -1;
  const int fd = openat(at, name.c_str(), kOpenFlags);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_dev != device) {
    close(fd);
    return -1;
  }
  return fd;
}

// `relative` (levels separated by '/', no trailing one) below the open
// folder `from`, never through a link or onto another device.
int OpenPath(const DirEnumPosix::Folder& from, std::string_view relative) {
  if (!noOpenat2.load(std::memory_order_relaxed)) {
    int at = from.fd;
    bool ok = true;
    int fd = -1;
    while (ok && !relative.empty()) {
      std::size_t cut = relative.size();
      if (cut > kPathPiece) {
        cut = relative.rfind('/', kPathPiece);
        if (cut == std::string_view::npos || cut == 0) cut = relative.find('/');
        if (cut == std::string_view::npos) cut = relative.size();
      }
      const std::string piece(relative.substr(0, cut));
      relative.remove_prefix(std::min(relative.size(), cut + 1));
      fd = OpenBeneath(at, piece.c_str());
      if (at != from.fd) close(at);
      at = from.fd;
      if (fd < 0) {
        if (errno == ENOSYS && noOpenat2.load(std::memory_order_relaxed)) break;
        return -1;
      }
      at = fd;
    }
    if (!noOpenat2.load(std::memory_order_relaxed)) return fd;
    if (fd >= 0) close(fd);
  }
  int at = from.fd;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = relative.find('/', start);
    const std::size_t end = slash == std::string_view::npos ? relative.size() : slash;
    const int fd = OpenLevel(at, std::string(relative.substr(start, end - start)), from.device);
    if (at != from.fd) close(at);
    if (fd < 0 || end == relative.size()) return fd;
    at = fd;
    start = end + 1;
  }
}

class PosixListing final : public DirEnumerator::Listing {
 public:
  explicit PosixListing(std::shared_ptr<const DirEnumPosix::Folder> folder)
      : folder_(std::move(folder)), buffer_(new char[kBuffer]) {}

  bool Next(DirEntry& out) override {
    const int fd = folder_->fd;
    for (;;) {
      if (at_ == filled_) {
        const long n = syscall(SYS_getdents64, fd, buffer_.get(), kBuffer);
        if (n <= 0) return false;
        filled_ = static_cast<std::size_t>(n);
        at_ = 0;
      }
      // The kernel's record: inode, offset, length, type, name.
      const char* record = buffer_.get() + at_;
      unsigned short length;
      std::memcpy(&length, record + offsetof(dirent64, d_reclen), sizeof length);
      at_ += length;
      unsigned char type = static_cast<unsigned char>(record[offsetof(dirent64, d_type)]);
      const char* name = record + offsetof(dirent64, d_name);
      out = DirEntry{};
      out.name = name;
      if (type == DT_DIR) {
        out.directory = true;
        return true;
      }
      // Sizes need a stat per file, relative to the open folder so that no
      // path is resolved again; folders need none (see Open for mount points).
      struct stat st;
      if (type != DT_LNK) {
        // An entry removed since the listing was read is skipped.
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
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
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
          out.modified = st.st_mtim.tv_sec;
          out.modifiedFraction = static_cast<std::uint32_t>(st.st_mtim.tv_nsec);
          out.fileId = st.st_ino;
        }
        out.directory = fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        return true;
      }
      out.size = static_cast<std::uint64_t>(st.st_size);
      out.modified = st.st_mtim.tv_sec;
      out.modifiedFraction = static_cast<std::uint32_t>(st.st_mtim.tv_nsec);
      out.fileId = st.st_ino;
      out.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
      return true;
    }
  }

 private:
  static constexpr std::size_t kBuffer = 32 * 1024;
  std::shared_ptr<const DirEnumPosix::Folder> folder_;
  std::unique_ptr<char[]> buffer_;
  std::size_t at_ = 0;
  std::size_t filled_ = 0;
};

// "a/b/c/" gives "a/b/" and "c"; "c/" gives "" and "c".
void SplitLast(const std::string& folder, std::string_view& parent, std::string_view& name) {
  std::size_t end = folder.size();
  while (end > 0 && folder[end - 1] == '/') --end;
  const std::size_t slash = end == 0 ? std::string::npos : folder.rfind('/', end - 1);
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  parent = std::string_view(folder).substr(0, start);
  name = std::string_view(folder).substr(start, end - start);
}

}  // namespace

DirEnumPosix::Folder::~Folder() { close(fd); }

DirEnumPosix::DirEnumPosix() : recent_(kRecentFolders), recentLength_(kRecentFolders, 0) {}

// Compares from the end, where paths of one tree differ.
std::shared_ptr<const DirEnumPosix::Folder> DirEnumPosix::FindOpen(std::string_view path) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < recent_.size(); ++i) {
    if (recentLength_[i] != path.size()) continue;
    auto folder = recent_[i].lock();
    if (folder && std::equal(path.rbegin(), path.rend(), folder->path.rbegin())) return folder;
  }
  return nullptr;
}

void DirEnumPosix::Remember(const std::shared_ptr<const Folder>& folder) {
  std::lock_guard lock(mutex_);
  recent_[nextRecent_] = folder;
  recentLength_[nextRecent_] = folder->path.size();
  nextRecent_ = (nextRecent_ + 1) % recent_.size();
}

std::unique_ptr<DirEnumerator::Listing> DirEnumPosix::Open(const std::string& folder) {
  std::shared_ptr<const Folder> root;
  {
    std::lock_guard lock(mutex_);
    root = root_;
  }
  int fd = -1;
  dev_t device = 0;
  const bool beneath = root && (root->path.empty() || root->path.back() == '/') &&
                       folder.size() > root->path.size() &&
                       folder.compare(0, root->path.size(), root->path) == 0;
  if (beneath) {
    std::string_view parentPath, name;
    SplitLast(folder, parentPath, name);
    if (name.empty() || name == "." || name == "..") return nullptr;
    if (auto parent = FindOpen(parentPath)) {
      fd = noOpenat2.load(std::memory_order_relaxed)
               ? -1
               : OpenBeneath(parent->fd, std::string(name).c_str());
      if (fd < 0 && errno == ENOSYS) fd = OpenLevel(parent->fd, std::string(name), parent->device);
    } else {
      std::string_view relative = std::string_view(folder).substr(root->path.size());
      while (!relative.empty() && relative.back() == '/') relative.remove_suffix(1);
      while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
      fd = OpenPath(*root, relative);
    }
    if (fd < 0) return nullptr;
    device = root->device;
  } else {
    // A new root, opened by its path.
    fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0) {
      close(fd);
      return nullptr;
    }
    device = st.st_dev;
  }
  std::shared_ptr<const Folder> opened;
  try {
    opened = std::make_shared<const Folder>(folder, fd, device);
  } catch (...) {
    close(fd);
    throw;
  }
  if (!beneath) {
    std::lock_guard lock(mutex_);
    root_ = opened;
    std::fill(recent_.begin(), recent_.end(), std::weak_ptr<const Folder>());
  }
  Remember(opened);
  return std::make_unique<PosixListing>(std::move(opened));
}

}  // namespace platform
