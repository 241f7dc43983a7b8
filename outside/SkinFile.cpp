#include "outside/SkinFile.h"

namespace outside {
namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<std::uint32_t> ParseColour(std::string_view v) {
  if (v.size() != 7 || v[0] != '#') return std::nullopt;
  std::uint32_t rgb = 0;
  for (char c : v.substr(1)) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
  }
  // #RRGGBB to 0x00BBGGRR.
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

}  // namespace

std::optional<SkinFile> ParseSkinFile(std::string_view text) {
  SkinFile skin;
  while (!text.empty()) {
    const auto end = text.find('\n');
    auto line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == ';') continue;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const auto key = Trim(line.substr(0, eq));
    const auto value = Trim(line.substr(eq + 1));
    if (key.empty()) continue;
    if (key == "name") {
      skin.name = std::string(value);
    } else if (auto colour = ParseColour(value)) {
      skin.colours[std::string(key)] = *colour;
    }
  }
  if (skin.name.empty() && skin.colours.empty()) return std::nullopt;
  return skin;
}

}  // namespace outside
