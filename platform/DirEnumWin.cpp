#include "platform/DirEnumWin.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"

namespace platform {
namespace {

// One reusable name buffer per listing: no allocation per entry once it has
// grown. `tag` is the reparse tag, read only when the attribute says so.
// `written` is a FILETIME's 100 ns ticks since 1601.
void FillEntry(std::wstring_view name, DWORD attributes, DWORD tag, std::uint64_t size,
               std::uint64_t written, std::uint64_t fileId, std::string& nameBuffer,
               DirEntry& out) {
  out = DirEntry{};
  NarrowInto(name, nameBuffer);
  out.name = nameBuffer;
  out.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  out.reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  out.nameSurrogate = out.reparse && IsReparseTagNameSurrogate(tag);
  out.size = size;
  constexpr std::int64_t kTicksPerSecond = 10'000'000;
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  out.modified = static_cast<std::int64_t>(written / kTicksPerSecond) - kSecondsFrom1601To1970;
  out.modifiedFraction = static_cast<std::uint32_t>(written % kTicksPerSecond);
  out.fileId = out.directory ? 0 : fileId;
  out.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  out.system = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}

class WinListing final : public DirEnumerator::Listing {
 public:
  WinListing(HANDLE find, const WIN32_FIND_DATAW& first) : find_(find), data_(first) {}

