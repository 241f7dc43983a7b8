// An in-memory folder tree for tests of the scan: folders, files with any
// size, links, unreadable folders, and a hook that runs as a folder is
// opened (to stop a scan at an exact point). Open may be called from several
// threads at once, as long as nobody changes the tree meanwhile.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DirEnum.h"

namespace platform {

class DirEnumMemory final : public DirEnumerator {
 public:
  struct Node {
    std::string name;
    bool directory = false;
    bool reparse = false;
    bool nameSurrogate = false;
    bool unreadable = false;  // Open fails, as for access denied
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool readOnly = false;
    bool system = false;
    std::vector<std::unique_ptr<Node>> children;  // enumeration order

    Node& Folder(std::string childName);
    Node& File(std::string childName, std::uint64_t bytes);
    Node& Link(std::string childName, bool toDirectory);
  };

  // Paths are the root name followed by child names, each folder path ending
  // in '\'; the root's own path is whatever the tree is mounted at.
  explicit DirEnumMemory(std::string rootPath) : rootPath_(std::move(rootPath)) {
    root_.directory = true;
  }

  Node& Root() { return root_; }
  std::unique_ptr<Listing> Open(const std::string& folder) override;
  char Separator() const override { return '\\'; }

  // Called with each folder path just before it is listed, on the thread
  // that opens it (a scan may open folders on several at once).
  void OnOpen(std::function<void(const std::string&)> hook) { onOpen_ = std::move(hook); }
  // Folder paths in the order they were opened.
  std::vector<std::string> Opened() const {
    std::lock_guard lock(mutex_);
    return opened_;
  }

 private:
  const Node* Find(const std::string& folder) const;

  std::string rootPath_;
  Node root_;
  std::function<void(const std::string&)> onOpen_;
  mutable std::mutex mutex_;
  std::vector<std::string> opened_;
};

}  // namespace platform
