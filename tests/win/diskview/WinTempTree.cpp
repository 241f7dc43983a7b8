#include "tests/win/diskview/WinTempTree.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace diskview::test {

namespace {

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Long(folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + name;
      SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A link is removed as itself, never entered.
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveTree(path + L"\\");
        RemoveDirectoryW(Long(path).c_str());
      } else {
        DeleteFileW(Long(path).c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(Long(folder).c_str());
}

}  // namespace

WinTempTree::WinTempTree() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  wchar_t full[MAX_PATH];
  GetLongPathNameW(temp, full, MAX_PATH);
  root_ = std::wstring(full) + L"dravon-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(GetTickCount64()) + L"\\";
  CreateDirectoryW(root_.c_str(), nullptr);
}

WinTempTree::~WinTempTree() { RemoveTree(root_); }

std::wstring WinTempTree::Full(const std::wstring& relative) const { return root_ + relative; }

bool WinTempTree::Folder(const std::wstring& relative) {
  return CreateDirectoryW(Long(Full(relative)).c_str(), nullptr) != 0;
}

bool WinTempTree::File(const std::wstring& relative, std::uint64_t bytes, DWORD attributes) {
  HANDLE file = CreateFileW(Long(Full(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  if (bytes > 0) {
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(bytes);
    ok = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  }
  CloseHandle(file);
  if (ok && attributes != 0) ok = SetFileAttributesW(Long(Full(relative)).c_str(), attributes) != 0;
  return ok;
}

bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  HANDLE dir = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return false;
  const std::wstring substitute = L"\\??\\" + target;
  const std::wstring print = target;
  // The mount-point layout of REPARSE_DATA_BUFFER: tag, length, reserved,
  // then four offsets/lengths and the two names, each NUL-terminated.
  std::vector<BYTE> buffer(8 + 8 + (substitute.size() + print.size() + 2) * sizeof(wchar_t));
  auto put16 = [&](std::size_t at, std::size_t v) {
    buffer[at] = static_cast<BYTE>(v);
    buffer[at + 1] = static_cast<BYTE>(v >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, 4);
  put16(4, buffer.size() - 8);
  const std::size_t subBytes = substitute.size() * sizeof(wchar_t);
  const std::size_t printBytes = print.size() * sizeof(wchar_t);
  put16(8, 0);
  put16(10, subBytes);
  put16(12, subBytes + sizeof(wchar_t));
  put16(14, printBytes);
  std::memcpy(buffer.data() + 16, substitute.c_str(), subBytes + sizeof(wchar_t));
  std::memcpy(buffer.data() + 16 + subBytes + sizeof(wchar_t), print.c_str(),
              printBytes + sizeof(wchar_t));
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(dir, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                  static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(dir);
  return ok != 0;
}

}  // namespace diskview::test
