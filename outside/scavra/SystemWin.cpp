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
// reparse point at its end; a folder opens too (backup semantics). A file
// is opened without sharing writes: one another program has open for
// writing is in use, and nothing writes it between the checks on the
// handle and its removal.
UniqueFile OpenForDeletion(const std::string& path, bool folder) {
  const DWORD share =
      FILE_SHARE_READ | FILE_SHARE_DELETE | (folder ? static_cast<DWORD>(FILE_SHARE_WRITE) : 0);
  return UniqueFile(CreateFileW(LongPathForm(path).c_str(),
                                DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, share,
                                nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
}

// Opens the folder `folder` to read its attributes, whoever holds it.
UniqueFile OpenFolder(const std::string& folder) {
  return UniqueFile(CreateFileW(LongPathForm(folder).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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

// What the open handle says of its file, and its attributes as they are;
// false when it says nothing.
bool FactsOf(HANDLE file, FileFacts& out, DWORD* attributesOut = nullptr) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  const std::uint64_t written =
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
      info.ftLastWriteTime.dwLowDateTime;
  constexpr std::uint64_t kTicksPerSecond = 10'000'000;
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  out = FileFacts{};
  out.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  out.modified = static_cast<std::int64_t>(written / kTicksPerSecond) - kSecondsFrom1601To1970;
  out.modifiedFraction = static_cast<std::uint32_t>(written % kTicksPerSecond);
  out.volume = info.dwVolumeSerialNumber;
  out.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  out.links = info.nNumberOfLinks;
  const DWORD attributes = info.dwFileAttributes;
  out.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  out.system = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  out.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  out.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (attributesOut != nullptr) *attributesOut = attributes;
  return true;
}

bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO info{};  // zero times are left as they are
  info.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
}

bool MarkForDeletion(HANDLE file) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof disposition) != FALSE;
}

// Marks a read-only file for deletion without touching its attribute
// (Windows 10 1809 and later, on file systems that take the request).
bool MarkForDeletionIgnoringReadOnly(HANDLE file) {
  struct DispositionEx {
    ULONG flags;
  };
  constexpr ULONG kDelete = 0x1;
  constexpr ULONG kIgnoreReadOnly = 0x10;
  constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
  DispositionEx disposition{kDelete | kIgnoreReadOnly};
  return SetFileInformationByHandle(file, kFileDispositionInfoEx, &disposition,
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
    const UniqueFile handle = OpenFolder(root);
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

bool RemoverWin::Inspect(const std::string&, const std::string& path, FileFacts& out) {
  // Reading attributes is granted whoever holds the file, and opens no
  // cloud placeholder's contents.
  const UniqueFile file(CreateFileW(LongPathForm(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
  return file.ok() && FactsOf(file.get(), out);
}

bool RemoverWin::RootVolume(const std::string& root, std::uint64_t& out) {
  const UniqueFile folder = OpenFolder(root);
  FileFacts facts;
  if (!folder.ok() || !FactsOf(folder.get(), facts)) return false;
  out = facts.volume;
  return true;
}

Remover::Outcome RemoverWin::RemoveFile(const std::string& root, const std::string& path,
                                        const StillJunk& stillJunk) {
  FinalRoot(root);
  const UniqueFile file = OpenForDeletion(path, false);
  if (!file.ok()) return Missing(GetLastError()) ? Outcome::Gone : Outcome::Skipped;
  FileFacts facts;
  DWORD attributes = 0;
  if (!FactsOf(file.get(), facts, &attributes)) return Outcome::Skipped;
  // A folder (one put in the file's place since the scan) and a system
  // file are not ours; nor is anything whose final path leaves the root,
  // or that is no longer the file the scan found.
  if (facts.directory && !facts.link) return Outcome::Skipped;
  if (facts.system) return Outcome::Skipped;
  if (!InsideRoot(file.get())) return Outcome::Skipped;
  if (!stillJunk(facts)) return Outcome::Skipped;
  if (!facts.readOnly) return MarkForDeletion(file.get()) ? Outcome::Removed : Outcome::Skipped;
  if (MarkForDeletionIgnoringReadOnly(file.get())) return Outcome::Removed;
  // Without that request the attribute must go first. It belongs to the
  // file, not the name: a file with other names (a hard link from
  // elsewhere) would lose it there too, so such a file stays.
  if (facts.links > 1) return Outcome::Skipped;
  if (!SetAttributes(file.get(), attributes & ~FILE_ATTRIBUTE_READONLY)) return Outcome::Skipped;
  if (MarkForDeletion(file.get())) return Outcome::Removed;
  SetAttributes(file.get(), attributes);  // as it was
  return Outcome::Skipped;
}

bool RemoverWin::RemoveEmptyFolder(const std::string& root, const std::string& path) {
  FinalRoot(root);
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  const UniqueFile handle = OpenForDeletion(folder, true);
  if (!handle.ok()) return false;
  FileFacts facts;
  if (!FactsOf(handle.get(), facts)) return false;
  // A junction put in the folder's place is not what the scan found.
  if (!facts.directory || facts.link || facts.system) return false;
  if (!InsideRoot(handle.get())) return false;
  // Refused for a folder that is not empty.
  return MarkForDeletion(handle.get());
}

}  // namespace scavra
