// UTF-8 (portable text) to and from UTF-16 (what the W functions take), for
// the Windows side only. Invalid input becomes U+FFFD, as the system converts
// it; nothing throws.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// Narrow into `out`, reusing its buffer: for loops that convert one name
// after another without an allocation each.
void NarrowInto(std::wstring_view wide, std::string& out);

}  // namespace platform
