// UTF-8 to UTF-16 and back through the system's converters.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextWin.h"

namespace {

using platform::Narrow;
using platform::NarrowInto;
using platform::Widen;

struct Pair {
  std::string utf8;
  std::wstring utf16;
};

TEST(TextWin, ConvertsBothWaysExactly) {
  const Pair pairs[] = {
      {"", L""},
      {"C:\\Temp\\a.txt", L"C:\\Temp\\a.txt"},
      {"硬盘", L"硬盘"},
      {"x\xF0\x9F\x98\x80y", L"x\xD83D\xDE00y"},  // U+1F600: a surrogate pair
  };
  for (const Pair& p : pairs) {
    EXPECT_EQ(Widen(p.utf8), p.utf16) << p.utf8;
    EXPECT_EQ(Narrow(p.utf16), p.utf8) << p.utf8;
  }
}

TEST(TextWin, TakesTheGivenLengthNotTheTerminator) {
  // A view into a longer text stops where the view stops; a NUL inside it
  // is converted, not taken as the end.
  const std::string text("ab\0cd", 5);
  EXPECT_EQ(Widen(std::string_view(text).substr(0, 1)), L"a");
  EXPECT_EQ(Widen(text), std::wstring(L"ab\0cd", 5));
  EXPECT_EQ(Narrow(std::wstring(L"ab\0cd", 5)), text);
}

TEST(TextWin, NarrowIntoReplacesThePreviousText) {
  std::string out = "a much longer earlier name";
  NarrowInto(L"硬", out);
  EXPECT_EQ(out, "硬");
  NarrowInto(L"", out);
  EXPECT_EQ(out, "");
}

}  // namespace
