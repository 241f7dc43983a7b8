// Stored numbers read the way the C library's atoi reads them.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Atoi.h"

namespace platform {
namespace {

TEST(Atoi, ReadsLeadingDigitsAfterBlanksAndASign) {
  EXPECT_EQ(Atoi("1"), 1);
  EXPECT_EQ(Atoi("01"), 1);
  EXPECT_EQ(Atoi("1abc"), 1);
  EXPECT_EQ(Atoi("  \t1"), 1);
  EXPECT_EQ(Atoi("+1"), 1);
  EXPECT_EQ(Atoi(" \t+1junk"), 1);
  EXPECT_EQ(Atoi("-7"), -7);
  EXPECT_EQ(Atoi("0"), 0);
  EXPECT_EQ(Atoi("11"), 11);
  EXPECT_EQ(Atoi(""), 0);
  EXPECT_EQ(Atoi("abc1"), 0);
  EXPECT_EQ(Atoi(" x"), 0);
  EXPECT_EQ(Atoi("- 1"), 0);
}

TEST(Atoi, StopsAtTheFirstNulOfStoredBytes) {
  const std::vector<std::uint8_t> bytes{'1', 0, '9'};
  EXPECT_EQ(Atoi(bytes), 1);
  // A DWORD 1 is the byte 1, not the digit.
  EXPECT_EQ(Atoi(std::vector<std::uint8_t>{1, 0, 0, 0}), 0);
  EXPECT_EQ(Atoi(std::vector<std::uint8_t>{}), 0);
}

TEST(Atoi, HugeNumbersStayInRangeInsteadOfWrapping) {
  EXPECT_EQ(Atoi("99999999999999999999"), 2147483647);
  EXPECT_EQ(Atoi(std::vector<std::uint8_t>(40, '9')), 2147483647);
  EXPECT_EQ(Atoi("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(Atoi("2147483647"), 2147483647);
  EXPECT_EQ(Atoi("-2147483648"), -2147483647 - 1);
  // 2^32 + 1 would wrap to 1 (and wrongly apply the skin).
  EXPECT_NE(Atoi("4294967297"), 1);
}

}  // namespace
}  // namespace platform
