#include "framework/DialogTemplate.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <type_traits>

namespace afx {

bool TemplateItem::IsStatic() const {
  return classOrdinal == 0x0082 || (classOrdinal == 0 && _wcsicmp(className.c_str(), WC_STATICW) == 0);
}

namespace {

// Reads the template's words, never past its end.
class Reader {
 public:
  Reader(const BYTE* begin, DWORD size) : at_(begin), begin_(begin), end_(begin + size) {}
  bool Ok() const { return ok_; }
  WORD Word() {
    if (end_ - at_ < 2) return Fail<WORD>();
    WORD w;
    std::memcpy(&w, at_, 2);
    at_ += 2;
    return w;
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  POINT Point() {
    const auto x = static_cast<SHORT>(Word());
    return POINT{x, static_cast<SHORT>(Word())};
  }
  void Skip(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - at_) < bytes) return Fail<void>();
    at_ += bytes;
  }
  void AlignDword() { Skip(static_cast<std::size_t>((4 - (at_ - begin_) % 4) % 4)); }
  // A string, or 0xFFFF and a number: the number in `ordinal`.
  std::wstring SzOrOrd(WORD* ordinal = nullptr) {
    std::wstring text;
    const WORD first = Word();
    if (first == 0xFFFF) {
      const WORD n = Word();
      if (ordinal) *ordinal = n;
      return text;
    }
    for (WORD c = first; ok_ && c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }

 private:
  template <class T>
  T Fail() {
    ok_ = false;
    at_ = end_;
    if constexpr (!std::is_void_v<T>) return T{};
  }
  const BYTE* at_;
  const BYTE* begin_;
  const BYTE* end_;
  bool ok_ = true;
};

}  // namespace

std::vector<TemplateItem> DialogTemplateItems(HINSTANCE module, UINT templateId) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), reinterpret_cast<LPCWSTR>(RT_DIALOG));
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const auto* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
  if (!data) return {};
  Reader r(data, ::SizeofResource(module, found));
  const WORD version = r.Word();
  const bool extended = r.Word() == 0xFFFF && version == 1;
  DWORD style = 0;
  WORD count = 0;
  if (extended) {
    r.Skip(8);  // help id, extended style
    style = r.Dword();
  } else {
    r = Reader(data, ::SizeofResource(module, found));
    style = r.Dword();
    r.Skip(4);  // extended style
  }
  count = r.Word();
  r.Skip(8);  // x, y, cx, cy
  r.SzOrOrd();  // menu
  r.SzOrOrd();  // class
  r.SzOrOrd();  // caption
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    r.Skip(extended ? 6 : 2);  // point size (and weight, italic, character set)
    r.SzOrOrd();
  }
  std::vector<TemplateItem> items;
  for (WORD i = 0; i < count && r.Ok(); ++i) {
    r.AlignDword();
    TemplateItem item;
    if (extended) {
      r.Skip(8);  // help id, extended style
      item.style = r.Dword();
      item.at = r.Point();
      r.Skip(4);  // cx, cy
      item.id = r.Dword();
    } else {
      item.style = r.Dword();
      r.Skip(4);  // extended style
      item.at = r.Point();
      r.Skip(4);  // cx, cy
      item.id = r.Word();
    }
    item.className = r.SzOrOrd(&item.classOrdinal);
    r.SzOrOrd(&item.titleOrdinal);
    r.Skip(r.Word());  // creation data
    if (r.Ok()) items.push_back(std::move(item));
  }
  return items;
}

}  // namespace afx
