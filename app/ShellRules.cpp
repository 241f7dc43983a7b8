#include "app/ShellRules.h"

#include <climits>

namespace shell {

int SkinTextToInt(std::string_view text) {
  size_t i = 0;
  auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) {
      value = static_cast<long long>(INT_MAX) + 1;
      break;
    }
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

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

int BarCodeForItem(int index) {
  switch (index) {
    case 0: return 1;
    case 1: return 13;
    case 2: return 14;
    case 3: return 15;
    default: return index >= 4 && index <= 10 ? 16 : 0;
  }
}

int SlotForBarCode(int code) {
  switch (code) {
    case 1: return 1;
    case 13: return 2;
    case 14: return 3;
    case 15: return 4;
    case 16: return 5;
    default: return 0;
  }
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
