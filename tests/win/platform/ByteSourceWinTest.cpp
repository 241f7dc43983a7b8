// Reading a file at byte offsets, as the table engine reads a volume: the
// aligned requests into page-aligned memory go straight in, the others
// through an aligned span; either way the bytes are the file's, and a
// request reaching past its end fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/ByteSource.h"
#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"
#include "tests/win/diskview/WinTempTree.h"

namespace {

constexpr std::size_t kFileBytes = 3 * 4096 + 1000;

std::uint8_t ByteAt(std::uint64_t i) { return static_cast<std::uint8_t>(i * 7 + i / 251); }

class ByteSourceWin : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> bytes(kFileBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = ByteAt(i);
    path_ = tree_.Full(L"image.bin");
    platform::UniqueFile file(
        CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(file.ok());
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr));
    ASSERT_EQ(wrote, bytes.size());
  }

  // The bytes ReadAt gives, or an empty vector when it fails.
  std::vector<std::uint8_t> Read(platform::ByteSource& source, std::uint64_t offset, std::size_t size) {
    std::vector<std::uint8_t> out(size, 0xEE);
    if (!source.ReadAt(offset, out.data(), size)) return {};
    return out;
  }
  static std::vector<std::uint8_t> Expected(std::uint64_t offset, std::size_t size) {
    std::vector<std::uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = ByteAt(offset + i);
    return out;
  }

  diskview::test::WinTempTree tree_;
  std::wstring path_;
};

TEST_F(ByteSourceWin, GivesTheFilesBytesAtAnyOffsetAndLength) {
  auto source = platform::OpenByteSource(platform::Narrow(path_));
  ASSERT_TRUE(source);
  struct Case {
    std::uint64_t offset;
    std::size_t size;
  };
  // Aligned (read in place), inside one block, across blocks, up to the end.
  for (const Case c : {Case{0, 8192}, Case{4096, 4096}, Case{0, 3 * 4096}, Case{1, 10},
                       Case{4090, 20}, Case{100, 3 * 4096}, Case{kFileBytes - 5, 5},
                       Case{3 * 4096, 1000}, Case{0, kFileBytes}}) {
    SCOPED_TRACE(testing::Message() << "offset " << c.offset << " size " << c.size);
    EXPECT_EQ(Read(*source, c.offset, c.size), Expected(c.offset, c.size));
  }
}

TEST_F(ByteSourceWin, ARequestPastTheEndFailsAlignedOrNot) {
  auto source = platform::OpenByteSource(platform::Narrow(path_));
  ASSERT_TRUE(source);
  EXPECT_TRUE(Read(*source, 3 * 4096, 4096).empty());  // aligned, 1000 bytes there
  EXPECT_TRUE(Read(*source, kFileBytes - 5, 6).empty());
  EXPECT_TRUE(Read(*source, 1u << 20, 4096).empty());
  EXPECT_TRUE(Read(*source, ~std::uint64_t{0} - 10, 20).empty());  // the span's end wraps
  // A failed request leaves the source usable.
  EXPECT_EQ(Read(*source, 4090, 20), Expected(4090, 20));
}

TEST(ByteSourceWinOpen, ANamedVolumeIsADriveRootsDevice) {
  EXPECT_EQ(platform::VolumeDeviceOf("D:\\"), "\\\\.\\D:");
  EXPECT_EQ(platform::VolumeDeviceOf("d:"), "\\\\.\\d:");
  EXPECT_EQ(platform::VolumeDeviceOf("D:\\folder\\"), "");
  EXPECT_EQ(platform::VolumeDeviceOf("\\\\server\\share\\"), "");
  EXPECT_FALSE(platform::OpenByteSource("C:\\no\\such\\image.bin"));
}

}  // namespace
