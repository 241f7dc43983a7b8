// Scavra's dialog: one row per junk category with a check box, its file
// count and size; "扫描" finds the junk, "清理" removes the checked rows'
// after asking once, then scans again. Both run on a worker thread while
// the dialog stays responsive, showing the folder at hand a few times a
// second.
//
// The user-interface thread never waits on a drive or the shell: the
// category's folders are resolved, listed and emptied on the worker, and
// "关闭" returns at once whatever the worker is doing. A job's state is
// shared by the dialog and its worker; on closing, the dialog asks the
// worker to stop and lets go of it, and the worker, holding everything it
// touches, ends on its own (it looks at the stop flag between entries, and
// an emptying of the recycle bins or a listing blocked on a network folder
// ends when the system lets it). Results are kept as the worker makes them:
// a job that fails midway says so in the progress line, with what it found
// or removed until then; its end reaches the dialog by a posted message,
// and by the dialog's timer should the post be lost.
//
// Plain Win32, as the outside libraries are: Scavra depends on nothing of
// the program but its size texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "outside/scavra/Junk.h"
#include "outside/scavra/SystemWin.h"
#include "platform/DirEnum.h"

namespace scavra {

// Private messages of the dialog, posted by the worker.
constexpr UINT kMsgDone = WM_APP + 2;  // the worker's job ended

// The dialog's progress line when a job failed.
extern const char kScanFailedLine[];
extern const char kCleanFailedLine[];

// What the dialog's worker asks of Windows (and how it tells the dialog it
// is done). Each part is the system's own here; the dialog's tests put slow,
// blocking or failing ones in their places. Called on the worker thread.
class ScanSystem {
 public:
  virtual ~ScanSystem() = default;
  virtual std::string PlaceFolder(Place place);
  virtual bool FolderExists(const std::string& folder);
  virtual bool FolderWritable(const std::string& folder);
  virtual bool QueryRecycleBins(BinFigures& out);
  virtual bool EmptyRecycleBins();
  virtual std::unique_ptr<platform::DirEnumerator> NewListing();
  virtual std::unique_ptr<Remover> NewRemover();
  // False when the dialog's queue refused the message.
  virtual bool Post(HWND dialog, UINT message);
};

class ScanDialog {
 public:
  explicit ScanDialog(HINSTANCE module,
                      std::shared_ptr<ScanSystem> system = std::make_shared<ScanSystem>())
      : module_(module), system_(std::move(system)) {}
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
  // One job: what its worker reads and fills, shared with it.
  struct Work;

  static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnCommand(int id);
  bool OnItemChanging(const NMLISTVIEW& change);
  void OnTick();
  void OnDone();
  // Moved to a monitor of another scale: the suggested rectangle, the list's
  // columns and, where the system does not scale the template itself (before
  // per-monitor awareness v2, and under a test's message), every control
  // and the template's font.
  void OnDpiChanged(UINT dpi, const RECT& suggested);

  void StartScan();
  void StartClean();
  // Hands `work` to a new worker; false (and says so) when none starts.
  bool StartWorker(std::shared_ptr<Work> work);
  // Stops the running job's worker and lets go of it.
  void LetGo();
  void Close();
  // The worker's bodies: on the worker thread, touching only `work`.
  static void RunWorker(const std::shared_ptr<Work>& work);
  static void ScanWork(Work& work);
  static void CleanWork(Work& work);

  void FillList();
  void UpdateButtons();
  bool Checked(int row) const;
  void SetText(int id, const std::string& text);

  HINSTANCE module_;
  std::shared_ptr<ScanSystem> system_;
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
  std::vector<Row> rows_;  // the user-interface thread's own
  Job job_ = Job::None;
  std::shared_ptr<Work> work_;  // the running job's
  std::thread worker_;
  // A failed clean-up's line, shown once the scan after it has ended.
  std::string note_;
  // The DPI the dialog is laid out for; the template's font, the DPI it was
  // made for, and its copy for another DPI (ours).
  UINT dpi_ = 96;
  HFONT templateFont_ = nullptr;
  UINT templateDpi_ = 96;
  HFONT scaledFont_ = nullptr;
};

}  // namespace scavra
