#include "app/diskview/scan/ntfs/Collation.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "app/diskview/scan/ntfs/LittleEndian.h"

namespace diskview::ntfs {

bool Collation::SetTable(const std::uint8_t* bytes, std::size_t size) {
  if (size < kTableBytes) return false;
  std::unique_ptr<char16_t[]> units(new char16_t[kUnits]);
  std::memcpy(units.get(), bytes, kTableBytes);
  SetTable(std::move(units));
  return true;
}

bool Collation::SetTable(std::vector<char16_t>&& units) {
  if (units.size() != kUnits) return false;
  std::unique_ptr<char16_t[]> table(new char16_t[kUnits]);
  std::copy(units.begin(), units.end(), table.get());
  SetTable(std::move(table));
  return true;
}

void Collation::SetTable(std::unique_ptr<char16_t[]> units) {
  if constexpr (std::endian::native != std::endian::little) {
    for (std::size_t i = 0; i < kUnits; ++i)
      units[i] = static_cast<char16_t>(U16(reinterpret_cast<const std::uint8_t*>(&units[i])));
  }
  upper_ = std::move(units);
}

char16_t Collation::Upper(char16_t c) const {
  if (upper_) return upper_[c];
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

namespace {

struct Utf16Units {
  const char16_t* at;
  const char16_t* end;
  bool Next(char16_t& unit) {
    if (at == end) return false;
    unit = *at++;
    return true;
  }
};

// The code units of a name AppendUnits wrote: a four-byte sequence gives a
// surrogate pair, any other one unit. A sequence cut short gives its bytes
// as units, so any bytes end.
struct StoredUnits {
  const std::uint8_t* at;
  const std::uint8_t* end;
  char16_t low = 0;  // the second unit of a pair, still to give
  bool Next(char16_t& unit) {
    if (low != 0) {
      unit = low;
      low = 0;
      return true;
    }
    if (at == end) return false;
    const std::uint32_t b = *at;
    const std::size_t length = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (length == 1 || static_cast<std::size_t>(end - at) < length) {
      unit = static_cast<char16_t>(b);
      ++at;
      return true;
    }
    std::uint32_t c = b & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) c = c << 6 | (at[i] & 0x3F);
    at += length;
    if (c >= 0x10000 && c < 0x110000) {
      c -= 0x10000;
      unit = static_cast<char16_t>(0xD800 + (c >> 10));
      low = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      unit = static_cast<char16_t>(c);
    }
    return true;
  }
};

// UTF-8 of `text`; a lone surrogate becomes U+FFFD, or with `keepLone` keeps
// its code unit in three bytes. Returns whether one was met.
bool Encode(std::u16string_view text, std::string& out, bool keepLone) {
  // Written through a pointer into room for the longest result (three bytes
  // per code unit; one for a name all ASCII, as most are), then cut to
  // length: every name of a volume is converted.
  const std::size_t start = out.size();
  const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  out.resize(start + (ascii ? 1 : 3) * text.size());
  char* to = out.data() + start;
  const auto put = [&to](std::uint32_t b) { *to++ = static_cast<char>(b); };
  bool lone = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c < 0x80) {
      put(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      lone = true;
      if (!keepLone) c = 0xFFFD;  // as the system's conversion gives it
    }
    if (c < 0x800) {
      put(0xC0 | c >> 6);
      put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      put(0xE0 | c >> 12);
      put(0x80 | (c >> 6 & 0x3F));
      put(0x80 | (c & 0x3F));
    } else {  // from two code units: four bytes fit in their six
      put(0xF0 | c >> 18);
      put(0x80 | (c >> 12 & 0x3F));
      put(0x80 | (c >> 6 & 0x3F));
      put(0x80 | (c & 0x3F));
    }
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return lone;
}

}  // namespace

template <class Units>
int Collation::CompareUnits(Units a, Units b) const {
  int written = 0;  // the first difference as written: the tie-break
  char16_t x = 0, y = 0;
  for (;;) {
    const bool moreA = a.Next(x), moreB = b.Next(y);
    if (!moreA || !moreB) return moreA == moreB ? written : moreA ? 1 : -1;  // the shorter first
    if (x == y) continue;
    const char16_t upperX = Upper(x), upperY = Upper(y);
    if (upperX != upperY) return upperX < upperY ? -1 : 1;
    if (written == 0) written = x < y ? -1 : 1;
  }
}

bool Collation::Less(std::u16string_view a, std::u16string_view b) const {
  return CompareUnits(Utf16Units{a.data(), a.data() + a.size()}, Utf16Units{b.data(), b.data() + b.size()}) < 0;
}

int Collation::Compare(std::string_view a, std::string_view b) const {
  const auto* x = reinterpret_cast<const std::uint8_t*>(a.data());
  const auto* y = reinterpret_cast<const std::uint8_t*>(b.data());
  // Equal bytes are equal code units: decode from the character where the
  // names part (names of a folder often share a beginning).
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t same = 0;
  while (same < common && x[same] == y[same]) ++same;
  if (same < common)
    while (same > 0 && (x[same] & 0xC0) == 0x80) --same;
  return CompareUnits(StoredUnits{x + same, x + a.size()}, StoredUnits{y + same, y + b.size()});
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(text, out);
  return out;
}

void AppendUtf8(std::u16string_view text, std::string& out) { Encode(text, out, false); }

bool AppendUnits(std::u16string_view text, std::string& out) { return Encode(text, out, true); }

void RepairLoneSurrogates(std::string& text) {
  // UTF-8 has no ED A0..ED BF: every such lead is a surrogate's, and U+FFFD
  // takes the same three bytes.
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (static_cast<std::uint8_t>(text[i]) == 0xED && (static_cast<std::uint8_t>(text[i + 1]) & 0xE0) == 0xA0) {
      text[i] = static_cast<char>(0xEF);
      text[i + 1] = static_cast<char>(0xBF);
      text[i + 2] = static_cast<char>(0xBD);
      i += 2;
    }
  }
}

}  // namespace diskview::ntfs
