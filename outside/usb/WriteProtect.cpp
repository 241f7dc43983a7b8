#include "outside/usb/WriteProtect.h"

#include <cstdio>

namespace usb {

const char kSuccessLine[] = "设置成功。请拔出并重新插入U盘，设置才会生效。";
const char kNeedsAdminLine[] = "需要管理员权限才能更改U盘写保护。";

namespace {

ProtectState Unknown(std::uint32_t raw) { return {ProtectState::Kind::Unknown, raw}; }

std::uint32_t FirstDword(const std::vector<std::uint8_t>& data) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < data.size() && i < 4; ++i) v |= std::uint32_t{data[i]} << (8 * i);
  return v;
}

// Whether `name` under `path` is a REG_DWORD other than 0.
bool PolicySet(platform::Registry& registry, platform::RegRoot root, const char* path,
               const char* name) {
  platform::Registry::Key key = 0;
  if (registry.Open(root, path, platform::Registry::Access::Read, key) != platform::kRegOk) {
    return false;
  }
  platform::ScopedKey scoped(registry, key);
  platform::RegValue value;
  if (registry.QueryRaw(key, name, 64, value) != platform::kRegOk) return false;
  return value.type == platform::kRegDword && value.data.size() == 4 && FirstDword(value.data) != 0;
}

// The policies' own names, as the group policy editor shows them.
const char* PolicyName(Policy policy) {
  switch (policy) {
    case Policy::DenyAll: return "所有可移动存储类: 拒绝所有权限";
    case Policy::DenyWrite: return "可移动磁盘: 拒绝写入权限";
    case Policy::BitLockerDenyWrite: return "拒绝对不受 BitLocker 保护的可移动驱动器的写入权限";
    case Policy::None: break;
  }
  return "";
}

}  // namespace

Policy ReadPolicy(platform::Registry& registry) {
  using platform::RegRoot;
  for (RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
    if (PolicySet(registry, root, kStoragePolicyKey, "Deny_All")) return Policy::DenyAll;
  }
  for (RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
    if (PolicySet(registry, root, kRemovableDisksPolicyKey, "Deny_Write")) return Policy::DenyWrite;
  }
  if (PolicySet(registry, RegRoot::LocalMachine, kBitLockerPolicyKey, "RDVDenyWriteAccess")) {
    return Policy::BitLockerDenyWrite;
  }
  return Policy::None;
}

ProtectState ReadProtectState(platform::Registry& registry) {
  platform::Registry::Key key = 0;
  long rc = registry.Open(platform::RegRoot::LocalMachine, kPolicyKey,
                          platform::Registry::Access::Read, key);
  if (rc == platform::kRegFileNotFound) return {};
  if (rc != platform::kRegOk) return Unknown(0);
  platform::ScopedKey scoped(registry, key);
  platform::RegValue value;
  // Room for more than a DWORD, so a longer value is told apart from one.
  rc = registry.QueryRaw(key, kPolicyValue, 64, value);
  if (rc == platform::kRegFileNotFound) return {};
  if (rc != platform::kRegOk) return Unknown(0);
  const std::uint32_t raw = FirstDword(value.data);
  if (value.type != platform::kRegDword || value.data.size() != 4 || raw > 1) return Unknown(raw);
  return {raw == 1 ? ProtectState::Kind::ReadOnly : ProtectState::Kind::Writable, raw};
}

long WriteProtectValue(platform::Registry& registry, bool on) {
  platform::Registry::Key key = 0;
  long rc = registry.Create(platform::RegRoot::LocalMachine, kPolicyKey, key);
  if (rc != platform::kRegOk) return rc;
  platform::ScopedKey scoped(registry, key);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(on ? 1 : 0), 0, 0, 0};
  return registry.Set(key, kPolicyValue, platform::kRegDword, bytes, sizeof bytes);
}

std::string StateLine(const ProtectState& state, Policy policy) {
  switch (policy) {
    case Policy::DenyAll: return "当前状态：禁止读写（由组策略设置）";
    case Policy::DenyWrite: return "当前状态：只读（由组策略设置）";
    case Policy::BitLockerDenyWrite: return "当前状态：只读（由 BitLocker 策略设置）";
    case Policy::None: break;
  }
  switch (state.kind) {
    case ProtectState::Kind::Writable: return "当前状态：可读写";
    case ProtectState::Kind::ReadOnly: return "当前状态：只读（写保护已开启）";
    case ProtectState::Kind::Unknown: break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "当前状态：未知 (值 %u)", static_cast<unsigned>(state.raw));
  return text;
}

std::string PolicyNote(Policy policy) {
  return std::string("组策略“") + PolicyName(policy) + "”优先于写保护开关。";
}

std::string OverriddenLine(Policy policy) {
  return std::string("设置成功，但组策略“") + PolicyName(policy) + "”优先，状态不变。";
}

std::string FailureLine(long error) {
  char text[64];
  std::snprintf(text, sizeof text, "设置失败 (错误 %lu)", static_cast<unsigned long>(error));
  return text;
}

ProtectPanel::ProtectPanel(platform::Registry& registry, bool elevated)
    : registry_(registry), elevated_(elevated) {
  view_.shield = !elevated;
  Refresh();
  if (policy_ != Policy::None) view_.message = PolicyNote(policy_);
}

void ProtectPanel::Switch(bool on) {
  if (!elevated_) {
    view_.message = kNeedsAdminLine;
    return;
  }
  const long rc = WriteProtectValue(registry_, on);
  Refresh();
  if (rc != platform::kRegOk) {
    view_.message = FailureLine(rc);
  } else {
    view_.message = policy_ == Policy::None ? kSuccessLine : OverriddenLine(policy_);
  }
}

void ProtectPanel::Refresh() {
  const ProtectState state = ReadProtectState(registry_);
  policy_ = ReadPolicy(registry_);
  view_.stateLine = StateLine(state, policy_);
  view_.onEnabled = state.kind != ProtectState::Kind::ReadOnly;
  view_.offEnabled = state.kind != ProtectState::Kind::Writable;
}

}  // namespace usb
