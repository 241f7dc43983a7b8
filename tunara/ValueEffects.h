// Which Windows reads each system value the optimisation pages write: one
// entry per value, whatever row or level writes it. A row whose value the
// running Windows ignores is shown disabled, with the versions that did
// read it, instead of claiming an effect it cannot have.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/OsVersion.h"
#include "platform/Registry.h"

namespace tunara {

// A point in the NT family's history, compared by major, minor and build.
struct NtRelease {
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t build;
};

struct ValueEffect {
  platform::RegRoot root;
  std::string_view key;    // as the tables spell it (a trailing backslash is no part of it)
  std::string_view value;  // empty: the key's default value
  // The last release that reads the value; nothing: every release does
  // (as far as any source says). An NT release older than any that runs
  // this program (NT 4.0 and before) marks a value of Windows 9x or of
  // NT before 2000 alone.
  std::optional<NtRelease> lastReader;
  // The tool tip of the row on a release that ignores the value: who read it.
  std::string_view readBy;
};

// Shown beside a row whose value the running Windows ignores.
inline constexpr std::string_view kNoEffectText = "本系统无此项效果";

// Every value the pages write, one entry each.
std::span<const ValueEffect> ValueEffects();

// The entry of a value (keys and names compared as Windows compares them),
// or nullptr.
const ValueEffect* FindValueEffect(platform::RegRoot root, std::string_view key,
                                   std::string_view value);

// Whether `version` reads the value. An unknown version (the query failed)
// reads everything: a row is never hidden on a guess. A value without an
// entry counts as read.
bool ReadsValue(const std::optional<platform::OsVersion>& version, const ValueEffect* effect);

// Key paths as Windows compares them: without the case of ASCII letters,
// and with no trailing backslash.
bool SameKey(std::string_view a, std::string_view b);
bool SameName(std::string_view a, std::string_view b);

}  // namespace tunara
