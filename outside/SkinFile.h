// The skin file of the AppFace stand-in: "key = value" lines, colours as
// #RRGGBB, ';' comments. Portable: text in, entries out.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace outside {

struct SkinFile {
  std::string name;
  // Colours by key, as 0x00BBGGRR (the Windows COLORREF layout).
  std::map<std::string, std::uint32_t> colours;
};

// Parses the text of a skin file. Empty when no line gives a name or a
// colour, so a file that is not a skin file never turns skinning on.
std::optional<SkinFile> ParseSkinFile(std::string_view text);

}  // namespace outside
