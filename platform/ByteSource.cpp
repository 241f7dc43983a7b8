#include "platform/ByteSource.h"

#include <cstring>
#include <new>

namespace platform {

PageBuffer::PageBuffer(std::size_t size)
    : data_(static_cast<std::uint8_t*>(::operator new(size, std::align_val_t{kPageBytes}))),
      size_(size) {}

void PageBuffer::Free::operator()(std::uint8_t* bytes) const {
  ::operator delete(bytes, std::align_val_t{kPageBytes});
}

bool PagedSource::ReadAt(std::uint64_t offset, void* out, std::size_t size) {
  const bool alignedMemory = reinterpret_cast<std::uintptr_t>(out) % kPageBytes == 0;
  if (offset % kPageBytes == 0 && size % kPageBytes == 0 && alignedMemory) {
    if (device_->ReadPages(offset, out, size) != size) return false;
    straight_ += size;
    return true;
  }
  const std::uint64_t start = offset / kPageBytes * kPageBytes;
  const std::uint64_t end = (offset + size + kPageBytes - 1) / kPageBytes * kPageBytes;
  if (end < offset) return false;  // past the last page an offset can name
  const auto span = static_cast<std::size_t>(end - start);
  if (buffer_.size() < span) buffer_ = PageBuffer(span);
  if (device_->ReadPages(start, buffer_.data(), span) < offset - start + size) return false;
  std::memcpy(out, buffer_.data() + (offset - start), size);
  return true;
}

}  // namespace platform
