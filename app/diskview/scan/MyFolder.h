// The scanned folder tree: one CMyFolder per folder, holding its own files'
// count and bytes and its subfolders; a folder's own files are also listed as
// one "file group" child, always added last. Subtree totals are computed on
// demand and skip the file groups (their bytes are already in the parent).
//
// Threads: the scan worker builds a node and its subtree, then marks it
// finished (SetKind). From then on nothing writes that subtree, so the user
// interface may total it; before that only the name may be read (GetRowText).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace diskview {

class CMyFolder {
 public:
  static constexpr std::int16_t kKindUnset = -1;
  static constexpr std::int16_t kKindFolder = 0;
  static constexpr std::int16_t kKindFileGroup = 1;

  CMyFolder();
  CMyFolder(const CMyFolder&) = delete;
  CMyFolder& operator=(const CMyFolder&) = delete;
  ~CMyFolder();

  // Takes ownership; always succeeds.
  bool AddChild(std::unique_ptr<CMyFolder> child);
  bool IsFileGroup() const { return Kind() == kKindFileGroup; }
  CMyFolder* GetChild(int index) const { return children_[static_cast<std::size_t>(index)].get(); }
  // Children, the file group included.
  int GetChildCount() const { return static_cast<int>(children_.size()); }

  // Empty stays empty; otherwise the first character upper-cased and the rest
  // lower-cased ("WINDOWS" gives "Windows"). ASCII letters only: the bytes of
  // other UTF-8 characters are left as they are.
  void SetName(const std::string& name);
  // The name exactly as given (scanned entries and the scanned path).
  void AssignName(std::string name) { name_ = std::move(name); }
  const std::string& GetName() const { return name_; }

  // Own files' bytes, plus every non-file-group child's subtree when recursive.
  double GetSize(bool recursive) const;
  // Children (minus the file group when asked and present), plus every
  // child's subtree folders when recursive.
  int CountFolders(bool recursive, bool excludeFileGroup) const;
  int CountFiles(bool recursive) const;
  // GetSize(true), CountFolders(true, true) and CountFiles(true) in one walk.
  struct Totals {
    double bytes = 0.0;
    int folders = 0;
    int files = 0;
  };
  Totals GetTotals() const;
  // The same, and GetSize(true) of each child in order into `childSizes`:
  // one walk of the subtree for both.
  Totals GetTotals(std::vector<double>& childSizes) const;
  // GetSize(true) of each child, in order: one walk of the subtree in all.
  std::vector<double> ChildSizes() const;

  // 0 name, 1 size text, 2 folders, 3 files, anything else empty.
  std::string GetColumnText(int column) const;
  // What a tree row may show while a scan runs: the name always; the totals
  // only once this node is finished, so the user interface never walks a
  // subtree the worker is still extending.
  std::string GetRowText(int column) const;

  // Sets the kind and releases the children array's spare capacity. Setting
  // it marks the node finished for readers on other threads.
  void SetKind(std::int16_t kind);
  std::int16_t Kind() const { return kind_.load(std::memory_order_acquire); }
  bool IsFinished() const { return Kind() != kKindUnset; }

  // Frees every child (recursively) and resets counts, sizes, kind and the
  // sorted flag; the name stays.
  void Clear();

  // Clears this node, then takes `other`'s children and own files, leaving
  // `other` empty; the name stays. The children keep their addresses (rows
  // point at them).
  void TakeContentsOf(CMyFolder& other);
  bool IsSorted() const { return sorted_; }
  void SetSorted(bool sorted) { sorted_ = sorted; }
  // Largest subtree first; ties keep their order. Gives the children's
  // sizes in the new order (ChildSizes).
  std::vector<double> SortChildrenBySize();
  // The same with the children's sizes already at hand (ChildSizes()).
  std::vector<double> SortChildrenBySize(std::vector<double> sizes);

  // The node's own files, as the scan adds them.
  void AddFile(std::uint64_t bytes) {
    ++fileCount_;
    size_ += static_cast<double>(bytes);
  }
  void SetOwnFiles(int count, double bytes) {
    fileCount_ = count;
    size_ = bytes;
  }
  int OwnFileCount() const { return fileCount_; }
  double OwnSize() const { return size_; }

 private:
  // Calls visit(node) for this node and every descendant reached through
  // children that are not file groups.
  template <class Visit>
  void WalkFolders(Visit visit) const;

  // Largest first, so no padding comes between: a scan makes one node per
  // folder and file group, 72 bytes each.
  std::vector<std::unique_ptr<CMyFolder>> children_;
  std::string name_;
  double size_ = 0.0;
  int fileCount_ = 0;
  std::atomic<std::int16_t> kind_{kKindUnset};
  bool sorted_ = false;
};

// Row data of the disk tree: a text (left empty) and the node the row shows.
struct TreeItemInfo {
  std::string text;
  CMyFolder* folder = nullptr;  // not owned
};

// "%.0f byte" below 1024 bytes, then "%.2f Kb" below 1000 Kb, "%.2f Mb" below
// 1000 Mb, else "%.2f Gb" (1024 steps, but 1000 thresholds above bytes).
std::string FormatSize(double bytes);

}  // namespace diskview
