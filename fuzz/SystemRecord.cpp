// The two system pages over a registry whose values hold anything (any type,
// any length, no terminator, embedded NULs) and any version record and
// environment: the rows are the pages' fixed rows, every text fits the
// buffer it was read through as one NUL-terminated text, and no key is left
// open.
#include <map>

#include "fuzz/FuzzInput.h"
#include "fuzz/Slots.h"
#include "parvane/SystemRecord.h"
#include "platform/Utf8.h"

namespace {

// UTF-16 units of a UTF-8 text, as a Unicode buffer counts them.
std::size_t Units(const std::string& text) {
  std::size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;
    if (c >= 0xF0) ++units;
  }
  return units;
}

// `room(i)`: the UTF-16 units row i's text may take with its NUL.
template <class Room>
void CheckRows(const std::vector<parvane::PageRow>& rows,
               const std::vector<parvane::PageRow>& labels, Room room) {
  FUZZ_CHECK(rows.size() == labels.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FUZZ_CHECK(rows[i].label == labels[i].label);
    FUZZ_CHECK(rows[i].image == labels[i].image);
    if (!rows[i].value) continue;
    const std::string& v = *rows[i].value;
    FUZZ_CHECK(!v.empty());
    FUZZ_CHECK(v.find('\0') == std::string::npos);
    FUZZ_CHECK(Units(v) < room(i));
  }
  FUZZ_CHECK(!rows.back().value && rows.back().label.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  parvane::SystemFacts facts;
  if (in.Bool()) {
    parvane::VersionRecord v;
    // Small numbers most of the time, so every branch of the naming is met.
    auto number = [&] { return in.Bool() ? in.U32() : in.U8() % 100u; };
    v.major = number();
    v.minor = number();
    v.build = number();
    v.platformId = number();
    v.csd = in.Text();
    facts.version = v;
  }
  facts.ntFamily = in.Bool();
  std::map<std::string, std::string, std::less<>> env;
  const int vars = in.U8() % 4;
  for (int i = 0; i < vars; ++i) {
    std::string name = in.Bool() ? (in.Bool() ? "TMP" : "TEMP") : in.Text();
    // An environment variable is text, and cannot hold a NUL.
    std::string value = platform::ValidUtf8(in.Text());
    env[name] = value.substr(0, value.find('\0'));
  }
  if (in.Bool()) {
    facts.environment = [&env](std::string_view name) -> std::optional<std::string> {
      auto it = env.find(name);
      if (it == env.end()) return std::nullopt;
      return it->second;
    };
  }
  if (in.Bool()) facts.computerName = in.Text();
  if (in.Bool()) facts.userName = in.Text();

  platform::RegistryMemory reg;
  fuzz::FillRegistry(in, reg, fuzz::SystemSlots());

  static platform::RegistryMemory empty;
  static const auto infoLabels = parvane::SystemInfoPageRows(empty, {});
  static const auto dirsLabels = parvane::SystemDirsPageRows(empty, {});

  auto info = parvane::SystemInfoPageRows(reg, facts);
  // The computer and user names are the system's own, not registry texts.
  info[0].value.reset();
  info[1].value.reset();
  // The version row runs two texts together.
  CheckRows(info, infoLabels, [](std::size_t i) {
    return i == 3 ? 2 * parvane::kRegTextChars - 1 : parvane::kRegTextChars;
  });
  // The environment texts (8, 9) and the BIOS version list (10) have the
  // long buffer.
  CheckRows(parvane::SystemDirsPageRows(reg, facts), dirsLabels, [](std::size_t i) {
    return i >= 8 && i <= 10 ? parvane::kLongTextChars : parvane::kRegTextChars;
  });
  FUZZ_CHECK(reg.OpenKeyCount() == 0);

  // Expansion alone: what it gives always fits, and a text without a '%'
  // comes back as it went in when it fits.
  const std::string text = platform::ValidUtf8(in.Text());
  const auto expanded = parvane::ExpandVariables(text, facts.environment);
  if (expanded) FUZZ_CHECK(Units(*expanded) + 1 <= parvane::kLongTextChars);
  if (text.find('%') == std::string::npos && Units(text) + 1 <= parvane::kLongTextChars)
    FUZZ_CHECK(expanded && *expanded == text);
  return 0;
}
