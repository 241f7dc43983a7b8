#include <fcntl.h>
#include <unistd.h>

#include "platform/ByteSource.h"

namespace platform {
namespace {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  ~FileSource() override { close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override {
    auto* at = static_cast<char*>(out);
    while (size > 0) {
      const ssize_t n = pread(fd_, at, size, static_cast<off_t>(offset));
      if (n <= 0) return false;
      at += n;
      offset += static_cast<std::uint64_t>(n);
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<FileSource>(fd);
}

std::string VolumeDeviceOf(const std::string&) { return {}; }

std::unique_ptr<ByteSource> OpenNtfsVolume(const std::string&) { return nullptr; }

}  // namespace platform
