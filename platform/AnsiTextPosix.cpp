// Without a system code page the bytes read as Latin-1: each byte is the
// code point of its own value.
#include "platform/AnsiText.h"

namespace platform {

std::string AnsiBytesToUtf8(std::string_view bytes) {
  if (IsPrintableAscii(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

}  // namespace platform
