// The registry as a standard user meets it: machine-wide keys can be opened
// and read (the plain open asks for as much access as it may have, which is
// reading), but not written, and a missing one cannot be made; the user's own
// keys (HKEY_CURRENT_USER) stay writable. On Windows the system refuses such
// writes itself; this view lets a process that holds the rights take them
// away (DRAVON_AS_STANDARD_USER=1, platform/Rights.h), and Wine, which
// enforces no registry permissions, walk the same path.
#pragma once

#include <map>

#include "platform/Registry.h"

namespace platform {

class RightsRegistry final : public Registry {
 public:
  // `standardUser` false: every call goes to `inner` unchanged.
  RightsRegistry(Registry& inner, bool standardUser) : inner_(inner), standardUser_(standardUser) {}

  long Open(RegRoot root, std::string_view path, Access access, Key& out) override;
  long Create(RegRoot root, std::string_view path, Key& out) override;
  long QueryRaw(Key key, std::string_view name, std::size_t maxBytes, RegValue& out) override;
  long QueryText(Key key, std::string_view name, std::size_t maxChars, std::uint32_t& type,
                 std::string& out) override;
  long Set(Key key, std::string_view name, std::uint32_t type, const void* data,
           std::size_t size) override;
  long DeleteValue(Key key, std::string_view name) override;
  long DeleteEmptyKey(RegRoot root, std::string_view path) override;
  void Close(Key key) override;

 private:
  static bool Writable(RegRoot root) { return root == RegRoot::CurrentUser; }
  // A standard user's key under a root it may not change.
  bool Refused(Key key) const;

  Registry& inner_;
  bool standardUser_;
  std::map<Key, RegRoot> roots_;  // open keys of a standard user, by handle
};

}  // namespace platform
