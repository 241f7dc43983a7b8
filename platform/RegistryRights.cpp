#include "platform/RegistryRights.h"

namespace platform {

long RightsRegistry::Open(RegRoot root, std::string_view path, Access access, Key& out) {
  const long rc = inner_.Open(root, path, access, out);
  if (standardUser_ && rc == kRegOk) roots_[out] = root;
  return rc;
}

long RightsRegistry::Create(RegRoot root, std::string_view path, Key& out) {
  if (!standardUser_) return inner_.Create(root, path, out);
  // An existing key opens as the plain open opens it; a new one needs rights.
  if (!Writable(root)) {
    if (inner_.Open(root, path, Access::Read, out) != kRegOk) {
      out = 0;
      return kRegAccessDenied;
    }
  } else if (const long rc = inner_.Create(root, path, out); rc != kRegOk) {
    return rc;
  }
  roots_[out] = root;
  return kRegOk;
}

long RightsRegistry::QueryRaw(Key key, std::string_view name, std::size_t maxBytes,
                              RegValue& out) {
  return inner_.QueryRaw(key, name, maxBytes, out);
}

long RightsRegistry::QueryText(Key key, std::string_view name, std::size_t maxChars,
                               std::uint32_t& type, std::string& out) {
  return inner_.QueryText(key, name, maxChars, type, out);
}

bool RightsRegistry::Refused(Key key) const {
  if (!standardUser_) return false;
  const auto it = roots_.find(key);
  return it != roots_.end() && !Writable(it->second);
}

long RightsRegistry::Set(Key key, std::string_view name, std::uint32_t type, const void* data,
                         std::size_t size) {
  if (Refused(key)) return kRegAccessDenied;
  return inner_.Set(key, name, type, data, size);
}

long RightsRegistry::DeleteValue(Key key, std::string_view name) {
  if (Refused(key)) return kRegAccessDenied;
  return inner_.DeleteValue(key, name);
}

long RightsRegistry::DeleteEmptyKey(RegRoot root, std::string_view path) {
  if (standardUser_ && !Writable(root)) return kRegAccessDenied;
  return inner_.DeleteEmptyKey(root, path);
}

void RightsRegistry::Close(Key key) {
  roots_.erase(key);
  inner_.Close(key);
}

}  // namespace platform
