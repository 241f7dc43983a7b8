// The registry settings the main program reads and writes itself: the skin
// choice and the keys the optimisation library stores its levels under.
// Byte semantics of the A functions: "Skin" is a REG_SZ of exactly one
// byte, no terminator.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

// Where the settings live: HKLM with no prefix in the program; tests point
// it at a scratch key of their own.
struct SettingsPlace {
  HKEY root = HKEY_LOCAL_MACHINE;
  std::string prefix;  // prepended to each key path, ends in a backslash
};

// The "Skin" value converted to a number; 0 when the key or value is missing.
int ReadSkinSetting(const SettingsPlace& place);
// Sets "Skin" to "1" or "0" (data length 1), creating the key. Failures are
// ignored, as the shell ignores every registry failure.
void WriteSkinSetting(const SettingsPlace& place, bool skinOne);
// Creates (or opens) the three keys of the optimisation library.
void CreateLibraryKeys(const SettingsPlace& place);

}  // namespace shell
