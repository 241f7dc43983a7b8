#include "outside/scavra/SystemWin.h"

#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>
#include <vector>

#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"

namespace scavra {
namespace {

using platform::Narrow;
using platform::UniqueFile;
using platform::Widen;

std::string WithSeparator(std::wstring folder) {
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  return Narrow(folder);
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path))) out = path;
  CoTaskMemFree(path);
  return out;
}

std::wstring Below(const std::wstring& base, const wchar_t* relative) {
  if (base.empty()) return {};
  return base + (base.back() == L'\\' ? L"" : L"\\") + relative;
}

// Opens `path` for deletion and attribute changes without following a
// reparse point at its end; a folder opens too (backup semantics).
UniqueFile OpenForDeletion(const std::string& path) {
  return UniqueFile(CreateFileW(LongPathForm(path).c_str(),
                                DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
}

std::wstring FinalPath(HANDLE file) {
  std::wstring out(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(file, out.data(), static_cast<DWORD>(out.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < out.size()) {
      out.resize(n);
      return out;
    }
    out.resize(n + 1);
  }
}

// The handle's object name ("\Device\HarddiskVolume2\..."), the same
// final path in the kernel's own form. Asked where the call above cannot
// answer: Wine's takes only names up to the classic limit.
std::wstring ObjectName(HANDLE file) {
  struct Name {
    USHORT length;  // bytes
    USHORT maximumLength;
    PWSTR buffer;
  };
  using Query = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  constexpr int kObjectNameInformation = 1;
  if (query == nullptr) return {};
  // A name is at most 32 767 characters.
  std::vector<std::byte> buffer(sizeof(Name) + 65536);
  ULONG got = 0;
  if (query(file, kObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &got) <
      0) {
    return {};
  }
  const auto* name = reinterpret_cast<const Name*>(buffer.data());
  return std::wstring(name->buffer, name->length / sizeof(wchar_t));
}

// Whether `path` lies strictly below `root` (ending in '\'), ignoring case
// as the file system does.
bool FinalPathBelow(const std::wstring& root, const std::wstring& path) {
  if (root.empty() || path.size() <= root.size()) return false;
  return CompareStringOrdinal(root.data(), static_cast<int>(root.size()), path.data(),
                              static_cast<int>(root.size()), TRUE) == CSTR_EQUAL;
}

bool SetAttributes(HANDLE file, FILE_BASIC_INFO info, DWORD attributes) {
  info.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  // Zero times are left as they are.
  info.CreationTime.QuadPart = info.LastAccessTime.QuadPart = 0;
  info.LastWriteTime.QuadPart = info.ChangeTime.QuadPart = 0;
  return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
}

bool MarkForDeletion(HANDLE file) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof disposition) != FALSE;
}

bool Missing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::string PlaceFolder(Place place) {
  switch (place) {
    case Place::UserTemp: {
      wchar_t buffer[MAX_PATH + 1];
      const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
      return n == 0 || n > MAX_PATH ? std::string() : WithSeparator(std::wstring(buffer, n));
    }
    case Place::WindowsTemp:
      return WithSeparator(Below(KnownFolder(FOLDERID_Windows), L"Temp"));
    case Place::ExplorerCache:
      return WithSeparator(Below(KnownFolder(FOLDERID_LocalAppData), L"Microsoft\\Windows\\Explorer"));
    case Place::CrashDumps:
      return WithSeparator(Below(KnownFolder(FOLDERID_LocalAppData), L"CrashDumps"));
    case Place::ReportArchive:
      return WithSeparator(
          Below(KnownFolder(FOLDERID_ProgramData), L"Microsoft\\Windows\\WER\\ReportArchive"));
    case Place::ReportQueue:
      return WithSeparator(
          Below(KnownFolder(FOLDERID_ProgramData), L"Microsoft\\Windows\\WER\\ReportQueue"));
  }
  return {};
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesW(LongPathForm(folder).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FolderWritable(const std::string& folder) {
  // The rights a clean-up uses in the folder; the open is refused without
  // them (the backup flag only lets a folder be opened at all).
  const UniqueFile handle(CreateFileW(LongPathForm(folder).c_str(),
                                      FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return handle.ok();
}

bool QueryRecycleBins(BinFigures& out) {
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(SHQueryRecycleBinW(nullptr, &info))) return false;
  out.files = static_cast<std::uint64_t>(info.i64NumItems);
  out.bytes = static_cast<std::uint64_t>(info.i64Size);
  return true;
}

bool EmptyRecycleBins() {
  return SUCCEEDED(SHEmptyRecycleBinW(nullptr, nullptr,
                                      SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND));
}

std::wstring LongPathForm(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.size() > 2 && wide[0] == L'\\' && wide[1] == L'\\') {
    return L"\\\\?\\UNC\\" + wide.substr(2);
  }
  if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  return wide;  // relative: left to the parser
}

const std::wstring& RemoverWin::FinalRoot(const std::string& root) {
  if (root != lastRoot_) {
    lastRoot_ = root;
    lastFinalRoot_.clear();
    const UniqueFile handle(CreateFileW(LongPathForm(root).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    if (handle.ok()) {
      lastFinalRoot_ = FinalPath(handle.get());
      lastRootObject_ = ObjectName(handle.get());
    }
    for (std::wstring* form : {&lastFinalRoot_, &lastRootObject_}) {
      if (!form->empty() && form->back() != L'\\') *form += L'\\';
    }
  }
  return lastFinalRoot_;
}

bool RemoverWin::InsideRoot(void* handle) const {
  const std::wstring final = FinalPath(handle);
  if (!final.empty()) return FinalPathBelow(lastFinalRoot_, final);
  return FinalPathBelow(lastRootObject_, ObjectName(handle));
}

Remover::Outcome RemoverWin::RemoveFile(const std::string& root, const std::string& path,
                                        bool clearReadOnly) {
  FinalRoot(root);
  const UniqueFile file = OpenForDeletion(path);
  if (!file.ok()) return Missing(GetLastError()) ? Outcome::Gone : Outcome::Skipped;
  FILE_BASIC_INFO info{};
  if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &info, sizeof info)) {
    return Outcome::Skipped;
  }
  const DWORD attributes = info.FileAttributes;
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  // A folder (one put in the file's place since the scan) and a system
  // file are not ours; nor is anything whose final path leaves the root.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) return Outcome::Skipped;
  if ((attributes & FILE_ATTRIBUTE_SYSTEM) != 0) return Outcome::Skipped;
  if (!InsideRoot(file.get())) return Outcome::Skipped;
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly) {
    if (!clearReadOnly) return Outcome::Skipped;
    if (!SetAttributes(file.get(), info, attributes & ~FILE_ATTRIBUTE_READONLY)) {
      return Outcome::Skipped;
    }
  }
  if (MarkForDeletion(file.get())) return Outcome::Removed;
  if (readOnly) SetAttributes(file.get(), info, attributes);  // as it was
  return Outcome::Skipped;
}

bool RemoverWin::RemoveEmptyFolder(const std::string& root, const std::string& path) {
  FinalRoot(root);
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  const UniqueFile handle = OpenForDeletion(folder);
  if (!handle.ok()) return false;
  FILE_BASIC_INFO info{};
  if (!GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &info, sizeof info)) return false;
  // A junction put in the folder's place is not what the scan found.
  const DWORD attributes = info.FileAttributes;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_SYSTEM)) != 0) {
    return false;
  }
  if (!InsideRoot(handle.get())) return false;
  // Refused for a folder that is not empty.
  return MarkForDeletion(handle.get());
}

}  // namespace scavra
