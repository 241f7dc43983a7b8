#include "tunara/OriginalSettings.h"

#include "tunara/LevelTables.h"
#include "tunara/ValueEffects.h"

namespace tunara {
namespace {

using platform::Registry;
using platform::RegRoot;

// Larger values are not the pages' to keep (none of theirs comes near).
constexpr std::size_t kMaxKeptBytes = 64 * 1024;
// A record: its marker, the type, the value's bytes.
constexpr std::size_t kMaxRecordBytes = kMaxKeptBytes + 5;

std::string_view RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return "HKCR";
    case RegRoot::CurrentUser: return "HKCU";
    case RegRoot::LocalMachine: return "HKLM";
    case RegRoot::Users: return "HKU";
  }
  return "?";
}

// The key path without empty components (a trailing backslash, a doubled one).
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t end = path.find('\\');
    const std::string_view part = path.substr(0, end);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return parts;
}

std::string Joined(const std::vector<std::string_view>& parts, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) out += '\\';
    out += parts[i];
  }
  return out;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t n) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at) {
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= std::uint32_t{in[at + i]} << (8 * i);
  return n;
}

bool Exists(Registry& reg, RegRoot root, const std::string& path) {
  Registry::Key k = 0;
  if (reg.Open(root, path, Registry::Access::Read, k) != platform::kRegOk) return false;
  reg.Close(k);
  return true;
}

bool SameState(const ValueState& a, const ValueState& b) {
  if (a.present != b.present) return false;
  return a.present ? a.value.type == b.value.type && a.value.data == b.value.data
                   : a.missingKeys == b.missingKeys;
}

std::optional<std::vector<std::uint8_t>> ReadRecord(Registry& reg, RegRoot where,
                                                    const std::string& name) {
  Registry::Key k = 0;
  if (reg.Open(where, kOriginalsKey, Registry::Access::Read, k) != platform::kRegOk)
    return std::nullopt;
  platform::ScopedKey scoped(reg, k);
  platform::RegValue v;
  if (reg.QueryRaw(k, name, kMaxRecordBytes, v) != platform::kRegOk) return std::nullopt;
  return std::move(v.data);
}

long DeleteRecord(Registry& reg, RegRoot where, const std::string& name) {
  Registry::Key k = 0;
  long rc = reg.Open(where, kOriginalsKey, Registry::Access::ReadWrite, k);
  if (rc != platform::kRegOk) return rc;
  platform::ScopedKey scoped(reg, k);
  return reg.DeleteValue(k, name);
}

// How a failed value is named in the result line: its name, or for a
// key's default value the key's own.
std::string DisplayName(const WrittenValue& at) {
  if (!at.value.empty()) return std::string(at.value);
  const auto parts = Components(at.key);
  return parts.empty() ? std::string() : std::string(parts.back());
}

}  // namespace

RegRoot OriginalsRoot(RegRoot valueRoot) {
  return valueRoot == RegRoot::CurrentUser ? RegRoot::CurrentUser : RegRoot::LocalMachine;
}

std::string OriginalRecordName(RegRoot root, std::string_view key, std::string_view value) {
  const auto parts = Components(key);
  std::string name(RootName(root));
  name += '\\';
  name += Joined(parts, parts.size());
  name += "\\\\";
  name += value;
  return name;
}

std::vector<std::uint8_t> EncodeState(const ValueState& state) {
  std::vector<std::uint8_t> out;
  if (!state.present) {
    out.push_back(0);
    PutU32(out, state.missingKeys);
    return out;
  }
  out.push_back(1);
  PutU32(out, state.value.type);
  out.insert(out.end(), state.value.data.begin(), state.value.data.end());
  return out;
}

std::optional<ValueState> DecodeState(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 5) return std::nullopt;
  ValueState state;
  if (bytes[0] == 0) {
    if (bytes.size() != 5) return std::nullopt;
    state.missingKeys = GetU32(bytes, 1);
    return state;
  }
  if (bytes[0] != 1) return std::nullopt;
  state.present = true;
  state.value.type = GetU32(bytes, 1);
  state.value.data.assign(bytes.begin() + 5, bytes.end());
  return state;
}

std::optional<ValueState> ReadValueState(Registry& reg, const WrittenValue& at) {
  ValueState state;
  Registry::Key k = 0;
  const long opened = reg.Open(at.root, at.key, Registry::Access::Read, k);
  if (opened == platform::kRegFileNotFound) {
    // Count the components that are missing, from the key upwards.
    const auto parts = Components(at.key);
    std::size_t depth = parts.size();
    while (depth > 0 && !Exists(reg, at.root, Joined(parts, depth))) --depth;
    state.missingKeys = static_cast<std::uint32_t>(parts.size() - depth);
    return state;
  }
  if (opened != platform::kRegOk) return std::nullopt;
  platform::ScopedKey scoped(reg, k);
  const long rc = reg.QueryRaw(k, at.value, kMaxKeptBytes, state.value);
  if (rc == platform::kRegFileNotFound) return state;
  if (rc != platform::kRegOk) return std::nullopt;
  state.present = true;
  return state;
}

