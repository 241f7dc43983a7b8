#include "app/Settings.h"

#include "app/ShellRules.h"
#include "platform/Atoi.h"

namespace shell {

using platform::Registry;

int ReadSkinSetting(Registry& registry, const SettingsPlace& place) {
  Registry::Key key = 0;
  // Reading needs no write access, so a standard user still gets the skin.
  if (registry.Open(place.root, place.prefix + kSkinKey, Registry::Access::Read, key) !=
      platform::kRegOk) {
    return 0;
  }
  platform::ScopedKey open(registry, key);
  platform::RegValue value;
  if (registry.QueryRaw(key, kSkinValue, 255, value) != platform::kRegOk) return 0;
  return platform::Atoi(value.data);
}

void WriteSkinSetting(Registry& registry, const SettingsPlace& place, bool skinOne) {
  Registry::Key key = 0;
  if (registry.Create(place.root, place.prefix + kSkinKey, key) != platform::kRegOk) return;
  platform::ScopedKey open(registry, key);
  const char value = skinOne ? '1' : '0';
  registry.Set(key, kSkinValue, platform::kRegSz, &value, 1);
}

void CreateLibraryKeys(Registry& registry, const SettingsPlace& place) {
  for (const char* path : kTarvikKeys) {
    Registry::Key key = 0;
    if (registry.Create(place.root, place.prefix + path, key) == platform::kRegOk) {
      registry.Close(key);
    }
  }
}

}  // namespace shell
