#include "outside/SkinFile.h"

#include <bitset>

namespace outside {
namespace {

constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kBlack = 0x00000000;
constexpr std::size_t kMaxNameBytes = 64;

struct Key {
  std::string_view name;
  Role role;
  bool required;
};

// One row per colour key, in the order of Role.
constexpr Key kKeys[] = {
    {"face", Role::Face, true},
    {"text", Role::Text, true},
    {"caption", Role::Caption, true},
    {"captionText", Role::CaptionText, true},
    {"highlight", Role::Highlight, true},
    {"border", Role::Border, true},
    {"window", Role::Window, false},
    {"windowText", Role::WindowText, false},
    {"captionEnd", Role::CaptionEnd, false},
    {"inactiveCaption", Role::InactiveCaption, false},
    {"inactiveCaptionEnd", Role::InactiveCaptionEnd, false},
    {"inactiveCaptionText", Role::InactiveCaptionText, false},
    {"inactiveBorder", Role::InactiveBorder, false},
    {"highlightText", Role::HighlightText, false},
    {"menu", Role::Menu, false},
    {"menuText", Role::MenuText, false},
    {"grayText", Role::GrayText, false},
    {"edgeLight", Role::EdgeLight, false},
    {"edgeSoft", Role::EdgeSoft, false},
    {"edgeShadow", Role::EdgeShadow, false},
    {"edgeDark", Role::EdgeDark, false},
};
static_assert(std::size(kKeys) == kRoleCount);

constexpr std::size_t Index(Role r) { return static_cast<std::size_t>(r); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<Colour> ParseColour(std::string_view v) {
  if (v.size() != 7 || v[0] != '#') return std::nullopt;
  Colour rgb = 0;
  for (char c : v.substr(1)) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    rgb = rgb << 4 | static_cast<Colour>(digit);
  }
  // #RRGGBB to 0x00BBGGRR.
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

int Luminance(Colour c) {
  const int r = static_cast<int>(c & 0xFF), g = static_cast<int>(c >> 8 & 0xFF),
            b = static_cast<int>(c >> 16 & 0xFF);
  return (r * 299 + g * 587 + b * 114) / 1000;
}

// The colour of a role the file left out, from roles before it.
Colour Derive(Role role, const std::array<Colour, kRoleCount>& c) {
  const auto at = [&c](Role r) { return c[Index(r)]; };
  switch (role) {
    case Role::Window: return Blend(at(Role::Face), kWhite, 75);
    case Role::WindowText: return at(Role::Text);
    case Role::CaptionEnd: return Blend(at(Role::Caption), kWhite, 45);
    case Role::InactiveCaption: return Blend(at(Role::Caption), at(Role::Face), 60);
    case Role::InactiveCaptionEnd: return Blend(at(Role::InactiveCaption), kWhite, 45);
    case Role::InactiveCaptionText: return Blend(at(Role::CaptionText), at(Role::InactiveCaption), 30);
    case Role::InactiveBorder: return Blend(at(Role::Border), at(Role::Face), 50);
    case Role::HighlightText: return Luminance(at(Role::Highlight)) < 150 ? kWhite : kBlack;
    case Role::Menu: return Blend(at(Role::Face), kWhite, 55);
    case Role::MenuText: return at(Role::Text);
    case Role::GrayText: return Blend(at(Role::Text), at(Role::Face), 55);
    case Role::EdgeLight: return Blend(at(Role::Face), kWhite, 80);
    case Role::EdgeSoft: return Blend(at(Role::Face), kWhite, 40);
    case Role::EdgeShadow: return Blend(at(Role::Face), at(Role::Border), 45);
    case Role::EdgeDark: return Blend(at(Role::Face), at(Role::Border), 80);
    default: return at(role);  // required roles are always given
  }
}

const Key* FindKey(std::string_view name) {
  for (const Key& k : kKeys) {
    if (SameKey(k.name, name)) return &k;
  }
  return nullptr;
}

}  // namespace

Colour Blend(Colour from, Colour to, int percent) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  Colour out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>(from >> shift & 0xFF);
    const int b = static_cast<int>(to >> shift & 0xFF);
    const int mixed = a + ((b - a) * percent + (b >= a ? 50 : -50)) / 100;
    out |= static_cast<Colour>(mixed) << shift;
  }
  return out;
}

std::optional<SkinFile> ParseSkinFile(std::string_view text) {
  if (text.size() > kMaxSkinFileBytes) return std::nullopt;
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  SkinFile skin;
  std::bitset<kRoleCount> given;
  bool named = false;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const auto line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const auto key = Trim(line.substr(0, eq));
    const auto value = Trim(line.substr(eq + 1));
    if (key.empty()) return std::nullopt;
    if (SameKey(key, "name")) {
      if (named || value.size() > kMaxNameBytes) return std::nullopt;
      skin.name = std::string(value);
      named = true;
      continue;
    }
    const Key* known = FindKey(key);
    if (!known) continue;  // a key of a newer engine
    const auto colour = ParseColour(value);
    const std::size_t i = Index(known->role);
    if (!colour || given[i]) return std::nullopt;
    skin.colours[i] = *colour;
    given[i] = true;
  }
  for (const Key& k : kKeys) {
    const std::size_t i = Index(k.role);
    if (given[i]) continue;
    if (k.required) return std::nullopt;
    skin.colours[i] = Derive(k.role, skin.colours);
  }
  return skin;
}

std::optional<Role> RoleOfSystemColour(int index) {
  // By the numbers of winuser.h: COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
  switch (index) {
    case 0: return Role::EdgeSoft;             // scroll bar track
    case 2: return Role::Caption;              // active caption
    case 3: return Role::InactiveCaption;
    case 4: return Role::Menu;
    case 5: return Role::Window;
    case 6: return Role::EdgeDark;             // window frame lines
    case 7: return Role::MenuText;
    case 8: return Role::WindowText;
    case 9: return Role::CaptionText;
    // The sizing borders are the face's colour in the classic schemes, and
    // panels that borrow them must stay readable: they follow the face.
    case 10: return Role::Face;
    case 11: return Role::Face;
    case 12: return Role::EdgeShadow;          // application workspace
    case 13: return Role::Highlight;
    case 14: return Role::HighlightText;
    case 15: return Role::Face;                // button face, 3-D face
    case 16: return Role::EdgeShadow;
    case 17: return Role::GrayText;
    case 18: return Role::Text;                // button text
    case 19: return Role::InactiveCaptionText;
    case 20: return Role::EdgeLight;           // button highlight
    case 21: return Role::EdgeDark;
    case 22: return Role::EdgeSoft;            // 3-D light
    case 26: return Role::Highlight;           // hot-tracked item
    case 27: return Role::CaptionEnd;
    case 28: return Role::InactiveCaptionEnd;
    case 29: return Role::Highlight;           // flat menu highlight
    case 30: return Role::Menu;                // flat menu bar
    default: return std::nullopt;              // desktop (1), tooltips (23, 24), unused
  }
}

}  // namespace outside
