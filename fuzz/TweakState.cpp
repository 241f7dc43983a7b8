// The four state tests on any raw bytes, and every optimisation page started
// and clicked over a registry whose values hold anything: each box shows what
// its test says of the stored bytes (found here the plain way), a click that
// reports success reads back as the new mark, and no key is left open.
#include <cerrno>
#include <cstdlib>

#include "fuzz/FuzzInput.h"
#include "fuzz/Slots.h"
#include "platform/Atoi.h"
#include "tunara/PageModels.h"
#include "tunara/TweakMechanism.h"

namespace {

using tunara::RawValue;
using tunara::StateTest;

std::string UpToNul(const std::vector<std::uint8_t>& bytes) {
  std::string s(bytes.begin(), bytes.end());
  return s.substr(0, s.find('\0'));
}

// The C library's reading of the text, saturated to 32 bits.
std::int32_t ReferenceAtoi(const std::vector<std::uint8_t>& bytes) {
  const std::string text = UpToNul(bytes);
  errno = 0;
  long long v = std::strtoll(text.c_str(), nullptr, 10);
  if (v > INT32_MAX) v = INT32_MAX;
  if (v < INT32_MIN) v = INT32_MIN;
  return static_cast<std::int32_t>(v);
}

bool Expected(StateTest test, std::uint32_t operand, const RawValue& raw) {
  switch (test) {
    case StateTest::NumberText: return (raw ? ReferenceAtoi(*raw) : 0) == static_cast<std::int32_t>(operand);
    case StateTest::SingleByte: {
      if (!raw) return false;
      const std::string t = UpToNul(*raw);
      return t.size() == 1 && static_cast<std::uint8_t>(t[0]) == operand;
    }
    case StateTest::TextY: return raw && UpToNul(*raw) == "Y";
    case StateTest::DwordZero: {
      if (!raw) return true;
      for (std::size_t i = 0; i < raw->size() && i < 4; ++i)
        if ((*raw)[i] != 0) return false;
      return true;
    }
    case StateTest::NotRead: return false;
  }
  return false;
}

std::size_t Buffer(StateTest test) {
  switch (test) {
    case StateTest::NumberText: return tunara::kNumberTextBytes;
    case StateTest::SingleByte:
    case StateTest::TextY: return tunara::kSingleByteBytes;
    case StateTest::DwordZero: return tunara::kDwordBytes;
    case StateTest::NotRead: return 0;
  }
  return 0;
}

// What a test reads of a stored value: nothing when it is missing or does
// not fit the test's buffer.
RawValue Stored(const platform::RegistryMemory& reg, const tunara::TweakOption& o) {
  const platform::RegValue* v = reg.Find(o.root, o.ReadKey(), o.values[0]);
  if (!v || v->data.size() > Buffer(o.test)) return std::nullopt;
  return v->data;
}

void CheckBoxes(const tunara::TweakPageModel& model, const platform::RegistryMemory& reg) {
  auto options = tunara::TweakOptions(model.page());
  FUZZ_CHECK(model.CheckBoxes().size() == options.size());
  for (std::size_t i = 0; i < options.size(); ++i) {
    const tunara::TweakOption& o = options[i];
    const tunara::CheckBoxState& box = model.CheckBoxes()[i];
    FUZZ_CHECK(box.box == o.box);
    if (o.test == StateTest::NotRead) {
      FUZZ_CHECK(!box.checked && box.statusText.empty());
      continue;
    }
    FUZZ_CHECK(box.checked == Expected(o.test, o.operand, Stored(reg, o)));
    FUZZ_CHECK(box.statusText == (box.checked ? o.onText : o.StartOffText()));
  }
}

void CheckLevels(const tunara::TweakPageModel& model) {
  for (const tunara::LevelState& level : model.Levels()) {
    FUZZ_CHECK(level.listSelection == -1);
    FUZZ_CHECK(level.sliderPos >= 1 && level.sliderPos <= level.SliderMax());
    if (level.text.empty()) continue;
    bool known = false;
    for (const tunara::LevelRow& row : level.control->rows) known |= level.text == row.startText;
    FUZZ_CHECK(known);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);

  // The tests themselves on one run of raw bytes.
  const RawValue raw = in.Bool() ? RawValue(std::nullopt) : [&] {
    const std::string b = in.Text();
    return RawValue(std::vector<std::uint8_t>(b.begin(), b.end()));
  }();
  const std::uint32_t operand = in.U32();
  for (StateTest test : {StateTest::NumberText, StateTest::SingleByte, StateTest::TextY,
                         StateTest::DwordZero, StateTest::NotRead})
    FUZZ_CHECK(tunara::PassesStateTest(test, operand, raw) == Expected(test, operand, raw));
  if (raw) FUZZ_CHECK(platform::Atoi(*raw) == ReferenceAtoi(*raw));

  platform::RegistryMemory reg;
  fuzz::FillRegistry(in, reg, fuzz::TweakSlots());
  for (tunara::PageId page : fuzz::kPages) {
    tunara::TweakPageModel model(page, reg);
    model.Start([&](std::string_view) { return static_cast<unsigned>(in.U8() % 8); });
    CheckBoxes(model, reg);
    CheckLevels(model);
    FUZZ_CHECK(reg.OpenKeyCount() == 0);

    // Clicks on any box, known or not.
    const int clicks = in.U8() % 16;
    auto options = tunara::TweakOptions(page);
    for (int c = 0; c < clicks; ++c) {
      const std::uint16_t box = in.Bool() ? in.U16() : options[in.U8() % options.size()].box;
      const tunara::TweakOption* o = tunara::FindTweakOption(page, box);
      const tunara::CheckBoxState* before = model.Box(box);
      const bool wasChecked = before && before->checked;
      FUZZ_CHECK(model.Click(box) == (o != nullptr));
      FUZZ_CHECK(reg.OpenKeyCount() == 0);
      if (!o) continue;
      const tunara::CheckBoxState* after = model.Box(box);
      const bool failed = after->statusText == tunara::kTweakErrorText;
      // A write that failed leaves the mark the registry holds (a box the
      // page never reads keeps its own): never a change that did not happen.
      if (!failed) FUZZ_CHECK(after->checked == !wasChecked);
      else if (o->test == StateTest::NotRead) FUZZ_CHECK(after->checked == wasChecked);
      else FUZZ_CHECK(after->checked == tunara::ReadOptionState(reg, *o));
      if (!failed) FUZZ_CHECK(after->statusText == (after->checked ? o->onText : o->offText));
      if (!failed && o->test != StateTest::NotRead)
        FUZZ_CHECK(tunara::ReadOptionState(reg, *o) == after->checked);
    }
  }
  FUZZ_CHECK(reg.OpenKeyCount() == 0);
  return 0;
}