long PutValueState(Registry& reg, const WrittenValue& at, const ValueState& state) {
  Registry::Key k = 0;
  if (state.present) {
    long rc = reg.Create(at.root, at.key, k);
    if (rc != platform::kRegOk) return rc;
    platform::ScopedKey scoped(reg, k);
    return reg.Set(k, at.value, state.value.type, state.value.data.data(), state.value.data.size());
  }
  long rc = reg.Open(at.root, at.key, Registry::Access::ReadWrite, k);
  if (rc == platform::kRegFileNotFound) return platform::kRegOk;  // gone with its key
  if (rc != platform::kRegOk) return rc;
  rc = reg.DeleteValue(k, at.value);
  reg.Close(k);
  if (rc != platform::kRegOk && rc != platform::kRegFileNotFound) return rc;
  // Keys the change made go again while nothing else has come into them;
  // keys that existed before stay.
  const auto parts = Components(at.key);
  for (std::uint32_t i = 0; i < state.missingKeys && i < parts.size(); ++i)
    if (reg.DeleteEmptyKey(at.root, Joined(parts, parts.size() - i)) != platform::kRegOk) break;
  return platform::kRegOk;
}

bool OriginalKeeper::Keep(const WrittenValue& at) {
  const std::string name = OriginalRecordName(at.root, at.key, at.value);
  const RegRoot where = OriginalsRoot(at.root);
  if (ReadRecord(reg_, where, name)) return true;  // the first original stays
  const auto original = ReadValueState(reg_, at);
  if (!original) return false;
  Registry::Key k = 0;
  if (reg_.Create(where, kOriginalsKey, k) != platform::kRegOk) return false;
  platform::ScopedKey scoped(reg_, k);
  const std::vector<std::uint8_t> data = EncodeState(*original);
  if (reg_.Set(k, name, platform::kRegBinary, data.data(), data.size()) != platform::kRegOk)
    return false;
  made_.push_back({at, *original});
  return true;
}

void OriginalKeeper::DropUnchanged() {
  for (const Made& made : made_) {
    const auto now = ReadValueState(reg_, made.at);
    if (now && SameState(*now, made.original))
      DeleteRecord(reg_, OriginalsRoot(made.at.root),
                   OriginalRecordName(made.at.root, made.at.key, made.at.value));
  }
  for (const Made& made : made_) reg_.DeleteEmptyKey(OriginalsRoot(made.at.root), kOriginalsKey);
  made_.clear();
}

std::vector<WrittenValue> WrittenValues() {
  std::vector<WrittenValue> values;
  for (const ValueEffect& effect : ValueEffects())
    values.push_back({effect.root, effect.key, effect.value});
  for (PageId page : {PageId::Disk, PageId::Memory, PageId::Cdrom, PageId::Ntfs})
    for (const LevelControl* level : LevelControls(page))
      if (level->HasOwnRecord()) values.push_back({level->root, level->ownKey, level->ownValue});
  return values;
}

bool HasOriginals(Registry& reg) {
  for (const WrittenValue& at : WrittenValues())
    if (ReadRecord(reg, OriginalsRoot(at.root), OriginalRecordName(at.root, at.key, at.value)))
      return true;
  return false;
}

RestoreResult RestoreOriginals(Registry& reg) {
  RestoreResult result;
  for (const WrittenValue& at : WrittenValues()) {
    const std::string name = OriginalRecordName(at.root, at.key, at.value);
    const RegRoot where = OriginalsRoot(at.root);
    const auto record = ReadRecord(reg, where, name);
    if (!record) continue;
    const auto state = DecodeState(*record);
    if (!state || PutValueState(reg, at, *state) != platform::kRegOk) {
      result.failed.push_back(DisplayName(at));
      continue;
    }
    ++result.restored;
    DeleteRecord(reg, where, name);
  }
  // Nothing left to restore: the records' keys go too.
  reg.DeleteEmptyKey(RegRoot::LocalMachine, kOriginalsKey);
  reg.DeleteEmptyKey(RegRoot::CurrentUser, kOriginalsKey);
  return result;
}

std::string RestoreResultText(const RestoreResult& result) {
  std::string text = "已恢复 " + std::to_string(result.restored) + " 项设置";
  if (result.failed.empty()) return text;
  text += "，未能恢复：";
  for (std::size_t i = 0; i < result.failed.size(); ++i) {
    if (i) text += "、";
    text += result.failed[i];
  }
  return text;
}

}  // namespace tunara
