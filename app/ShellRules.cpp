#include "app/ShellRules.h"

namespace shell {

std::string SkinFilePath(std::string_view programPath) {
  size_t slash = programPath.rfind('\\');
  std::string dir(slash == std::string_view::npos ? std::string_view() : programPath.substr(0, slash));
  return dir + kSkinFileSuffix;
}

std::string LabelCase(std::string_view label) {
  std::string out(label);
  if (out.empty()) return out;
  // Skip the whole first character, which may take several bytes.
  size_t first = 1;
  while (first < out.size() && (static_cast<unsigned char>(out[first]) & 0xC0) == 0x80) ++first;
  for (size_t i = first; i < out.size(); ++i) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

std::string DriveItemText(const std::optional<std::string>& label, std::string_view root) {
  std::string text = label ? LabelCase(*label) : std::string();
  if (!root.empty() && root.back() == '\\') root.remove_suffix(1);
  text += " (";
  text += root;
  text += ")";
  return text;
}

int DriveImageIndex(unsigned driveType) {
  switch (driveType) {
    case 2: return 0;  // removable
    case 3: return 1;  // fixed
    case 5: return 2;  // CD-ROM
    case 4: return 3;  // remote
    case 6: return 5;  // RAM disk
    default: return -1;
  }
}

std::string DriveRootFromBit(int index) {
  return std::string(1, static_cast<char>('A' + index)) + ":\\";
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::vector<unsigned> TrayMenuGreyedCommands(TrayMenuState state) {
  // Minimise, hide and normal show: the one that would change nothing.
  std::vector<unsigned> greyed;
  if (state.minimized) greyed.push_back(32773);
  if (!state.visible) {
    greyed.push_back(32774);
  } else if (!state.minimized) {
    greyed.push_back(32772);
  }
  return greyed;
}

}  // namespace shell
