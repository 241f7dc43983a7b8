// UTF-8 as the system hands text back: always well formed.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The bytes with every one that starts no well-formed UTF-8 sequence (a
// stray continuation, an overlong form, a surrogate, a value past U+10FFFF,
// a cut-off sequence) replaced by U+FFFD.
std::string ValidUtf8(std::string_view bytes);

}  // namespace platform
