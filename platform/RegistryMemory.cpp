#include "platform/RegistryMemory.h"

#include "platform/Utf8.h"

#include <cstring>

namespace platform {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return "hkcr";
    case RegRoot::CurrentUser: return "hkcu";
    case RegRoot::LocalMachine: return "hklm";
    case RegRoot::Users: return "hku";
  }
  return "?";
}

}  // namespace

std::string RegistryMemory::Fold(RegRoot root, std::string_view path) {
  std::string out = RootName(root);
  std::string part;
  auto flush = [&] {
    if (!part.empty()) out += '\\' + part;
    part.clear();
  };
  for (char c : path) {
    if (c == '\\') flush();
    else part += Lower(c);
  }
  flush();
  return out;
}

std::string RegistryMemory::FoldName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = Lower(c);
  return out;
}

RegistryMemory::Node* RegistryMemory::FindNode(const std::string& folded) {
  auto it = keys_.find(folded);
  return it == keys_.end() ? nullptr : &it->second;
}

const RegistryMemory::Node* RegistryMemory::FindNode(const std::string& folded) const {
  auto it = keys_.find(folded);
  return it == keys_.end() ? nullptr : &it->second;
}

long RegistryMemory::Open(RegRoot root, std::string_view path, Access, Key& out) {
  out = 0;
  std::string folded = Fold(root, path);
  // The roots themselves always exist.
  if (folded.find('\\') != std::string::npos && !FindNode(folded)) return kRegFileNotFound;
  keys_[folded];
  out = next_++;
  open_[out] = folded;
  return kRegOk;
}

long RegistryMemory::Create(RegRoot root, std::string_view path, Key& out) {
  std::string folded = Fold(root, path);
  // Parents come into being with the key, as RegCreateKey makes them.
  for (std::size_t pos = folded.find('\\'); pos != std::string::npos;
       pos = folded.find('\\', pos + 1))
    keys_[folded.substr(0, pos)];
  keys_[folded];
  out = next_++;
  open_[out] = folded;
  return kRegOk;
}

long RegistryMemory::QueryRaw(Key key, std::string_view name, std::size_t maxBytes,
                              RegValue& out) {
  out = {};
  auto it = open_.find(key);
  if (it == open_.end()) return 6;  // ERROR_INVALID_HANDLE
  const Node* node = FindNode(it->second);
  if (!node) return kRegFileNotFound;
  auto v = node->values.find(FoldName(name));
  if (v == node->values.end()) return kRegFileNotFound;
  if (v->second.data.size() > maxBytes) return kRegMoreData;
  out = v->second;
  return kRegOk;
}

long RegistryMemory::QueryText(Key key, std::string_view name, std::size_t maxChars,
                               std::uint32_t& type, std::string& out) {
  out.clear();
  RegValue raw;
  long rc = QueryRaw(key, name, static_cast<std::size_t>(-1), raw);
  if (rc != kRegOk) return rc;
  type = raw.type;
  // As the Win32 store does: a value that is not text reads as empty text.
  if (raw.type != kRegSz && raw.type != kRegExpandSz && raw.type != kRegMultiSz) return kRegOk;
  // The Win32 store hands text back as valid Unicode, whatever was stored.
  std::string text = ValidUtf8(std::string_view(reinterpret_cast<const char*>(raw.data.data()), raw.data.size()));
  // Bound the text as the Win32 store does, in UTF-16 units: one per UTF-8
  // sequence, two for a sequence beyond the basic plane.
  std::size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;
    if (c >= 0xF0) ++units;
  }
  if (units > maxChars) return kRegMoreData;
  if (raw.type != kRegMultiSz) {
    auto nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
  } else {
    while (!text.empty() && text.back() == '\0') text.pop_back();
  }
  out = std::move(text);
  return kRegOk;
}

long RegistryMemory::Set(Key key, std::string_view name, std::uint32_t type, const void* data,
                         std::size_t size) {
  auto it = open_.find(key);
  if (it == open_.end()) return 6;  // ERROR_INVALID_HANDLE
  Node* node = FindNode(it->second);
  if (!node) return kRegFileNotFound;
  if (node->denyWrites) return kRegAccessDenied;
  RegValue& v = node->values[FoldName(name)];
  v.type = type;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  v.data.assign(bytes, bytes + size);
  return kRegOk;
}

long RegistryMemory::DeleteValue(Key key, std::string_view name) {
  auto it = open_.find(key);
  if (it == open_.end()) return 6;  // ERROR_INVALID_HANDLE
  Node* node = FindNode(it->second);
  if (!node) return kRegFileNotFound;
  if (node->denyWrites) return kRegAccessDenied;
  return node->values.erase(FoldName(name)) != 0 ? kRegOk : kRegFileNotFound;
}

long RegistryMemory::DeleteEmptyKey(RegRoot root, std::string_view path) {
  const std::string folded = Fold(root, path);
  if (folded.find('\\') == std::string::npos) return 87;  // ERROR_INVALID_PARAMETER: a root
  auto it = keys_.find(folded);
  if (it == keys_.end()) return kRegFileNotFound;
  if (it->second.denyWrites) return kRegAccessDenied;
  if (!it->second.values.empty()) return kRegNotEmpty;
  const std::string below = folded + '\\';
  auto child = keys_.lower_bound(below);
  if (child != keys_.end() && child->first.compare(0, below.size(), below) == 0) return kRegNotEmpty;
  keys_.erase(it);
  return kRegOk;
}

void RegistryMemory::Close(Key key) { open_.erase(key); }

bool RegistryMemory::KeyExists(RegRoot root, std::string_view path) const {
  return FindNode(Fold(root, path)) != nullptr;
}

void RegistryMemory::Put(RegRoot root, std::string_view path, std::string_view name,
                         std::uint32_t type, std::vector<std::uint8_t> data) {
  Key k = 0;
  Create(root, path, k);
  Close(k);
  RegValue& v = keys_[Fold(root, path)].values[FoldName(name)];
  v.type = type;
  v.data = std::move(data);
}

void RegistryMemory::PutText(RegRoot root, std::string_view path, std::string_view name,
                             std::string_view text, std::uint32_t type) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(root, path, name, type, std::move(data));
}

void RegistryMemory::PutDword(RegRoot root, std::string_view path, std::string_view name,
                              std::uint32_t value) {
  std::vector<std::uint8_t> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(value >> (8 * i));
  Put(root, path, name, kRegDword, std::move(data));
}

const RegValue* RegistryMemory::Find(RegRoot root, std::string_view path,
                                     std::string_view name) const {
  const Node* node = FindNode(Fold(root, path));
  if (!node) return nullptr;
  auto v = node->values.find(FoldName(name));
  return v == node->values.end() ? nullptr : &v->second;
}

void RegistryMemory::DenyWrites(RegRoot root, std::string_view path) {
  Key k = 0;
  Create(root, path, k);
  Close(k);
  keys_[Fold(root, path)].denyWrites = true;
}

}  // namespace platform
