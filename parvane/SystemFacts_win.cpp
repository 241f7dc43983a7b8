#include "parvane/SystemFactsWin.h"

#include <windows.h>
#include <winnetwk.h>

namespace parvane {
namespace {

std::string ToUtf8(const wchar_t* w, int length = -1) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, length, s.data(), n, nullptr, nullptr);
  if (length < 0 && !s.empty()) s.pop_back();  // the converted terminator
  return s;
}

std::wstring ToWide(std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::optional<std::string> Environment(std::string_view name) {
  const std::wstring wname = ToWide(name);
  DWORD needed = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring value(needed, L'\0');
  SetLastError(ERROR_SUCCESS);
  DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), needed);
  // A variable set to an empty text reads as 0 characters without an error;
  // it expands to nothing, unlike an unset one.
  if ((got == 0 && GetLastError() != ERROR_SUCCESS) || got >= needed) return std::nullopt;
  value.resize(got);
  return ToUtf8(value.c_str(), static_cast<int>(value.size()));
}

}  // namespace

SystemFacts QuerySystemFacts() {
  SystemFacts facts;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&info)) {
    facts.version = VersionRecord{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                                  info.dwPlatformId, ToUtf8(info.szCSDVersion)};
  }
  facts.ntFamily = (GetVersion() & 0x80000000u) == 0;
#pragma GCC diagnostic pop
  facts.environment = Environment;

  wchar_t computer[256] = {};
  DWORD size = 256;
  if (GetComputerNameW(computer, &size)) facts.computerName = ToUtf8(computer);

  wchar_t user[512] = {};
  DWORD userSize = 511;
  if (WNetGetUserW(nullptr, user, &userSize) == NO_ERROR) facts.userName = ToUtf8(user);
  return facts;
}

}  // namespace parvane
