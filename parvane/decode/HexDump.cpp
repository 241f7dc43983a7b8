#include "parvane/decode/HexDump.h"

#include <cctype>
#include <cstring>

namespace parvane {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBytes(std::string_view input, std::span<std::uint8_t> out) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < input.size()) {
    if (std::isspace(static_cast<unsigned char>(input[i]))) {
      ++i;
      continue;
    }
    if (i + 1 >= input.size() || count == out.size()) return false;
    const int hi = HexDigit(input[i]), lo = HexDigit(input[i + 1]);
    if (hi < 0 || lo < 0) return false;
    i += 2;
    if (i < input.size() && !std::isspace(static_cast<unsigned char>(input[i]))) return false;
    out[count++] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return count == out.size();
}

bool ParseByteDump(std::string_view input, std::span<std::uint8_t> out) {
  if (ParseHexBytes(input, out)) return true;
  if (input.size() != out.size()) return false;
  if (!out.empty()) std::memcpy(out.data(), input.data(), out.size());
  return true;
}

}  // namespace parvane
