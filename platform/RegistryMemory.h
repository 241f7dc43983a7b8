// An in-memory registry for tests: keys and value names compare without
// regard to ASCII case, as Windows compares them. Text values are kept as the
// bytes an "A" write stores; QueryText reads them back as UTF-8, an invalid byte as U+FFFD.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace platform {

class RegistryMemory final : public Registry {
 public:
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

  // Test helpers that bypass handles.
  bool KeyExists(RegRoot root, std::string_view path) const;
  void Put(RegRoot root, std::string_view path, std::string_view name, std::uint32_t type,
           std::vector<std::uint8_t> data);
  void PutText(RegRoot root, std::string_view path, std::string_view name, std::string_view text,
               std::uint32_t type = kRegSz);
  void PutDword(RegRoot root, std::string_view path, std::string_view name, std::uint32_t value);
  const RegValue* Find(RegRoot root, std::string_view path, std::string_view name) const;
  // Make writes to this key fail (for error-path tests).
  void DenyWrites(RegRoot root, std::string_view path);
  std::size_t OpenKeyCount() const { return open_.size(); }

 private:
  struct Node {
    std::map<std::string, RegValue> values;  // folded name -> value
    bool denyWrites = false;
  };
  static std::string Fold(RegRoot root, std::string_view path);
  static std::string FoldName(std::string_view name);
  Node* FindNode(const std::string& folded);
  const Node* FindNode(const std::string& folded) const;

  std::map<std::string, Node> keys_;  // folded full path -> node
  std::map<Key, std::string> open_;   // handle -> folded path
  Key next_ = 1;
};

}  // namespace platform
