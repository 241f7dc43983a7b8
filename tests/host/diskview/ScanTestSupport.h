// Recording seams for scan tests: every row and message the scan produces.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/diskview/DiskScan.h"
#include "app/Messages.h"

namespace diskview::test {

class RecordingRows final : public ScanRowSink {
 public:
  struct RowRecord {
    Row parent;
    CMyFolder* folder;
  };

  void DeleteAllRows() override {
    std::lock_guard lock(mutex_);
    rows.clear();
    ++deletes;
  }
  Row InsertRootRow(std::unique_ptr<TreeItemInfo> info) override {
    std::lock_guard lock(mutex_);
    if (failRoot) return 0;
    rows.push_back({0, info->folder});
    return rows.size();
  }
  void ExpandRow(Row row) override { expanded.push_back(row); }
  Row InsertChildRow(Row parent, std::unique_ptr<TreeItemInfo> info) override {
    std::lock_guard lock(mutex_);
    rows.push_back({parent, info->folder});
    return rows.size();
  }
  void RedrawNow() override { ++redraws; }
  void SelectRootIfNoneSelected() override { ++selects; }

  std::vector<RowRecord> Rows() const {
    std::lock_guard lock(mutex_);
    return rows;
  }

  bool failRoot = false;
  int deletes = 0;
  int redraws = 0;
  int selects = 0;
  std::vector<Row> expanded;

 private:
  mutable std::mutex mutex_;
  std::vector<RowRecord> rows;
};

class RecordingNotifier final : public ScanNotifier {
 public:
  struct Message {
    unsigned message;
    unsigned code;
    std::intptr_t value;
  };
  void PostProgress(unsigned code, std::intptr_t value) override {
    std::lock_guard lock(mutex_);
    messages.push_back({WM_SCAN_PROGRESS, code, value});
  }
  void PostCompletion(unsigned message) override {
    std::lock_guard lock(mutex_);
    messages.push_back({message, 1, 0});
  }
  void PumpPendingMessages() override {
    ++pumps;
    if (onPump) onPump();
  }

  std::vector<Message> Messages() const {
    std::lock_guard lock(mutex_);
    return messages;
  }
  int Count(unsigned message, unsigned code) const {
    int n = 0;
    for (const Message& m : Messages()) n += m.message == message && m.code == code;
    return n;
  }

  std::atomic<int> pumps{0};
  std::function<void()> onPump;  // runs inside each pump, on the waiting thread

 private:
  mutable std::mutex mutex_;
  std::vector<Message> messages;
};

// A scan of `path` through `dirs`, run to its end in `slot`, with what it
// recorded on the way.
struct FinishedScan {
  FinishedScan(platform::DirEnumerator& dirs, std::string path, int slot = 1) {
    root.AssignName(std::move(path));
    DiskScan scan(dirs, rows, notes);
    scan.SetRoot(&root);
    scan.StartScan(slot);
    scan.WaitForWorker();
  }
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
};

}  // namespace diskview::test
