// Device texts without a code page of their own, on a system without one:
// printable ASCII as it is, anything else read as Latin-1.
#include <gtest/gtest.h>

#include "platform/AnsiText.h"
#include "platform/Utf8.h"

namespace {

TEST(AnsiBytesToUtf8, PrintableAsciiStaysAsItIs) {
  EXPECT_EQ("", platform::AnsiBytesToUtf8(""));
  EXPECT_EQ("WDC WD10EZEX-08WN4A0 ~", platform::AnsiBytesToUtf8("WDC WD10EZEX-08WN4A0 ~"));
  EXPECT_TRUE(platform::IsPrintableAscii(" ~"));
  EXPECT_FALSE(platform::IsPrintableAscii("\x7F"));
  EXPECT_FALSE(platform::IsPrintableAscii("\t"));
  EXPECT_FALSE(platform::IsPrintableAscii("\xC4"));
}

TEST(AnsiBytesToUtf8, OtherBytesAreCharactersNeverBrokenSequences) {
  // GBK's "你好" and a lone lead byte read byte by byte: valid UTF-8 always.
  const std::string out = platform::AnsiBytesToUtf8("\xC4\xE3\xBA\xC3-\x81");
  EXPECT_EQ("\xC3\x84\xC3\xA3\xC2\xBA\xC3\x83-\xC2\x81", out);
  EXPECT_EQ(out, platform::ValidUtf8(out));
  EXPECT_EQ("\xC3\xBF", platform::AnsiBytesToUtf8("\xFF"));
}

}  // namespace
