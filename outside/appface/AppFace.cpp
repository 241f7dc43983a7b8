// AppFace.dll: the skin engine that Dravon loads at run time. SkinStart
// reads a skin file (outside/SkinFile.h) and skins every window of the
// calling thread with it; SkinRemove puts the thread's windows back. How it
// skins is told in outside/appface/Engine.h.
#include <windows.h>

#include <optional>
#include <string>

#include "outside/SkinFile.h"
#include "outside/appface/Engine.h"
#include "platform/DpiWin.h"

namespace {

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

// The file's bytes; empty when it cannot be read or is too long to be a skin.
std::optional<std::string> ReadSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> text;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(outside::kMaxSkinFileBytes)) {
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) && read == data.size()) {
      text = std::move(data);
    }
  }
  CloseHandle(file);
  return text;
}

}  // namespace

// Skins the calling thread's windows, those there are and those to come,
// with the skin file at `path`; a second call with another file switches
// skins. The other arguments (a resource name, a mode, a type and a section,
// as callers of other engines pass them) are accepted and not used. 1 when
// the skin is on; 0 when the file is missing or not a skin file, or another
// thread of the process is skinned: then the look stays as it was.
extern "C" int SkinStart(const char* path, const char* /*resource*/, int /*mode*/, int /*type*/,
                         const char* /*section*/) {
  if (path == nullptr || *path == '\0') return 0;
  try {
    const auto text = ReadSmallFile(WidePath(path));
    if (!text) return 0;
    const auto skin = outside::ParseSkinFile(*text);
    if (!skin || !appface::StartSkinning(*skin)) return 0;
    OutputDebugStringA(("AppFace: skin " + skin->name + " on\n").c_str());
    return 1;
  } catch (...) {
    return 0;  // nothing may cross into the caller
  }
}

// Ends skinning on the calling thread and repaints its windows as they
// were. 1 when no skin is on afterwards; 0 when another thread is the
// skinned one, which stays skinned.
extern "C" int SkinRemove() {
  try {
    if (!appface::Skinning()) return 1;
    if (!appface::StopSkinning()) return 0;
    OutputDebugStringA("AppFace: skin off\n");
    return 1;
  } catch (...) {
    return 0;
  }
}

// For tests, as Windows cannot move a window between monitors under them:
// the engine draws every window as if at `dpi` (0: at its own again). The
// window is then told by WM_DPICHANGED, as Windows would tell it.
extern "C" void SkinTestDpi(unsigned dpi) { platform::dpi::g_forced = dpi; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  // While skinning, the engine holds a reference on this library, so it is
  // detached with a skin on only when the process ends: the program's
  // imports are put back, and its windows, which end with it, are left be.
  if (reason == DLL_PROCESS_DETACH && reserved != nullptr) appface::RestoreImportsAtExit();
  return TRUE;
}
