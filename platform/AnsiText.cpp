#include "platform/AnsiText.h"

namespace platform {

bool IsPrintableAscii(std::string_view bytes) {
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b > 0x7E) return false;
  }
  return true;
}

}  // namespace platform
