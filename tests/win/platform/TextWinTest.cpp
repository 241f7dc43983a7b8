// UTF-8 to UTF-16 and back through the system's converters.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "platform/AnsiText.h"
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

// Device texts: printable ASCII as it is, anything else in the system's
// ANSI code page, the whole text at once (a double-byte character's trail
// byte may be an ASCII letter), and never as broken UTF-16.
TEST(AnsiBytesToUtf8, ReadsTheSystemCodePage) {
  EXPECT_EQ("ST500DM002-1BD142", platform::AnsiBytesToUtf8("ST500DM002-1BD142"));
  const std::string bytes = "\xC4\xE3\xBA\xC3 \x81\x40 X\x81";
  wchar_t wide[32] = {};
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 32);
  ASSERT_GT(n, 0);
  const std::string out = platform::AnsiBytesToUtf8(bytes);
  EXPECT_EQ(Narrow(std::wstring(wide, static_cast<std::size_t>(n))), out);
  for (wchar_t c : Widen(out)) EXPECT_NE(0xFFFD, c) << "code page " << GetACP();
  if (GetACP() == 936) {
    EXPECT_EQ(0u, out.find("你好 "));
  }
}
