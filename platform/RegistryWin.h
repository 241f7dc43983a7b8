// The real Windows registry behind the portable interface.
//
// Key paths are UTF-8 and opened with the W functions, so a path outside the
// ANSI code page still names the right key; the semantics are those of
// RegOpenKey (read-write), RegOpenKeyEx with KEY_READ, and RegCreateKey.
// Raw values are read and written with the A functions, which keep the exact
// bytes the tweaks rely on: a REG_SZ "1" of length 1 is stored as one
// character with no terminator, and a raw read returns ANSI bytes. Text meant
// for the user is read with the W function and handed back as UTF-8.
#pragma once

#include "platform/Registry.h"

namespace platform {

class RegistryWin final : public Registry {
 public:
  long Open(RegRoot root, std::string_view path, Access access, Key& out) override;
  long Create(RegRoot root, std::string_view path, Key& out) override;
  long QueryRaw(Key key, std::string_view name, std::size_t maxBytes, RegValue& out) override;
  // Text types only; any other type succeeds with its type and empty text.
  long QueryText(Key key, std::string_view name, std::size_t maxChars, std::uint32_t& type,
                 std::string& out) override;
  long Set(Key key, std::string_view name, std::uint32_t type, const void* data,
           std::size_t size) override;
  long DeleteValue(Key key, std::string_view name) override;
  long DeleteEmptyKey(RegRoot root, std::string_view path) override;
  void Close(Key key) override;
};

}  // namespace platform
