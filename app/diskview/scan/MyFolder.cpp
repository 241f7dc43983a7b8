#include "app/diskview/scan/MyFolder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace diskview {

CMyFolder::CMyFolder() = default;

// Deep trees are freed without deep recursion: children are moved out and
// released level by level.
CMyFolder::~CMyFolder() { Clear(); }

bool CMyFolder::AddChild(std::unique_ptr<CMyFolder> child) {
  children_.push_back(std::move(child));
  return true;
}

void CMyFolder::SetName(const std::string& name) {
  name_ = name;
  for (std::size_t i = 0; i < name_.size(); ++i) {
    char c = name_[i];
    if (i == 0 && c >= 'a' && c <= 'z') name_[i] = static_cast<char>(c - 'a' + 'A');
    if (i > 0 && c >= 'A' && c <= 'Z') name_[i] = static_cast<char>(c - 'A' + 'a');
  }
}

// Subtree totals walk with a heap stack rather than recursion, so a chain of
// folders as deep as the long path limit allows cannot exhaust the stack of
// the user-interface thread that asks for a row's text.
template <class Visit>
void CMyFolder::WalkFolders(Visit visit) const {
  std::vector<const CMyFolder*> pending{this};
  while (!pending.empty()) {
    const CMyFolder* node = pending.back();
    pending.pop_back();
    visit(*node);
    for (const auto& child : node->children_) {
      if (!child->IsFileGroup()) pending.push_back(child.get());
    }
  }
}

double CMyFolder::GetSize(bool recursive) const {
  if (!recursive) return size_;
  double total = 0.0;
  WalkFolders([&](const CMyFolder& node) { total += node.size_; });
  return total;
}

int CMyFolder::CountFolders(bool recursive, bool excludeFileGroup) const {
  // A node's own term: its children, less the file group when its files
  // have one. Below the top, file groups are always excluded (and count 0).
  auto own = [](const CMyFolder& node, bool exclude) {
    int count = static_cast<int>(node.children_.size());
    if (exclude && node.fileCount_ != 0 && !node.IsFileGroup()) --count;
    return count;
  };
  if (!recursive) return own(*this, excludeFileGroup);
  int count = own(*this, excludeFileGroup) - own(*this, true);
  WalkFolders([&](const CMyFolder& node) { count += own(node, true); });
  return count;
}

int CMyFolder::CountFiles(bool recursive) const {
  if (!recursive) return fileCount_;
  int count = 0;
  WalkFolders([&](const CMyFolder& node) { count += node.fileCount_; });
  return count;
}

CMyFolder::Totals CMyFolder::GetTotals() const {
  Totals totals;
  WalkFolders([&](const CMyFolder& node) {
    totals.bytes += node.size_;
    totals.files += node.fileCount_;
    totals.folders += node.CountFolders(false, true);
  });
  return totals;
}

CMyFolder::Totals CMyFolder::GetTotals(std::vector<double>& childSizes) const {
  // The node's own terms, then each child's subtree once: its total is
  // both its size and its share of this one (a file group only the size,
  // as GetTotals leaves file groups out).
  Totals totals{size_, CountFolders(false, true), fileCount_};
  childSizes.clear();
  childSizes.reserve(children_.size());
  for (const auto& child : children_) {
    if (child->IsFileGroup()) {
      childSizes.push_back(child->GetSize(true));
      continue;
    }
    const Totals below = child->GetTotals();
    childSizes.push_back(below.bytes);
    totals.bytes += below.bytes;
    totals.folders += below.folders;
    totals.files += below.files;
  }
  return totals;
}

std::vector<double> CMyFolder::ChildSizes() const {
  std::vector<double> sizes;
  sizes.reserve(children_.size());
  for (const auto& child : children_) sizes.push_back(child->GetSize(true));
  return sizes;
}

std::string CMyFolder::GetColumnText(int column) const {
  switch (column) {
    case 0:
      return name_;
    case 1:
      return FormatSize(GetSize(true));
    case 2:
      return std::to_string(CountFolders(true, true));
    case 3:
      return std::to_string(CountFiles(true));
    default:
      return {};
  }
}

std::string CMyFolder::GetRowText(int column) const {
  if (column == 0 || IsFinished()) return GetColumnText(column);
  return {};
}

void CMyFolder::SetKind(std::int16_t kind) {
  children_.shrink_to_fit();
  kind_.store(kind, std::memory_order_release);
}

void CMyFolder::TakeContentsOf(CMyFolder& other) {
  Clear();
  children_ = std::move(other.children_);
  other.children_.clear();
  fileCount_ = other.fileCount_;
  size_ = other.size_;
  other.fileCount_ = 0;
  other.size_ = 0.0;
}

void CMyFolder::Clear() {
  // Iterative teardown: a folder chain thousands deep must not exhaust the
  // stack of the thread that frees it.
  std::vector<std::unique_ptr<CMyFolder>> pending = std::move(children_);
  children_.clear();
  while (!pending.empty()) {
    std::unique_ptr<CMyFolder> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
  sorted_ = false;
  fileCount_ = 0;
  size_ = 0.0;
  kind_.store(kKindUnset, std::memory_order_release);
}

std::vector<double> CMyFolder::SortChildrenBySize() { return SortChildrenBySize(ChildSizes()); }

std::vector<double> CMyFolder::SortChildrenBySize(std::vector<double> sizes) {
  if (children_.size() > 1) {
    // Each subtree total once, not once per comparison. A size that is no
    // number (a corrupt one) sorts last: the order must be total, or the
    // sort itself goes wrong.
    std::vector<std::size_t> order(children_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto key = [&](std::size_t i) { return std::isnan(sizes[i]) ? -HUGE_VAL : sizes[i]; };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return key(a) > key(b); });
    std::vector<std::unique_ptr<CMyFolder>> children;
    std::vector<double> sorted;
    children.reserve(order.size());
    sorted.reserve(order.size());
    for (std::size_t i : order) {
      children.push_back(std::move(children_[i]));
      sorted.push_back(sizes[i]);
    }
    children_ = std::move(children);
    sizes = std::move(sorted);
  }
  sorted_ = true;
  return sizes;
}

namespace {

// The whole text, however many digits a huge or corrupt size has.
std::string Printed(const char* format, double value) {
  const int n = std::snprintf(nullptr, 0, format, value);
  std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, format, value);
  return text;
}

}  // namespace

std::string FormatSize(double bytes) {
  if (bytes < 1024) return Printed("%.0f byte", bytes);
  const double k = bytes / 1024;
  if (k < 1000) return Printed("%.2f Kb", k);
  const double m = k / 1024;
  if (m < 1000) return Printed("%.2f Mb", m);
  return Printed("%.2f Gb", m / 1024);
}

}  // namespace diskview
