// Directory listing for Windows. The usual way reads whole buffers of
// entries from the file system (NtQueryDirectoryFile, 64 KiB at a time, with
// sizes, attributes and reparse tags but no short names); FindFirstFileExW
// (basic information, large fetches) is the fallback where the native call
// is missing or refuses the request, and gives the same entries in the same
// order. Folder paths longer than the classic limit are listed through the
// "\\?\" form, so deep trees are scanned rather than silently cut off.
// Open may be called from several threads at once; a listing belongs to one.
#pragma once

#include "platform/DirEnum.h"

namespace platform {

class DirEnumWin final : public DirEnumerator {
 public:
  enum class Method {
    Buffered,  // NtQueryDirectoryFile, falling back to FindFirstFileExW
    FindFile,  // FindFirstFileExW only (tests and benchmarks compare the two)
    NativeOnly,  // NtQueryDirectoryFile without the fallback (tests only)
  };

  explicit DirEnumWin(Method method = Method::Buffered) : method_(method) {}

  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '\\'; }

 private:
  Method method_;
};

// The UTF-16 pattern FindFirstFileExW gets for a UTF-8 folder path ending in
// a backslash (or empty for the current directory). Exposed for tests.
std::wstring FindPatternFor(const std::string& folder);

}  // namespace platform
