#include "app/diskview/SlotCharts.h"

#include <algorithm>

namespace diskview {

CMyFolder* SlotChart::FolderOfSlice(std::size_t index) const {
  const CMyFolder* node = Node();
  if (!node || index >= slices_.size()) return nullptr;
  const int child = slices_[index].child;
  if (child < 0 || child >= node->GetChildCount()) return nullptr;
  CMyFolder* folder = node->GetChild(child);
  return folder->IsFileGroup() ? nullptr : folder;
}

bool SlotChart::Open(CMyFolder& folder) {
  const CMyFolder* node = Node();
  if (!node || folder.IsFileGroup()) return false;
  for (int i = 0; i < node->GetChildCount(); ++i) {
    if (node->GetChild(i) == &folder) {
      chain_.push_back(&folder);
      slices_.clear();
      return true;
    }
  }
  return false;
}

bool SlotChart::Up() {
  if (AtRoot()) return false;
  chain_.pop_back();
  slices_.clear();
  return true;
}

void SlotChart::Show(CMyFolder& root) {
  Clear();
  chain_.push_back(&root);
}

void SlotChart::Clear() {
  ++made_;
  chain_.clear();
  slices_.clear();
  rootRows_.clear();
  kept_.reset();
}

void SlotChart::Keep(CMyFolder& shared) {
  auto kept = std::make_unique<CMyFolder>();
  kept->AssignName(shared.GetName());
  const bool sorted = shared.IsSorted();
  kept->TakeContentsOf(shared);
  kept->SetSorted(sorted);  // its children stay in the order drawn
  kept->SetKind(CMyFolder::kKindFolder);
  std::replace(chain_.begin(), chain_.end(), &shared, kept.get());
  kept_ = std::move(kept);
}

void SlotCharts::BeforeScan(int slot) {
  if (slot >= 1 && slot <= Count()) Slot(slot).Clear();
  if (sharedBy_ != 0 && sharedBy_ != slot) Slot(sharedBy_).Keep(shared_);
  sharedBy_ = 0;
}

void SlotCharts::Completed(int slot, CMyFolder* charted) {
  if (slot < 1 || slot > Count()) return;
  SlotChart& chart = Slot(slot);
  if (!charted) {
    chart.Clear();
    return;
  }
  chart.Show(*charted);
  sharedBy_ = slot;
}

}  // namespace diskview
