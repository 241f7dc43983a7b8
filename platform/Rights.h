// Whether this process holds administrator rights, for the functions that
// write machine-wide settings (tweaks, USB write protection, clean-up of the
// system's temp folder). One answer for the whole product.
#pragma once

namespace platform {

// Since Windows Vista: whether the process token is elevated (TokenElevation).
// Before it: whether the token is a member of Administrators. On POSIX: root.
// The environment variable DRAVON_AS_STANDARD_USER=1 makes it answer false, so
// tests can walk a standard user's path on a prefix that runs elevated; it can
// only take rights away, never grant them.
bool ProcessIsElevated();

// The environment override alone (shared by both implementations).
bool StandardUserForced();

}  // namespace platform
