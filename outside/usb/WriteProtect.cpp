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

}  // namespace

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

std::string StateLine(const ProtectState& state) {
  switch (state.kind) {
    case ProtectState::Kind::Writable: return "当前状态：可读写";
    case ProtectState::Kind::ReadOnly: return "当前状态：只读（写保护已开启）";
    case ProtectState::Kind::Unknown: break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "当前状态：未知 (值 %u)", static_cast<unsigned>(state.raw));
  return text;
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
}

void ProtectPanel::Switch(bool on) {
  if (!elevated_) {
    view_.message = kNeedsAdminLine;
    return;
  }
  const long rc = WriteProtectValue(registry_, on);
  view_.message = rc == platform::kRegOk ? kSuccessLine : FailureLine(rc);
  Refresh();
}

void ProtectPanel::Refresh() {
  const ProtectState state = ReadProtectState(registry_);
  view_.stateLine = StateLine(state);
  view_.onEnabled = state.kind != ProtectState::Kind::ReadOnly;
  view_.offEnabled = state.kind != ProtectState::Kind::Writable;
}

}  // namespace usb
