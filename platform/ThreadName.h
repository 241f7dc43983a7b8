// A name for the calling thread, as debuggers and process viewers show it
// (and the end-to-end driver, which tells the scan's threads apart by it).
// Best effort: nothing happens where the system has no thread names.
#pragma once

namespace platform {

// ASCII, at most 15 characters (the POSIX limit).
void NameThisThread(const char* name);

}  // namespace platform
