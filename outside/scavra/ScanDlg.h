// Scavra's dialog: one row per junk category with a check box, its file
// count and size; "扫描" finds the junk, "清理" removes the checked rows'
// after asking once, then scans again. Both run on a worker thread while
// the dialog stays responsive, showing the folder at hand a few times a
// second; "关闭" stops the worker (it looks at the stop flag between
// entries) and waits for it.
//
// Plain Win32, as the outside libraries are: Scavra depends on nothing of
// the program but its size texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "outside/scavra/Junk.h"
#include "outside/scavra/SystemWin.h"

namespace scavra {

// Private messages of the dialog, posted by the worker.
constexpr UINT kMsgProgress = WM_APP + 1;  // a new folder to show
constexpr UINT kMsgDone = WM_APP + 2;      // the worker's job ended

class ScanDialog {
 public:
  explicit ScanDialog(HINSTANCE module) : module_(module) {}
  ~ScanDialog();
  ScanDialog(const ScanDialog&) = delete;
  ScanDialog& operator=(const ScanDialog&) = delete;

  // Modal over `owner`; returns when the dialog is closed.
  INT_PTR Run(HWND owner);

  // One category's row.
  struct Row {
    const Category* category = nullptr;
    std::vector<std::string> roots;  // those that exist
    bool needsAdmin = false;         // not elevated, and the roots refuse
    Junk junk;
    BinFigures bin;
    std::uint64_t Files() const;
    std::uint64_t Bytes() const;
  };

 private:
  enum class Job { None, Scan, Clean };

  static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnCommand(int id);
  bool OnItemChanging(const NMLISTVIEW& change);
  void OnDone();

  void StartScan();
  void StartClean();
  void StopWorker();
  void Close();
  // The worker's bodies; they fill the shared results and post kMsgDone.
  void ScanWork(std::vector<Row> rows);
  void CleanWork(std::vector<Row> rows);
  Progress WorkerProgress();
  template <class Body>
  void RunOnWorker(Body&& body);

  void FillList();
  void UpdateButtons();
  bool Checked(int row) const;
  void SetText(int id, const std::string& text);

  HINSTANCE module_;
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
  std::vector<Row> rows_;  // the user-interface thread's own
  Job job_ = Job::None;
  std::thread worker_;
  std::atomic<bool> stop_{false};

  // Shared with the worker.
  std::mutex mutex_;
  std::string latestFolder_;
  std::chrono::steady_clock::time_point lastPost_{};
  std::vector<Row> scanned_;
  CleanResult cleaned_;
};

}  // namespace scavra