  bool Next(DirEntry& out) override {
    if (!first_) {
      if (!FindNextFileW(find_.get(), &data_)) return false;
    }
    first_ = false;
    // The reparse tag is only valid in dwReserved0 when the attribute is set.
    const std::uint64_t size =
        (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    const std::uint64_t written =
        (static_cast<std::uint64_t>(data_.ftLastWriteTime.dwHighDateTime) << 32) |
        data_.ftLastWriteTime.dwLowDateTime;
    // FindFirstFileExW tells no file's index.
    FillEntry(data_.cFileName, data_.dwFileAttributes, data_.dwReserved0, size, written, 0, name_,
              out);
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

// --- Whole buffers of entries from ntdll --------------------------------
// The native calls are resolved by name at first use: the product links
// nothing beyond the system DLLs, and MinGW's import libraries lack some.

using NtStatus = LONG;
constexpr NtStatus kNoMoreFiles = static_cast<NtStatus>(0x80000006);

struct NtString {
  USHORT length;  // bytes
  USHORT maximumLength;
  PWSTR buffer;
};

struct NtObjectAttributes {
  ULONG length;
  HANDLE rootDirectory;
  NtString* objectName;
  ULONG attributes;
  void* securityDescriptor;
  void* securityQualityOfService;
};

struct NtIoStatus {
  union {
    NtStatus status;
    void* pointer;
  };
  ULONG_PTR information;
};

// The fixed part of FILE_ID_FULL_DIR_INFORMATION: what FindExInfoBasic
// needs, without the short name, and the file's index on its volume (what
// a handle to it reports as its file index). EaSize carries the reparse tag
// when the entry is a reparse point, which is where FindFirstFileExW takes
// dwReserved0 from.
struct FullDirEntry {
  ULONG nextEntryOffset;
  ULONG fileIndex;  // not the file's: its place in the folder, on some systems
  LARGE_INTEGER creationTime;
  LARGE_INTEGER lastAccessTime;
  LARGE_INTEGER lastWriteTime;
  LARGE_INTEGER changeTime;
  LARGE_INTEGER endOfFile;
  LARGE_INTEGER allocationSize;
  ULONG fileAttributes;
  ULONG fileNameLength;  // bytes
  ULONG eaSize;
  LARGE_INTEGER fileId;
};
// The name follows the file's index.
constexpr std::size_t kFullDirNameOffset = sizeof(FullDirEntry);
static_assert(kFullDirNameOffset == 0x50);
constexpr int kFileIdFullDirectoryInformation = 38;

constexpr ULONG kObjCaseInsensitive = 0x40;
constexpr ULONG kFileDirectoryFile = 0x1;
constexpr ULONG kFileSynchronousIoNonalert = 0x20;
constexpr ULONG kFileOpenForBackupIntent = 0x4000;

struct NtDirCalls {
  using DosToNtWithStatus = NtStatus(NTAPI*)(PCWSTR, NtString*, PWSTR*, void*);
  using DosToNt = BOOLEAN(NTAPI*)(PCWSTR, NtString*, PWSTR*, void*);
  using FreeString = void(NTAPI*)(NtString*);
  using OpenFile = NtStatus(NTAPI*)(HANDLE*, ACCESS_MASK, NtObjectAttributes*, NtIoStatus*, ULONG,
                                    ULONG);
  using QueryDirectory = NtStatus(NTAPI*)(HANDLE, HANDLE, void*, void*, NtIoStatus*, void*, ULONG,
                                          int, BOOLEAN, NtString*, BOOLEAN);
  using Close = NtStatus(NTAPI*)(HANDLE);

  DosToNtWithStatus dosToNtWithStatus = nullptr;
  DosToNt dosToNt = nullptr;
  FreeString freeString = nullptr;
  OpenFile openFile = nullptr;
  QueryDirectory queryDirectory = nullptr;
  Close close = nullptr;

  bool Usable() const {
    return (dosToNtWithStatus || dosToNt) && freeString && openFile && queryDirectory && close;
  }

  // Resolved once; a function-local static is initialised once even when
  // several scanning threads get here together.
  static const NtDirCalls& Get() {
    static const NtDirCalls calls = [] {
      NtDirCalls c;
      HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
      if (ntdll == nullptr) return c;
      auto find = [ntdll](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
      };
      find(c.dosToNtWithStatus, "RtlDosPathNameToNtPathName_U_WithStatus");
      find(c.dosToNt, "RtlDosPathNameToNtPathName_U");
      find(c.freeString, "RtlFreeUnicodeString");
      find(c.openFile, "NtOpenFile");
      find(c.queryDirectory, "NtQueryDirectoryFile");
      find(c.close, "NtClose");
      return c;
    }();
    return calls;
  }
};

// 64 KiB is the most a single request takes on some network redirectors,
// and enough for several hundred entries.
constexpr ULONG kBatchBytes = 64 * 1024;

class NtListing final : public DirEnumerator::Listing {
 public:
  NtListing(HANDLE dir, bool driveRoot) : dir_(dir), driveRoot_(driveRoot) {}
  ~NtListing() override { NtDirCalls::Get().close(dir_); }
  NtListing(const NtListing&) = delete;
  NtListing& operator=(const NtListing&) = delete;

  // Reads the next batch; false at the end or on an error, as FindNextFileW
  // ends a listing on either. The first read sends the pattern "*" as
  // FindFirstFileExW does.
  bool Fill(bool first) {
    // Read into a full-size buffer, keep only the bytes got: a scan holds a
    // listing open per level of a deep tree. No thread_local scratch: the
    // thread-exit destructors of MinGW's emulated TLS are not to be trusted.
    const std::unique_ptr<std::byte[]> batch(new std::byte[kBatchBytes]);
    NtIoStatus io{};
    wchar_t star[] = L"*";
    NtString mask{sizeof(wchar_t), sizeof star, star};
    const NtStatus status = NtDirCalls::Get().queryDirectory(
        dir_, nullptr, nullptr, nullptr, &io, batch.get(), kBatchBytes,
        kFileIdFullDirectoryInformation, FALSE, first ? &mask : nullptr, first ? TRUE : FALSE);
    if (status < 0 || status == kNoMoreFiles || io.information == 0) return false;
    const std::size_t got = std::min<std::size_t>(io.information, kBatchBytes);
    data_.assign(batch.get(), batch.get() + got);
    pos_ = 0;
    return true;
  }

  bool Next(DirEntry& out) override {
    for (;;) {
      if (pos_ >= data_.size()) {
        if (ended_ || !Fill(false)) {
          ended_ = true;
          return false;
        }
      }
      FullDirEntry head;
      if (data_.size() - pos_ < kFullDirNameOffset) return End();
      std::memcpy(&head, data_.data() + pos_, kFullDirNameOffset);
      const std::size_t nameAt = pos_ + kFullDirNameOffset;
      if (head.fileNameLength > data_.size() - nameAt) return End();
      const std::wstring_view name(reinterpret_cast<const wchar_t*>(data_.data() + nameAt),
                                   head.fileNameLength / sizeof(wchar_t));
      pos_ = head.nextEntryOffset != 0 ? pos_ + head.nextEntryOffset : data_.size();
      // FindFirstFileExW leaves out "." and ".." at the root of a drive.
      if (driveRoot_ && (name == L"." || name == L"..")) continue;
      const std::uint64_t size = static_cast<std::uint64_t>(head.endOfFile.QuadPart);
      FillEntry(name, head.fileAttributes, head.eaSize, size,
                static_cast<std::uint64_t>(head.lastWriteTime.QuadPart),
                static_cast<std::uint64_t>(head.fileId.QuadPart), name_, out);
      return true;
    }
  }

 private:
  // A malformed batch ends the listing rather than reading past it.
  bool End() {
    ended_ = true;
    pos_ = data_.size();
    return false;
  }

  HANDLE dir_;
  bool driveRoot_;
  bool ended_ = false;
  std::vector<std::byte> data_;
  std::size_t pos_ = 0;
  std::string name_;
};

// The folder's NT path from the same pattern FindFirstFileExW gets, so both
// resolve relative, long and oddly named paths alike: the pattern's "*" is
// cut, and the separator before it unless that ends a drive root.
bool NtFolderPath(const std::wstring& pattern, std::wstring& out) {
  const NtDirCalls& nt = NtDirCalls::Get();
  NtString converted{};
  bool ok = false;
  if (nt.dosToNtWithStatus != nullptr) {
    ok = nt.dosToNtWithStatus(pattern.c_str(), &converted, nullptr, nullptr) >= 0;
  } else {
    ok = nt.dosToNt(pattern.c_str(), &converted, nullptr, nullptr) != FALSE;
  }
  if (!ok) return false;
  out.assign(converted.buffer, converted.length / sizeof(wchar_t));
  nt.freeString(&converted);
  if (out.size() < 2 || out.back() != L'*' || out[out.size() - 2] != L'\\') return false;
  out.pop_back();
  if (out.size() >= 2 && out[out.size() - 2] != L':') out.pop_back();
  return true;
}

// "\??\C:\" (with any number of separators after the colon), as
// FindFirstFileExW tells a drive root.
bool IsDriveRoot(const std::wstring& ntPath) {
  if (ntPath.size() < 6 || ntPath[5] != L':') return false;
  return ntPath.find_first_not_of(L'\\', 6) == std::wstring::npos;
}

std::unique_ptr<NtListing> OpenBuffered(const std::wstring& pattern) {
  const NtDirCalls& nt = NtDirCalls::Get();
  if (!nt.Usable()) return nullptr;
  std::wstring path;
  if (!NtFolderPath(pattern, path) || path.size() * sizeof(wchar_t) > 0xFFFF) return nullptr;
  NtString name{static_cast<USHORT>(path.size() * sizeof(wchar_t)),
                static_cast<USHORT>(path.size() * sizeof(wchar_t)), path.data()};
  NtObjectAttributes attributes{sizeof attributes, nullptr, &name, kObjCaseInsensitive,
                                nullptr, nullptr};
  NtIoStatus io{};
  HANDLE dir = nullptr;
  // What FindFirstFileExW itself asks for: list access, sharing everything,
  // a folder, synchronous reads, and backup intent for privileged callers.
  const NtStatus status = nt.openFile(
      &dir, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &io,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      kFileDirectoryFile | kFileSynchronousIoNonalert | kFileOpenForBackupIntent);
  if (status < 0) return nullptr;
  auto listing = std::make_unique<NtListing>(dir, IsDriveRoot(path));
  if (!listing->Fill(true)) return nullptr;
  return listing;
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
  if (method_ != Method::FindFile) {
    // Any refusal before the first entry goes to FindFirstFileExW, which
    // then gives its own verdict: a folder that cannot be listed stays so.
    if (auto listing = OpenBuffered(pattern)) return listing;
    if (method_ == Method::NativeOnly) return nullptr;
  }
  WIN32_FIND_DATAW data;
  // Listing opens the folder only, never a file in it, so cloud
  // placeholders are not recalled.
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<WinListing>(find, data);
}

}  // namespace platform
