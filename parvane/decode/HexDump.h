// Recorded blocks as the tests and the command-line tool keep them: lines of
// whitespace-separated two-digit hex bytes (no addresses), or the raw bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace parvane {

// The value of one hex digit, or -1.
int HexDigit(char c);

// Exactly out.size() two-digit hex bytes into `out`; false (and `out` left
// partly written) when the input holds anything else or another count.
bool ParseHexBytes(std::string_view input, std::span<std::uint8_t> out);

// The hex form, or else the raw bytes when the input is exactly out.size()
// long; false when it is neither.
bool ParseByteDump(std::string_view input, std::span<std::uint8_t> out);

}  // namespace parvane
