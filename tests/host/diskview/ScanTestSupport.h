// Recording seams for scan tests: every row and message the scan produces.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/ScanMessages.h"

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
    Row row;
    {
      std::lock_guard lock(mutex_);
      rows.push_back({parent, info->folder});
      row = rows.size();
    }
    if (onInsert) onInsert(row);
    return row;
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
  std::function<void(Row)> onInsert;  // runs after each child row, on the worker

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
  bool PostProgress(unsigned code, std::intptr_t value) override {
    std::lock_guard lock(mutex_);
    messages.push_back({WM_SCAN_PROGRESS, code, value});
    return true;
  }
  bool PostCompletion(unsigned message) override {
    std::lock_guard lock(mutex_);
    if (refuseCompletions > 0) {
      --refuseCompletions;
      return false;
    }
    messages.push_back({message, 1, 0});
    return true;
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
  // Completion posts to refuse first, as a full queue would.
  int refuseCompletions = 0;
  std::function<void()> onPump;  // runs inside each pump, on the waiting thread

 private:
  mutable std::mutex mutex_;
  std::vector<Message> messages;
};

// A scan of `path` through `dirs` on `threads` threads (or the volume's
// table, when `volumes` opens one), run to its end in `slot`, with what it
// recorded on the way.
// With `stopAtRow`, a stop is asked for once the worker has made that row
// (the root's is the first), which it waits for there: a stop at a chosen
// moment, the same for any engine.
struct FinishedScan {
  FinishedScan(platform::DirEnumerator& dirs, std::string path, int slot = 1,
               int threads = DiskScan::DefaultThreads(), DiskScan::VolumeOpener volumes = {},
               ScanRowSink::Row stopAtRow = 0) {
    root.AssignName(std::move(path));
    DiskScan scan(dirs, rows, notes);
    scan.SetRoot(&root);
    scan.SetThreads(threads);
    scan.SetVolumeOpener(std::move(volumes));
    std::atomic<bool> reached{false};
    if (stopAtRow != 0) {
      scan.SetStopWait(std::chrono::seconds(20));  // never left behind, however slow the build
      rows.onInsert = [&](ScanRowSink::Row row) {
        if (row != stopAtRow) return;
        reached = true;
        while (scan.StopFlag() != DiskScan::kStopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      };
    }
    scan.StartScan(slot);
    if (stopAtRow != 0) {
      while (!reached && !scan.WorkerEnded()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (reached) scan.StopScan();
    }
    scan.WaitForWorker();
  }
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
};

// The nodes of a tree in depth-first order, children in their order.
inline std::vector<const CMyFolder*> Preorder(const CMyFolder& root) {
  std::vector<const CMyFolder*> order, pending{&root};
  while (!pending.empty()) {
    const CMyFolder* node = pending.back();
    pending.pop_back();
    order.push_back(node);
    for (int i = node->GetChildCount(); i-- > 0;) pending.push_back(node->GetChild(i));
  }
  return order;
}

// Two scans gave the same tree node by node (names, kinds, own files and
// bytes, children in order), the same rows in the same order under the same
// parents, and the same notifications.
inline void ExpectSameScan(const FinishedScan& a, const FinishedScan& b) {
  const auto nodesA = Preorder(a.root), nodesB = Preorder(b.root);
  ASSERT_EQ(nodesA.size(), nodesB.size());
  std::map<const CMyFolder*, std::size_t> indexA, indexB;
  for (std::size_t i = 0; i < nodesA.size(); ++i) {
    const CMyFolder& x = *nodesA[i];
    const CMyFolder& y = *nodesB[i];
    ASSERT_EQ(x.GetName(), y.GetName()) << "node " << i;
    ASSERT_EQ(x.Kind(), y.Kind()) << x.GetName();
    ASSERT_EQ(x.OwnFileCount(), y.OwnFileCount()) << x.GetName();
    ASSERT_EQ(x.OwnSize(), y.OwnSize()) << x.GetName();
    ASSERT_EQ(x.GetChildCount(), y.GetChildCount()) << x.GetName();
    indexA[&x] = i;
    indexB[&y] = i;
  }
  const auto rowsA = a.rows.Rows(), rowsB = b.rows.Rows();
  ASSERT_EQ(rowsA.size(), rowsB.size());
  for (std::size_t i = 0; i < rowsA.size(); ++i) {
    ASSERT_EQ(rowsA[i].parent, rowsB[i].parent) << "row " << i;
    ASSERT_EQ(indexA.at(rowsA[i].folder), indexB.at(rowsB[i].folder)) << "row " << i;
  }
  // The steps between the first folder and the last go by the clock.
  const auto milestones = [](std::vector<RecordingNotifier::Message> all) {
    const auto isStep = [](const RecordingNotifier::Message& m) {
      return m.message == WM_SCAN_PROGRESS && m.code == kScanProgressStep;
    };
    const auto last = std::find_if(all.rbegin(), all.rend(), isStep);
    const auto* lastStep = last == all.rend() ? nullptr : &*last;
    std::vector<RecordingNotifier::Message> kept;
    for (const auto& m : all) {
      if (!isStep(m) || m.value <= 1 || &m == lastStep) kept.push_back(m);
    }
    return kept;
  };
  const auto notesA = milestones(a.notes.Messages()), notesB = milestones(b.notes.Messages());
  ASSERT_EQ(notesA.size(), notesB.size());
  for (std::size_t i = 0; i < notesA.size(); ++i) {
    ASSERT_EQ(notesA[i].message, notesB[i].message) << "message " << i;
    ASSERT_EQ(notesA[i].code, notesB[i].code) << "message " << i;
    ASSERT_EQ(notesA[i].value, notesB[i].value) << "message " << i;
  }
}

// The child of `node` with exactly this name, or nullptr.
inline const CMyFolder* Child(const CMyFolder& node, const std::string& name) {
  for (int i = 0; i < node.GetChildCount(); ++i)
    if (node.GetChild(i)->GetName() == name) return node.GetChild(i);
  return nullptr;
}

// Ends the test program when a step takes longer than a hang could excuse.
class Watchdog {
 public:
  explicit Watchdog(const char* what, int seconds = 30) : what_(what) {
    thread_ = std::thread([this, seconds] {
      std::unique_lock lock(mutex_);
      if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return disarmed_; })) {
        std::fprintf(stderr, "hang: %s did not end within %d s\n", what_, seconds);
        std::fflush(stderr);
        std::abort();
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      disarmed_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  const char* what_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool disarmed_ = false;
  std::thread thread_;
};

// Counts the start, end and completion notifications and keeps nothing, so
// a thousand scans leave the heap as they found it.
class CountingNotifier final : public ScanNotifier {
 public:
  bool PostProgress(unsigned code, std::intptr_t) override {
    if (code == kScanProgressStart) ++starts;
    if (code == kScanProgressEnd) ++ends;
    return true;
  }
  bool PostCompletion(unsigned) override {
    ++completions;
    return true;
  }
  std::atomic<int> starts{0}, ends{0}, completions{0};
};

// Scans of `path` on `threads` threads started `cycles` times, each stopped at a random moment
// between its start and twice a whole scan's time (so some complete first).
// `atStart` runs after the scan that measures that time, right before the
// cycles; `completed` after each scan that completed.
struct StopCycles {
  StopCycles(platform::DirEnumerator& dirs, const std::string& path, int cycles,
             const std::function<void()>& atStart,
             const std::function<void(const CMyFolder&)>& completed,
             int threads = DiskScan::DefaultThreads()) {
    using Clock = std::chrono::steady_clock;
    // The fastest of three whole scans: one slowed by a busy machine would
    // stretch every cycle's wait. The waits are capped for the same reason.
    scanMs = 1e9;
    for (int i = 0; i < 3; ++i) {
      const auto started = Clock::now();
      { FinishedScan once(dirs, path); }
      scanMs = std::min(scanMs, std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    }
    const long range = std::clamp(static_cast<long>(2000 * scanMs), 2L, 40000L);  // microseconds
    NullRowSink rows;
    CMyFolder root;
    root.AssignName(path);
    atStart();
    std::mt19937 random(14);
    {
      DiskScan scan(dirs, rows, notes);
      scan.SetRoot(&root);
      scan.SetThreads(threads);
      // Every stop here is answered: a busy machine must not make a worker
      // that is only slow look like one blocked in a dead drive.
      scan.SetStopWait(std::chrono::minutes(1));
      for (int cycle = 0; cycle < cycles; ++cycle) {
        Watchdog watch("start/stop cycle");
        // Read before the look at IsScanning: a scan that completes between
        // the look and the stop must show as a completion.
        const int completedBefore = notes.completions;
        scan.StartScan(1 + cycle % 5);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % range));
        if (!scan.IsScanning()) {
          ++completions;
          scan.WaitForWorker();
          completed(root);
          continue;
        }
        const auto asked = Clock::now();
        scan.StopScan();
        scan.WaitForWorker();  // a worker that completed meanwhile has ended
        if (notes.completions > completedBefore) {
          // It completed between the look and the stop: no stop at all.
          ++completions;
          completed(root);
          continue;
        }
        stopMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
      }
    }
    root.Clear();
    std::sort(stopMs.begin(), stopMs.end());
    if (!stopMs.empty()) {
      std::printf("%d cycles (a whole scan %.1f ms): %zu stopped mid-scan, %d completed; stop to "
                  "worker end: median %.3f ms, longest %.3f ms\n",
                  cycles, scanMs, stopMs.size(), completions, stopMs[stopMs.size() / 2],
                  stopMs.back());
    }
  }
  CountingNotifier notes;
  double scanMs = 0;
  int completions = 0;          // cycles whose scan completed before the stop
  std::vector<double> stopMs;   // stop request to the worker's end, sorted
};

}  // namespace diskview::test
