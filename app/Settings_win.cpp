#include "app/Settings_win.h"

#include "app/ShellRules.h"

namespace shell {

int ReadSkinSetting(const SettingsPlace& place) {
  char text[256] = {};
  HKEY key = nullptr;
  // Reading needs no write access, so a standard user still gets the skin.
  std::string path = place.prefix + kSkinKey;
  if (RegOpenKeyExA(place.root, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, kSkinValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
      text[0] = '\0';
    }
    RegCloseKey(key);
  }
  text[sizeof text - 1] = '\0';
  return SkinTextToInt(text);
}

void WriteSkinSetting(const SettingsPlace& place, bool skinOne) {
  HKEY key = nullptr;
  std::string path = place.prefix + kSkinKey;
  if (RegCreateKeyA(place.root, path.c_str(), &key) != ERROR_SUCCESS) return;
  // One byte, no terminator. The registry adds a terminator the caller
  // "forgot" when the byte after the data is zero, so that byte is not zero.
  const char value = skinOne ? '1' : '0';
  const char bytes[2] = {value, value};
  RegSetValueExA(key, kSkinValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes), 1);
  RegCloseKey(key);
}

void CreateLibraryKeys(const SettingsPlace& place) {
  for (const char* k : kTarvikKeys) {
    HKEY key = nullptr;
    std::string path = place.prefix + k;
    if (RegCreateKeyA(place.root, path.c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
  }
}

}  // namespace shell
