// The registry settings the main program reads and writes itself: the skin
// choice and the keys the optimisation library stores its levels under.
// "Skin" is a REG_SZ of exactly one byte, no terminator (the registry's
// raw-byte semantics, platform/Registry.h).
#pragma once

#include <string>

#include "platform/Registry.h"

namespace shell {

// Where the settings live: HKLM with no prefix in the program; tests point
// it at a scratch key of their own.
struct SettingsPlace {
  platform::RegRoot root = platform::RegRoot::LocalMachine;
  std::string prefix;  // prepended to each key path, ends in a backslash
};

// The "Skin" value (at most 255 bytes) read as atoi reads it; 0 when the key
// or value is missing or longer.
int ReadSkinSetting(platform::Registry& registry, const SettingsPlace& place);
// Sets "Skin" to "1" or "0" (data length 1), creating the key. Failures are
// ignored, as the shell ignores every registry failure.
void WriteSkinSetting(platform::Registry& registry, const SettingsPlace& place, bool skinOne);
// Creates (or opens) the three keys of the optimisation library.
void CreateLibraryKeys(platform::Registry& registry, const SettingsPlace& place);

}  // namespace shell
