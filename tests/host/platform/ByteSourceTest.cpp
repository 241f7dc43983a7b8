// Reads of a device that takes only whole pages into page-aligned memory,
// at any offset, length and memory the caller has.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ByteSource.h"
#include "tests/host/platform/StrictPageDevice.h"

namespace {

using platform::kPageBytes;

TEST(PagedSource, AnyRequestReadsRightFromADeviceThatTakesOnlyPages) {
  std::vector<std::uint8_t> bytes(5 * kPageBytes + 100);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 % 251);
  int refused = 0;
  platform::PagedSource source(
      std::make_unique<platform_test::StrictPageDevice>(bytes.data(), bytes.size(), refused));
  const platform::PageBuffer memory(3 * kPageBytes + 1);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory.data()) % kPageBytes, 0u);

  std::uint64_t straight = 0;
  for (std::uint64_t offset : {0ul, 1ul, 511ul, 4095ul, 4096ul, 8191ul, 5 * kPageBytes}) {
    for (std::size_t size : {1ul, 512ul, 4095ul, 4096ul, 4097ul, 2 * kPageBytes}) {
      for (std::size_t shift : {0ul, 1ul}) {
        SCOPED_TRACE(testing::Message() << offset << " " << size << " " << shift);
        std::uint8_t* into = memory.data() + shift;
        const bool fits = offset + size <= bytes.size();
        ASSERT_EQ(source.ReadAt(offset, into, size), fits);
        if (!fits) continue;
        EXPECT_EQ(std::vector<std::uint8_t>(into, into + size),
                  std::vector<std::uint8_t>(bytes.begin() + offset, bytes.begin() + offset + size));
        if (offset % kPageBytes == 0 && size % kPageBytes == 0 && shift == 0) straight += size;
      }
    }
  }
  EXPECT_EQ(refused, 0);
  // What the device takes as it is goes straight into the caller's memory.
  EXPECT_EQ(source.StraightBytes(), straight);
  EXPECT_GT(straight, 0u);
}

}  // namespace
