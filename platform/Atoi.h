// The C library's atoi on stored bytes, which are not always terminated:
// stops at the first NUL or the end, skips leading white space, takes an
// optional sign, then decimal digits up to the first other character ("01"
// and "1abc" give 1, "" and "abc" give 0). Values past the 32-bit range are
// held at its ends rather than wrapping (atoi leaves them undefined; 2^32+1
// must not read as 1).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

std::int32_t Atoi(std::string_view text);

inline std::int32_t Atoi(std::span<const std::uint8_t> bytes) {
  return Atoi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace platform
