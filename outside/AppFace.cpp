// AppFace.dll stand-in: the skin engine that Dravon loads at run time. It
// reads the skin file it is given and records that skinning is on; drawing
// the program's windows in the skin's colours is left to the real engine.
#include <windows.h>

#include <optional>
#include <string>

#include "outside/SkinFile.h"

namespace {

struct SkinState {
  bool on = false;
  outside::SkinFile skin;
};
SkinState g_state;

// The caller passes a narrow path: UTF-8 from a Unicode program, the ANSI
// code page from an older one. Strict UTF-8 first, then the code page.
std::wstring WidePath(const char* path) {
  for (UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(codePage, flags, path, -1, nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, path, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
  }
  return {};
}

// A skin file is small; anything over 64 KiB is not one.
std::optional<std::string> ReadSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> text;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart <= 64 * 1024) {
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) && read == data.size())
      text = std::move(data);
  }
  CloseHandle(file);
  return text;
}

}  // namespace

// Starts skinning from the skin file at `path`; the other arguments select
// the real engine's modes and are not used here. 1 when the file was read
// and is a skin file, else 0 (and the look stays as it was).
extern "C" int SkinStart(const char* path, const char* /*resource*/, int /*mode*/, int /*type*/,
                         const char* /*section*/) {
  if (path == nullptr || *path == '\0') return 0;
  try {
    const auto text = ReadSmallFile(WidePath(path));
    if (!text) return 0;
    auto skin = outside::ParseSkinFile(*text);
    if (!skin) return 0;
    g_state.skin = std::move(*skin);
    g_state.on = true;
    OutputDebugStringA(("AppFace: skin " + g_state.skin.name + " on\n").c_str());
    return 1;
  } catch (...) {
    return 0;  // nothing may cross into the caller
  }
}

// Ends skinning. Always 1.
extern "C" int SkinRemove() {
  if (g_state.on) OutputDebugStringA("AppFace: skin off\n");
  g_state = {};
  return 1;
}
