// Little-endian fields of the records drivers and drives fill.
#pragma once

#include <cstdint>

namespace parvane {

inline std::uint16_t GetU16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t GetU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

inline std::uint64_t GetU64(const std::uint8_t* at) {
  return static_cast<std::uint64_t>(GetU32(at)) | (static_cast<std::uint64_t>(GetU32(at + 4)) << 32);
}

inline void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace parvane
