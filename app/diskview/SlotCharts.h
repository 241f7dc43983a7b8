// Which folder each result slot of the disk overview charts, and what keeps
// its tree alive.
//
// A completed scan leaves its tree in the view's one root node, which the
// next scan of any slot empties and fills again. A slot charts the folder
// its last completed scan named (its root) or a folder opened below it
// from the chart; going up stops at the root. When a scan is about to
// reuse the root node, the slot that still charts it takes the tree over
// (the nodes keep their addresses, only the top node is new), so no slot
// ever charts a freed node. Each slot therefore keeps its own tree until
// its next scan: up to one tree per slot in memory, for a chart the user
// can keep walking.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "app/diskview/scan/MyFolder.h"
#include "app/diskview/ScanDone.h"

namespace diskview {

class SlotChart {
 public:
  bool Empty() const { return chain_.empty(); }
  // The scanned root, or null.
  CMyFolder* Root() const { return chain_.empty() ? nullptr : chain_.front(); }
  // The charted folder, or null.
  CMyFolder* Node() const { return chain_.empty() ? nullptr : chain_.back(); }
  bool AtRoot() const { return chain_.size() <= 1; }
  // The scanned root first, the charted folder last.
  const std::vector<CMyFolder*>& Chain() const { return chain_; }
  // The slices drawn for Node().
  const std::vector<SlicePlan>& Slices() const { return slices_; }
  void SetSlices(std::vector<SlicePlan> slices) { slices_ = std::move(slices); }

  // The scanned folder's own rows (group 2) as its scan left them: shown
  // again when the chart comes back to the root, over what the folders
  // opened below it set there.
  const std::vector<InfoLineUpdate>& RootRows() const { return rootRows_; }
  void SetRootRows(std::vector<InfoLineUpdate> rows) { rootRows_ = std::move(rows); }

  // The folder of slice `index`, when it stands for a folder (not the
  // remainder, not the folder's own files); null otherwise.
  CMyFolder* FolderOfSlice(std::size_t index) const;
  // Charts `folder`, a child of Node(); false (and nothing changes) for
  // anything else.
  bool Open(CMyFolder& folder);
  // Back to the folder above; false at the root.
  bool Up();

  // What an action that runs a message loop (a menu, a question, a window)
  // takes before it, to act afterwards only if no scan has emptied or
  // replaced the chart meanwhile and it still charts the same folder: new
  // nodes can have the addresses of freed ones, so the chain alone cannot
  // tell.
  struct Mark {
    std::vector<CMyFolder*> chain;
    unsigned made = 0;
  };
  Mark MarkNow() const { return {chain_, made_}; }
  bool Still(const Mark& mark) const { return made_ == mark.made && chain_ == mark.chain; }

 private:
  friend class SlotCharts;
  void Show(CMyFolder& root);
  void Clear();
  // Takes the tree of `shared` (which it charts) into a node of its own.
  void Keep(CMyFolder& shared);

  std::unique_ptr<CMyFolder> kept_;  // the tree, once the shared root is reused
  std::vector<CMyFolder*> chain_;    // root first, charted folder last
  std::vector<SlicePlan> slices_;
  std::vector<InfoLineUpdate> rootRows_;
  unsigned made_ = 0;  // counts the charts this slot has been cleared of
};

class SlotCharts {
 public:
  SlotCharts(CMyFolder& shared, int slots) : shared_(shared), slots_(static_cast<std::size_t>(slots)) {}

  // Slot 1..count.
  SlotChart& Slot(int slot) { return slots_[static_cast<std::size_t>(slot - 1)]; }
  int Count() const { return static_cast<int>(slots_.size()); }

  // A scan for `slot` is about to empty the shared root: the slot forgets
  // its chart, and another slot that still charts the shared tree takes it.
  void BeforeScan(int slot);
  // `slot`'s scan has completed and charts `charted` (the scanned root, or
  // a node of its tree); null clears the slot.
  void Completed(int slot, CMyFolder* charted);

 private:
  CMyFolder& shared_;
  std::vector<SlotChart> slots_;
  int sharedBy_ = 0;  // the slot whose chart is in the shared root, or 0
};

}  // namespace diskview
