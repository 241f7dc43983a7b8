#include "tunara/TweakMechanism.h"

#include <algorithm>
#include <limits>

#include "platform/Atoi.h"
#include "tunara/OriginalSettings.h"

namespace tunara {
namespace {

using platform::Registry;

// The bytes before the first NUL, as the C string functions see a buffer.
std::span<const std::uint8_t> UpToNul(std::span<const std::uint8_t> bytes) {
  auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return bytes.first(static_cast<std::size_t>(nul - bytes.begin()));
}

std::size_t BufferFor(StateTest test) {
  switch (test) {
    case StateTest::NumberText: return kNumberTextBytes;
    case StateTest::SingleByte:
    case StateTest::ManagedLowBit:
    case StateTest::TextY: return kSingleByteBytes;
    case StateTest::DwordZero: return kDwordBytes;
    case StateTest::NotRead: return 0;
  }
  return 0;
}

void AppendDword(std::vector<std::uint8_t>& out, std::uint32_t n) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
}

}  // namespace

bool PassesNumberText(const RawValue& raw, std::int32_t n) {
  // A missing key or value reads as empty text, which is 0.
  return (raw ? platform::Atoi(*raw) : 0) == n;
}

bool PassesSingleByte(const RawValue& raw, std::uint8_t n) {
  if (!raw) return false;
  auto text = UpToNul(*raw);
  return text.size() == 1 && text[0] == n;
}

bool PassesTextY(const RawValue& raw) {
  if (!raw) return false;
  auto text = UpToNul(*raw);
  return text.size() == 1 && text[0] == 'Y';
}

bool PassesDwordZero(const RawValue& raw) {
  if (!raw) return true;
  std::uint32_t n = 0;
  for (std::size_t i = 0; i < raw->size() && i < 4; ++i) n |= std::uint32_t{(*raw)[i]} << (8 * i);
  return n == 0;
}

bool PassesManagedLowBit(const RawValue& raw, std::uint8_t n) {
  if (raw && raw->size() == 4 && ((*raw)[3] & 0x80) != 0) return ((*raw)[0] & 1) == n;
  return PassesSingleByte(raw, n);
}

bool PassesStateTest(StateTest test, std::uint32_t operand, const RawValue& raw) {
  switch (test) {
    case StateTest::NumberText: return PassesNumberText(raw, static_cast<std::int32_t>(operand));
    case StateTest::SingleByte:
      return operand <= 0xFF && PassesSingleByte(raw, static_cast<std::uint8_t>(operand));
    case StateTest::TextY: return PassesTextY(raw);
    case StateTest::DwordZero: return PassesDwordZero(raw);
    case StateTest::ManagedLowBit:
      return operand <= 1 && PassesManagedLowBit(raw, static_cast<std::uint8_t>(operand));
    case StateTest::NotRead: return false;
  }
  return false;
}

RawValue ReadForTest(Registry& reg, StateTest test, platform::RegRoot root, std::string_view key,
                     std::string_view value) {
  if (test == StateTest::NotRead) return std::nullopt;
  auto access = test == StateTest::NumberText ? Registry::Access::ReadWrite : Registry::Access::Read;
  Registry::Key k = 0;
  if (reg.Open(root, key, access, k) != platform::kRegOk) return std::nullopt;
  platform::ScopedKey scoped(reg, k);
  platform::RegValue v;
  if (reg.QueryRaw(k, value, BufferFor(test), v) != platform::kRegOk) return std::nullopt;
  return std::move(v.data);
}

bool ReadOptionState(Registry& reg, const TweakOption& option) {
  if (option.test == StateTest::NotRead) return false;
  RawValue raw = ReadForTest(reg, option.test, option.root, option.ReadKey(), option.values[0]);
  return PassesStateTest(option.test, option.operand, raw);
}

std::vector<std::uint8_t> OptionBytes(const TweakOption& option, bool on) {
  const TweakData& data = on ? option.on : option.off;
  std::vector<std::uint8_t> out;
  if (option.type == platform::kRegDword) AppendDword(out, data.number);
  else out.assign(data.text.begin(), data.text.end());  // no terminating NUL
  return out;
}

ClickResult ClickOption(Registry& reg, const TweakOption& option, bool checkedBefore) {
  const bool on = !checkedBefore;
  ClickResult result{on, std::string(on ? option.onText : option.offText), false};

  OriginalKeeper keeper(reg);
  // What the values hold before this click, to put back when a later one fails.
  std::vector<ValueState> before;
  bool ok = true;
  for (std::string_view value : option.Values()) {
    const WrittenValue at{option.root, option.key, value};
    const auto state = ReadValueState(reg, at);
    // A key the click may not make fails the click before anything is kept.
    const bool keyMissing = state && state->missingKeys != 0 && option.open == KeyOpen::Existing;
    ok = ok && state && !keyMissing && keeper.Keep(at);
    if (ok) before.push_back(*state);
  }

  Registry::Key k = 0;
  if (ok) {
    const long rc = option.open == KeyOpen::OpenOrCreate
                        ? reg.Create(option.root, option.key, k)
                        : reg.Open(option.root, option.key, Registry::Access::ReadWrite, k);
    ok = rc == platform::kRegOk;
  }
  if (ok) {
    const std::vector<std::uint8_t> bytes = OptionBytes(option, on);
    std::size_t written = 0;
    {
      platform::ScopedKey scoped(reg, k);
      for (std::string_view value : option.Values()) {
        if (reg.Set(k, value, option.type, bytes.data(), bytes.size()) != platform::kRegOk) {
          ok = false;
          break;
        }
        ++written;
      }
    }
    for (std::size_t i = 0; !ok && i < written; ++i)
      PutValueState(reg, {option.root, option.key, option.Values()[i]}, before[i]);
  }
  if (!ok) {
    keeper.DropUnchanged();
    result.checked = option.test == StateTest::NotRead ? checkedBefore : ReadOptionState(reg, option);
    result.statusText = std::string(kTweakErrorText);
    result.writeFailed = true;
  }
  return result;
}

}  // namespace tunara
