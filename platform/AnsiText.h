// Text that arrives as bytes with no declared encoding (the strings drive
// firmware and storage drivers return), as UTF-8 for display. Printable
// ASCII stays as it is; a text with any other byte is read in the system's
// ANSI code page on Windows (as Latin-1 elsewhere), leniently: a byte that
// is no character there becomes the code page's default character, never a
// broken sequence.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string AnsiBytesToUtf8(std::string_view bytes);

// True when every byte is printable ASCII (0x20 to 0x7E).
bool IsPrintableAscii(std::string_view bytes);

}  // namespace platform
