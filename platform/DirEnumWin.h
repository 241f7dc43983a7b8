// Directory listing with FindFirstFileExW: basic information only (no short
// names) and large fetches, the fastest way Win32 offers to walk a volume.
// Folder paths longer than the classic limit are listed through the "\\?\"
// form, so deep trees are scanned rather than silently cut off.
#pragma once

#include "platform/DirEnum.h"

namespace platform {

class DirEnumWin final : public DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '\\'; }
};

// The UTF-16 pattern FindFirstFileExW gets for a UTF-8 folder path ending in
// a backslash (or empty for the current directory). Exposed for tests.
std::wstring FindPatternFor(const std::string& folder);

}  // namespace platform
