// The skin file parser over any bytes: a skin only from well-formed text (no
// NUL, at most 64 KiB), every colour a COLORREF, the name within its bound;
// and a skin written back out in the canonical form reads as the same skin.
#include <cstdio>
#include <string>

#include "fuzz/FuzzInput.h"
#include "outside/SkinFile.h"

namespace {

// The keys in role order, as the format documents them.
constexpr const char* kKeys[outside::kRoleCount] = {
    "face",           "text",           "caption",           "captionText",
    "highlight",      "border",         "window",            "windowText",
    "captionEnd",     "inactiveCaption", "inactiveCaptionEnd", "inactiveCaptionText",
    "inactiveBorder", "highlightText",  "menu",              "menuText",
    "grayText",       "edgeLight",      "edgeSoft",          "edgeShadow",
    "edgeDark"};

std::string Canonical(const outside::SkinFile& skin) {
  std::string out;
  if (!skin.name.empty()) out += "name = " + skin.name + "\n";
  for (std::size_t i = 0; i < outside::kRoleCount; ++i) {
    const outside::Colour c = skin.colours[i];
    char line[64];
    std::snprintf(line, sizeof line, "%s = #%02X%02X%02X\n", kKeys[i], c & 0xFF, (c >> 8) & 0xFF,
                  (c >> 16) & 0xFF);
    out += line;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy: a read past the text is a read past the buffer.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto skin = outside::ParseSkinFile(text);
  if (!skin) return 0;
  FUZZ_CHECK(size <= outside::kMaxSkinFileBytes);
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  FUZZ_CHECK(skin->name.size() <= 64);
  for (outside::Colour c : skin->colours) FUZZ_CHECK(c <= 0xFFFFFF);

  // The name may be anything the line held; only a name that survives the
  // round trip (no line breaks, no padding) is written back.
  outside::SkinFile plain = *skin;
  if (!plain.name.empty() && (plain.name.find_first_of("\r\n") != std::string::npos ||
                              plain.name.front() == ' ' || plain.name.back() == ' ')) {
    plain.name.clear();
  }
  const auto again = outside::ParseSkinFile(Canonical(plain));
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->colours == skin->colours);

  // Blends stay between their ends, channel by channel.
  const outside::Colour a = skin->colours[0], b = skin->colours[1];
  for (int percent : {0, 37, 100}) {
    const outside::Colour m = outside::Blend(a, b, percent);
    for (int shift : {0, 8, 16}) {
      const unsigned ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF, cm = (m >> shift) & 0xFF;
      FUZZ_CHECK(cm >= (ca < cb ? ca : cb) && cm <= (ca < cb ? cb : ca));
    }
  }
  return 0;
}
