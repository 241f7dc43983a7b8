// A device over memory that, as some devices read without the system's
// cache do, refuses every read whose offset, length or memory is not
// page-aligned, and counts what it refused.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ByteSource.h"

namespace platform_test {

class StrictPageDevice final : public platform::PageDevice {
 public:
  StrictPageDevice(const std::uint8_t* bytes, std::size_t size, int& refused)
      : bytes_(bytes), size_(size), refused_(refused) {}
  std::size_t ReadPages(std::uint64_t offset, void* into, std::size_t size) override {
    constexpr std::size_t kPage = platform::kPageBytes;
    if (offset % kPage != 0 || size % kPage != 0 ||
        reinterpret_cast<std::uintptr_t>(into) % kPage != 0) {
      ++refused_;
      return 0;
    }
    if (offset >= size_) return 0;
    const std::size_t got = std::min<std::size_t>(size, size_ - offset);
    std::memcpy(into, bytes_ + offset, got);
    return got;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  int& refused_;
};

}  // namespace platform_test
