#include "parvane/SystemFactsWin.h"

#include <windows.h>
#include <winnetwk.h>

#include "platform/OsVersion.h"
#include "platform/TextWin.h"

namespace parvane {
namespace {

std::optional<std::string> Environment(std::string_view name) {
  const std::wstring wname = platform::Widen(name);
  DWORD needed = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring value(needed, L'\0');
  SetLastError(ERROR_SUCCESS);
  DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), needed);
  // A variable set to an empty text reads as 0 characters without an error;
  // it expands to nothing, unlike an unset one.
  if ((got == 0 && GetLastError() != ERROR_SUCCESS) || got >= needed) return std::nullopt;
  value.resize(got);
  return platform::Narrow(value);
}

}  // namespace

SystemFacts QuerySystemFacts() {
  SystemFacts facts;
  facts.version = platform::QueryOsVersion();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  facts.ntFamily = (GetVersion() & 0x80000000u) == 0;
#pragma GCC diagnostic pop
  facts.environment = Environment;

  wchar_t computer[256] = {};
  DWORD size = 256;
  if (GetComputerNameW(computer, &size)) facts.computerName = platform::Narrow(computer);

  wchar_t user[512] = {};
  DWORD userSize = 511;
  if (WNetGetUserW(nullptr, user, &userSize) == NO_ERROR) facts.userName = platform::Narrow(user);
  return facts;
}

}  // namespace parvane
