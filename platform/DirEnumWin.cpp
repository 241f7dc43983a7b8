#include "platform/DirEnumWin.h"

#include <windows.h>

#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"

namespace platform {
namespace {

class WinListing final : public DirEnumerator::Listing {
 public:
  WinListing(HANDLE find, const WIN32_FIND_DATAW& first) : find_(find), data_(first) {}

  bool Next(DirEntry& out) override {
    if (!first_) {
      if (!FindNextFileW(find_.get(), &data_)) return false;
    }
    first_ = false;
    out = DirEntry{};
    // One reusable buffer: no allocation per entry once it has grown.
    NarrowInto(data_.cFileName, name_);
    out.name = name_;
    DWORD attributes = data_.dwFileAttributes;
    out.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // The reparse tag is only valid in dwReserved0 when the attribute is set.
    out.nameSurrogate = out.reparse && IsReparseTagNameSurrogate(data_.dwReserved0);
    out.size = (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    return true;
  }

 private:
  UniqueFind find_;
  WIN32_FIND_DATAW data_;
  bool first_ = true;
  std::string name_;
};

// Win32 path parsing drops the dots and blanks that end a name, so a folder
// named "a." or "b " is reached only through the "\\?\" form, which takes
// names as they are.
bool HasNameTheParserCuts(const std::wstring& path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\') continue;
    const std::wstring_view name(path.data() + start, i - start);
    const bool dotOrBlank = !name.empty() && (name.back() == L'.' || name.back() == L' ');
    if (dotOrBlank && name != L"." && name != L"..") return true;
    start = i + 1;
  }
  return false;
}

}  // namespace

std::wstring FindPatternFor(const std::string& folder) {
  std::wstring path = Widen(folder);
  // The classic limit counts the pattern and the terminator; beyond it, or
  // for a name the parser would cut, the "\\?\" form is needed, and that
  // form takes only absolute paths.
  const bool cut = HasNameTheParserCuts(path);
  if (path.size() + 2 >= MAX_PATH || cut) {
    bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
    bool already = path.rfind(L"\\\\?\\", 0) == 0;
    bool drive = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    if (!already) {
      if (unc) {
        path = L"\\\\?\\UNC\\" + path.substr(2);
      } else if (drive && cut) {
        // Already absolute: the full-path call would cut the names again.
        path = L"\\\\?\\" + path;
      } else {
        DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
        if (n > 0) {
          std::wstring full(n, L'\0');
          n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
          full.resize(n);
          path = L"\\\\?\\" + full;
        }
      }
    }
  }
  // "*" matches what "*.*" matches on every NT file system, and stays exact
  // under the "\\?\" form, where no wildcard translation takes place.
  return path + L"*";
}

std::unique_ptr<DirEnumerator::Listing> DirEnumWin::Open(const std::string& folder) {
  std::wstring pattern = FindPatternFor(folder);
  WIN32_FIND_DATAW data;
  // Listing never opens a file, so cloud placeholders are not recalled.
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<WinListing>(find, data);
}

}  // namespace platform
