#include "platform/Rights.h"

#include <windows.h>

#include "platform/UniqueHandle.h"

namespace platform {

bool StandardUserForced() {
  wchar_t value[8] = {};
  const DWORD n = GetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", value, 8);
  return n == 1 && value[0] == L'1';
}

namespace {

// Windows XP has no TokenElevation: an administrator there is simply a member
// of the Administrators group.
bool TokenIsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                0, 0, 0, 0, 0, &admins))
    return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
  FreeSid(admins);
  return member != FALSE;
}

}  // namespace

bool ProcessIsElevated() {
  if (StandardUserForced()) return false;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return TokenIsAdministrator();
  const UniqueKernelHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
    return elevation.TokenIsElevated != 0;
  return TokenIsAdministrator();
}

}  // namespace platform
