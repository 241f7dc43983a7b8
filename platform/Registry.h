// The registry as the portable logic sees it: the handful of calls the
// settings, tweak and system-record code make, with the raw-byte semantics of
// the Win32 "A" functions (a REG_SZ written as "1" is one byte, no terminator).
// Implementations: RegistryWin (the real registry), RegistryMemory (tests).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegRoot : std::uint8_t { ClassesRoot, CurrentUser, LocalMachine, Users };

// Value types, numbered as Windows numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Result codes are Win32 error numbers: 0 is success.
inline constexpr long kRegOk = 0;
inline constexpr long kRegFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr long kRegMoreData = 234;    // ERROR_MORE_DATA
inline constexpr long kRegNotEmpty = 145;     // ERROR_DIR_NOT_EMPTY: a key that still holds something

struct RegValue {
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

class Registry {
 public:
  // An open key; 0 is "no key". Each successful Open/Create is paired with Close.
  using Key = std::uintptr_t;

  enum class Access { ReadWrite, Read };

  virtual ~Registry() = default;

  // Opens an existing key (RegOpenKeyA for ReadWrite, RegOpenKeyExA KEY_READ
  // for Read). A trailing backslash names the same key as the path without it.
  virtual long Open(RegRoot root, std::string_view path, Access access, Key& out) = 0;
  // Opens the key, creating it and any missing parents (RegCreateKeyA).
  virtual long Create(RegRoot root, std::string_view path, Key& out) = 0;
  // Raw bytes and type of a value, as RegQueryValueExA returns them. The
  // empty name is the key's default value. A value longer than maxBytes
  // fails with kRegMoreData and leaves `out` empty.
  virtual long QueryRaw(Key key, std::string_view name, std::size_t maxBytes, RegValue& out) = 0;
  // A text value (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) read as Unicode and
  // returned as UTF-8, without the terminating NUL; REG_MULTI_SZ keeps its
  // inner NULs. maxChars bounds the UTF-16 units read, as a buffer would.
  virtual long QueryText(Key key, std::string_view name, std::size_t maxChars,
                         std::uint32_t& type, std::string& out) = 0;
  // Creates or replaces a value with exactly these bytes (RegSetValueExA).
  virtual long Set(Key key, std::string_view name, std::uint32_t type, const void* data,
                   std::size_t size) = 0;
  // Removes a value (RegDeleteValueA); kRegFileNotFound when there is none.
  virtual long DeleteValue(Key key, std::string_view name) = 0;
  // Removes a key that holds no values and no subkeys; fails, changing
  // nothing, when it holds any (kRegFileNotFound when it is missing).
  virtual long DeleteEmptyKey(RegRoot root, std::string_view path) = 0;
  virtual void Close(Key key) = 0;
};

// Closes a key at the end of a scope.
class ScopedKey {
 public:
  ScopedKey(Registry& reg, Registry::Key key) : reg_(&reg), key_(key) {}
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  ~ScopedKey() {
    if (key_ != 0) reg_->Close(key_);
  }
  Registry::Key get() const { return key_; }

 private:
  Registry* reg_;
  Registry::Key key_;
};

}  // namespace platform
