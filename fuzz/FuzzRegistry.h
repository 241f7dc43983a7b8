// A registry whose values hold anything: the targets name the values their
// logic reads (slots), and the input says which keys exist and what each
// value holds — any type, any length, no terminator, embedded NULs.
//
// Layout: a count, then that many records of slot (modulo the slots), a
// flag byte (bit 0: make the key only), the type and the bytes.
#pragma once

#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/RegistryMemory.h"

namespace fuzz {

struct RegSlot {
  platform::RegRoot root;
  std::string key;
  std::string name;
};

inline void FillRegistry(Reader& in, platform::RegistryMemory& reg,
                         const std::vector<RegSlot>& slots) {
  const int records = in.U8();
  for (int i = 0; i < records && !slots.empty(); ++i) {
    const RegSlot& slot = slots[in.U8() % slots.size()];
    const bool keyOnly = (in.U8() & 1) != 0;
    const std::uint32_t type = in.U32();
    const std::string bytes = in.Text();
    if (keyOnly) {
      platform::Registry::Key k = 0;
      reg.Create(slot.root, slot.key, k);
      reg.Close(k);
    } else {
      reg.Put(slot.root, slot.key, slot.name, type,
              std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
  }
}

// The seed maker's side of the same layout.
struct RegRecord {
  std::uint8_t slot;
  bool keyOnly;
  std::uint32_t type;
  std::string bytes;
};

inline void WriteRegistry(Writer& out, const std::vector<RegRecord>& records) {
  out.U8(static_cast<std::uint8_t>(records.size()));
  for (const RegRecord& r : records) out.U8(r.slot).U8(r.keyOnly ? 1 : 0).U32(r.type).Text(r.bytes);
}

}  // namespace fuzz
