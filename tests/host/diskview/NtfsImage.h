// Real NTFS volumes for the master-file-table tests: an image made by
// mkntfs, filled through an ntfs-3g (FUSE) mount, then mounted read-only so
// the folder walk and the table reader see the same volume. Needs root and
// /dev/fuse; without them the tests fail and say why.
#pragma once

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/ntfs/MftVolume.h"
#include "platform/DirEnumPosix.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview::test {

inline bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

class NtfsImage {
 public:
  // A fresh volume of `megabytes` in its own scratch folder.
  NtfsImage(const std::string& name, int megabytes) : NtfsImage(name) {
    image_ = (dir_ / "volume.img").string();
    made_ = Shell("truncate -s " + std::to_string(megabytes) + "M '" + image_ + "'") &&
            Shell("mkntfs -F -Q -q -L Dravon '" + image_ + "'");
  }
  // `count` sectors from sector `first` of an image file (a partition).
  NtfsImage(const std::string& name, const std::string& disk, long first, long count) : NtfsImage(name) {
    image_ = (dir_ / "volume.img").string();
    made_ = Shell("dd if='" + disk + "' of='" + image_ + "' bs=512 skip=" + std::to_string(first) +
                " count=" + std::to_string(count) + " status=none");
  }
  NtfsImage(const NtfsImage&) = delete;
  NtfsImage& operator=(const NtfsImage&) = delete;
  ~NtfsImage() {
    Unmount();
    std::filesystem::remove_all(dir_);
  }

  const std::filesystem::path& Scratch() const { return dir_; }
  bool Made() const { return made_; }
  // Mounts the volume (read-write, compression allowed, or read-only).
  // Fails the test when FUSE is missing: these cases must not pass unseen.
  ::testing::AssertionResult Mount(bool writable) {
    if (access("/dev/fuse", R_OK | W_OK) != 0)
      return ::testing::AssertionFailure() << "FUSE is not available here (/dev/fuse, root): cannot mount " << image_;
    const std::string options = writable ? "compression,streams_interface=none" : "ro";
    if (!Shell("ntfs-3g -o " + options + " '" + image_ + "' '" + mount_ + "'"))
      return ::testing::AssertionFailure() << "ntfs-3g could not mount " << image_;
    mounted_ = true;
    return ::testing::AssertionSuccess();
  }
  void Unmount() {
    if (mounted_) Shell("fusermount -u '" + mount_ + "' || umount '" + mount_ + "'");
    mounted_ = false;
  }
  const std::string& Image() const { return image_; }
  const std::string& MountPoint() const { return mount_; }
  std::string operator/(const std::string& relative) const { return mount_ + "/" + relative; }

 private:
  explicit NtfsImage(const std::string& name) {
    dir_ = std::filesystem::temp_directory_path() / ("dravon-ntfs-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "mnt");
    mount_ = (dir_ / "mnt").string();
  }

  std::filesystem::path dir_;
  std::string image_;
  std::string mount_;
  bool made_ = false;
  bool mounted_ = false;
};

inline void WriteFile(const std::string& path, std::size_t bytes, char fill = 'x') {
  std::ofstream out(path, std::ios::binary);
  out << std::string(bytes, fill);
}

// NTFS reparse data (symbolic link or mount point) as ntfs-3g takes it.
inline std::vector<std::uint8_t> ReparseData(std::uint32_t tag, const std::u16string& target, bool relative) {
  std::vector<std::uint8_t> data;
  auto u16 = [&](std::uint16_t v) { data.push_back(v & 0xFF); data.push_back(v >> 8); };
  u16(tag & 0xFFFF); u16(tag >> 16);
  u16(0); u16(0);  // the length of what follows, set below
  const auto bytes = static_cast<std::uint16_t>(target.size() * 2);
  u16(0); u16(bytes); u16(bytes + 2); u16(bytes);
  if (tag == 0xA000000C) { u16(relative ? 1 : 0); u16(0); }
  for (int copy = 0; copy < 2; ++copy) {
    for (char16_t c : target) u16(c);
    u16(0);
  }
  const std::size_t body = data.size() - 8;
  data[4] = body & 0xFF;
  data[5] = static_cast<std::uint8_t>(body >> 8);
  return data;
}
inline bool SetReparse(const std::string& path, std::uint32_t tag, const std::u16string& target, bool relative) {
  const auto data = ReparseData(tag, target, relative);
  return setxattr(path.c_str(), "system.ntfs_reparse_data", data.data(), data.size(), 0) == 0;
}

// The walk of an ntfs-3g mount as Windows lists the same folders. ntfs-3g
// shows a reparse point it cannot resolve as an unreadable link; its NTFS
// attributes say what it is: a folder or a file, a name surrogate or not.
class WindowsViewDirs final : public platform::DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string& folder) override {
    auto inner = posix_.Open(folder);
    if (!inner) return nullptr;
    return std::make_unique<View>(std::move(inner), folder);
  }
  char Separator() const override { return '/'; }

 private:
  class View final : public Listing {
   public:
    View(std::unique_ptr<Listing> inner, std::string folder) : inner_(std::move(inner)), folder_(std::move(folder)) {}
    bool Next(platform::DirEntry& out) override {
      if (!inner_->Next(out)) return false;
      const std::string path = folder_ + std::string(out.name);
      std::uint32_t attributes = 0;
      if (lgetxattr(path.c_str(), "system.ntfs_attrib", &attributes, sizeof attributes) == sizeof attributes &&
          (attributes & 0x400)) {
        std::uint8_t tag[4] = {};
        const bool read = lgetxattr(path.c_str(), "system.ntfs_reparse_data", tag, sizeof tag) >= 4 ||
                          errno == ERANGE;
        out.directory = (attributes & 0x10) != 0;
        out.reparse = true;
        out.nameSurrogate = read && (tag[3] & 0x20);
        out.size = 0;  // the links made here hold no data
      }
      return true;
    }

   private:
    std::unique_ptr<Listing> inner_;
    std::string folder_;
  };
  platform::DirEnumPosix posix_;
};

}  // namespace diskview::test
