// The sliders' and lists' level lookups over any positions and any stored
// bytes: a start level is the first row whose value the stored bytes name, a
// position finds its own row or none, and a level that was written reads
// back as the same row.
#include "fuzz/FuzzInput.h"
#include "fuzz/Slots.h"
#include "tunara/PageModels.h"
#include "tunara/TweakMechanism.h"

namespace {

// What the single-byte test reads of a stored value: its bytes up to the
// first NUL, when the value fits the 80-byte buffer.
std::optional<std::string> Stored(const platform::RegistryMemory& reg, platform::RegRoot root,
                                  std::string_view key, std::string_view name) {
  const platform::RegValue* v = reg.Find(root, key, name);
  if (!v || v->data.size() > tunara::kSingleByteBytes) return std::nullopt;
  std::string s(v->data.begin(), v->data.end());
  return s.substr(0, s.find('\0'));
}

bool Names(const std::optional<std::string>& text, std::uint32_t n) {
  return text && text->size() == 1 && static_cast<std::uint8_t>((*text)[0]) == n;
}

void CheckStart(const platform::RegistryMemory& reg, const tunara::LevelControl& c,
                const tunara::LevelRow* row) {
  const bool own = c.HasOwnRecord();
  const auto text = own ? Stored(reg, c.root, c.ownKey, c.ownValue)
                        : Stored(reg, c.root, c.systemKey, c.systemValue);
  const tunara::LevelRow* first = nullptr;
  for (const tunara::LevelRow& r : c.rows)
    if (!first && Names(text, own ? r.level : r.systemValue)) first = &r;
  FUZZ_CHECK(row == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  platform::RegistryMemory reg;
  fuzz::FillRegistry(in, reg, fuzz::LevelSlots());

  for (tunara::PageId page : fuzz::kPages) {
    for (const tunara::LevelControl* c : tunara::LevelControls(page)) {
      CheckStart(reg, *c, tunara::ReadStartLevel(reg, *c));
      const int moves = in.U8() % 8;
      for (int m = 0; m < moves; ++m) {
        // Near the rows most of the time, anywhere now and then.
        const int position = in.Bool() ? static_cast<int>(in.U32())
                                       : static_cast<int>(in.U8() % 12) - 2;
        const tunara::LevelRow* row = tunara::FindLevelRow(*c, position);
        const std::int64_t level =
            std::int64_t{position} + (c->kind == tunara::LevelKind::List ? 1 : 0);
        bool exists = false;
        for (const tunara::LevelRow& r : c->rows) exists |= r.level == level;
        FUZZ_CHECK((row != nullptr) == exists);
        if (row) FUZZ_CHECK(row->level == level);

        const auto text = tunara::ApplyLevel(reg, *c, position);
        FUZZ_CHECK(text.has_value() == (row != nullptr));
        FUZZ_CHECK(reg.OpenKeyCount() == 0);
        if (!text) continue;
        if (text->writeFailed) {
          FUZZ_CHECK(text->text == tunara::kTweakErrorText);
          continue;
        }
        FUZZ_CHECK(text->text == row->changeText);
        // Written, so read back: the row itself, or (without an own record)
        // the first row with the same system value.
        const tunara::LevelRow* back = tunara::ReadStartLevel(reg, *c);
        FUZZ_CHECK(back != nullptr);
        FUZZ_CHECK(c->HasOwnRecord() ? back == row : back->systemValue == row->systemValue);
        CheckStart(reg, *c, back);
      }
    }
  }

  // The pages bind the same lookups to their controls.
  for (tunara::PageId page : fuzz::kPages) {
    tunara::TweakPageModel model(page, reg);
    model.Start();
    for (const tunara::LevelState& level : model.Levels()) {
      const int position = static_cast<int>(in.U32());
      const std::string before = level.text;
      const bool slider = level.control->kind == tunara::LevelKind::Slider;
      FUZZ_CHECK(slider ? model.ReleaseSlider(level.id, position)
                        : model.SelectListItem(level.id, position));
      const tunara::LevelState* after = model.Level(level.id);
      const bool failed = tunara::FindLevelRow(*level.control, position) != nullptr &&
                          after->text == tunara::kTweakErrorText;
      // A failed write puts the control back at the level the registry holds.
      const tunara::LevelRow* held = failed ? tunara::ReadStartLevel(reg, *level.control) : nullptr;
      if (slider) FUZZ_CHECK(after->sliderPos == (!failed ? position : held ? static_cast<int>(held->level) : 1));
      else FUZZ_CHECK(after->listSelection == (!failed ? position : held ? static_cast<int>(held->level) - 1 : -1));
      if (!tunara::FindLevelRow(*level.control, position)) FUZZ_CHECK(after->text == before);
    }
    FUZZ_CHECK(reg.OpenKeyCount() == 0);
  }
  return 0;
}
