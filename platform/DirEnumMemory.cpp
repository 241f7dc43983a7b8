#include "platform/DirEnumMemory.h"

namespace platform {

DirEnumMemory::Node& DirEnumMemory::Node::Folder(std::string childName) {
  auto node = std::make_unique<Node>();
  node->name = std::move(childName);
  node->directory = true;
  children.push_back(std::move(node));
  return *children.back();
}

DirEnumMemory::Node& DirEnumMemory::Node::File(std::string childName, std::uint64_t bytes) {
  auto node = std::make_unique<Node>();
  node->name = std::move(childName);
  node->size = bytes;
  children.push_back(std::move(node));
  return *children.back();
}

DirEnumMemory::Node& DirEnumMemory::Node::Link(std::string childName, bool toDirectory) {
  auto node = std::make_unique<Node>();
  node->name = std::move(childName);
  node->directory = toDirectory;
  node->reparse = true;
  node->nameSurrogate = true;
  children.push_back(std::move(node));
  return *children.back();
}

const DirEnumMemory::Node* DirEnumMemory::Find(const std::string& folder) const {
  if (folder.compare(0, rootPath_.size(), rootPath_) != 0) return nullptr;
  const Node* node = &root_;
  std::size_t pos = rootPath_.size();
  while (pos < folder.size()) {
    std::size_t end = folder.find('\\', pos);
    if (end == std::string::npos) return nullptr;  // a folder path ends in '\'
    std::string_view part(folder.data() + pos, end - pos);
    const Node* next = nullptr;
    for (const auto& child : node->children) {
      if (child->directory && child->name == part) {
        next = child.get();
        break;
      }
    }
    if (next == nullptr) return nullptr;
    node = next;
    pos = end + 1;
  }
  return node;
}

namespace {

class MemoryListing final : public DirEnumerator::Listing {
 public:
  explicit MemoryListing(const DirEnumMemory::Node& node) : node_(node) {}
  bool Next(DirEntry& out) override {
    // Like a real file system, a listing starts with "." and "..".
    if (index_ < 2) {
      out = DirEntry{};
      out.name = index_ == 0 ? "." : "..";
      out.directory = true;
      ++index_;
      return true;
    }
    std::size_t i = index_ - 2;
    if (i >= node_.children.size()) return false;
    const auto& child = *node_.children[i];
    out.name = child.name;
    out.directory = child.directory;
    out.reparse = child.reparse;
    out.nameSurrogate = child.nameSurrogate;
    out.size = child.directory ? 0 : child.size;
    out.modified = child.modified;
    out.readOnly = child.readOnly;
    out.system = child.system;
    ++index_;
    return true;
  }

 private:
  const DirEnumMemory::Node& node_;
  std::size_t index_ = 0;
};

}  // namespace

std::unique_ptr<DirEnumerator::Listing> DirEnumMemory::Open(const std::string& folder) {
  {
    std::lock_guard lock(mutex_);
    opened_.push_back(folder);
  }
  if (onOpen_) onOpen_(folder);
  const Node* node = Find(folder);
  if (node == nullptr || !node->directory || node->unreadable) return nullptr;
  if (node->reparse) return nullptr;  // a link whose target is elsewhere
  return std::make_unique<MemoryListing>(*node);
}

}  // namespace platform
