// The order of names in an NTFS folder index, and the names' text: UTF-16
// as the volume holds it, UTF-8 as the scan shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace diskview::ntfs {

// NTFS's order of names in a folder index: upper-cased code units (by the
// volume's $UpCase table), ties broken by the names as they are.
class Collation {
 public:
  // ASCII letters only until a volume's table is set.
  // 65536 little-endian code units; false (and no change) otherwise.
  bool SetTable(const std::uint8_t* bytes, std::size_t size);
  static constexpr std::size_t kUnits = 65536;
  static constexpr std::size_t kTableBytes = 2 * kUnits;  // as the volume holds them
  // The same code units as the volume holds them (little-endian); false
  // (and no change) unless kUnits.
  bool SetTable(std::vector<char16_t>&& units);
  // kUnits of them, taken over, not copied.
  void SetTable(std::unique_ptr<char16_t[]> units);
  bool Less(std::u16string_view a, std::u16string_view b) const;
  // The same order over names kept as AppendUnits writes them; Compare is
  // negative, zero or positive as `a` sorts before, with or after `b`.
  bool Less(std::string_view a, std::string_view b) const { return Compare(a, b) < 0; }
  int Compare(std::string_view a, std::string_view b) const;

 private:
  template <class Units>
  int CompareUnits(Units a, Units b) const;
  char16_t Upper(char16_t c) const;
  std::unique_ptr<char16_t[]> upper_;  // none: ASCII letters only
};

std::string Utf16ToUtf8(std::u16string_view text);
void AppendUtf8(std::u16string_view text, std::string& out);
// As AppendUtf8, but a lone surrogate keeps its code unit, in the three
// bytes UTF-8 would give it were it a character: the name's exact code units
// can be read back (Collation), and RepairLoneSurrogates makes it the text
// AppendUtf8 gives. Returns whether a lone surrogate was written.
bool AppendUnits(std::u16string_view text, std::string& out);
// Each lone surrogate AppendUnits wrote becomes U+FFFD, in place.
void RepairLoneSurrogates(std::string& text);

}  // namespace diskview::ntfs
