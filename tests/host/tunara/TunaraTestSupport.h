// A registry for tests that fails the writes (and removals) of chosen value names and
// records the order of all writes; everything else is the in-memory one.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/RegistryMemory.h"

namespace tunara {

class FailingRegistry final : public platform::Registry {
 public:
  long Open(platform::RegRoot root, std::string_view path, Access access, Key& out) override {
    return mem.Open(root, path, access, out);
  }
  long Create(platform::RegRoot root, std::string_view path, Key& out) override {
    return mem.Create(root, path, out);
  }
  long QueryRaw(Key key, std::string_view name, std::size_t maxBytes,
                platform::RegValue& out) override {
    return mem.QueryRaw(key, name, maxBytes, out);
  }
  long QueryText(Key key, std::string_view name, std::size_t maxChars, std::uint32_t& type,
                 std::string& out) override {
    return mem.QueryText(key, name, maxChars, type, out);
  }
  long Set(Key key, std::string_view name, std::uint32_t type, const void* data,
           std::size_t size) override {
    setOrder.emplace_back(name);
    if (failNames.count(std::string(name))) return platform::kRegAccessDenied;
    return mem.Set(key, name, type, data, size);
  }
  long DeleteValue(Key key, std::string_view name) override {
    if (failNames.count(std::string(name))) return platform::kRegAccessDenied;
    return mem.DeleteValue(key, name);
  }
  long DeleteEmptyKey(platform::RegRoot root, std::string_view path) override {
    return mem.DeleteEmptyKey(root, path);
  }
  void Close(Key key) override { mem.Close(key); }

  void PutDword(platform::RegRoot root, std::string_view path, std::string_view name,
                std::uint32_t value) {
    mem.PutDword(root, path, name, value);
  }
  const platform::RegValue* Find(platform::RegRoot root, std::string_view path,
                                 std::string_view name) const {
    return mem.Find(root, path, name);
  }
  std::size_t OpenKeyCount() const { return mem.OpenKeyCount(); }

  platform::RegistryMemory mem;
  std::set<std::string> failNames;
  std::vector<std::string> setOrder;
};

}  // namespace tunara
