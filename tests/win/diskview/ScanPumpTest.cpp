// The scan with a row sink that carries each insertion over to the
// user-interface thread by SendMessage, as the disk tree control does: a
// stop must pump those insertions while it waits, or the two threads would
// wait for each other for ever.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/ScanMessages.h"
#include "app/diskview/scan/ScanNotifierWin.h"
#include "platform/DirEnumMemory.h"
#include "tests/win/common/ProcWindow.h"

namespace diskview {
namespace {

constexpr UINT kInsertRow = WM_APP + 1;
constexpr UINT kRedraw = WM_APP + 2;

struct UiState {
  int rows = 0;
  int redraws = 0;
  std::vector<std::pair<UINT, WPARAM>> messages;  // scan messages in arrival order
};

LRESULT CALLBACK UiProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<UiState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (state != nullptr) {
    if (message == kInsertRow) {
      delete reinterpret_cast<TreeItemInfo*>(lParam);
      return ++state->rows + 1;
    }
    if (message == kRedraw) {
      ++state->redraws;
      return 0;
    }
    if (message == WM_SCAN_PROGRESS || SlotOfScanDone(message) != 0) {
      state->messages.emplace_back(message, wParam);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class UiWindow {
 public:
  UiWindow() { SetWindowLongPtrW(window_.hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state)); }
  HWND hwnd() const { return window_.hwnd(); }
  UiState state;

 private:
  dravon_test::ProcWindow window_{L"DravonScanPumpTest", UiProc, HWND_MESSAGE};  // ends before state
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class SendingRows final : public ScanRowSink {
 public:
  explicit SendingRows(HWND ui) : ui_(ui) {}
  void DeleteAllRows() override {}
  Row InsertRootRow(std::unique_ptr<TreeItemInfo>) override { return 1; }
  void ExpandRow(Row) override {}
  Row InsertChildRow(Row parent, std::unique_ptr<TreeItemInfo> info) override {
    return static_cast<Row>(
        SendMessageW(ui_, kInsertRow, parent, reinterpret_cast<LPARAM>(info.release())));
  }
  void RedrawNow() override { SendMessageW(ui_, kRedraw, 0, 0); }
  void SelectRootIfNoneSelected() override {}

 private:
  HWND ui_;
};

struct PumpedScan {
  PumpedScan() : dirs("C:\\T\\"), rows(ui.hwnd()), notes(ui.hwnd(), ui.hwnd()), scan(dirs, rows, notes) {
    for (int i = 0; i < 30; ++i) {
      auto& folder = dirs.Root().Folder("f" + std::to_string(i));
      for (int j = 0; j < 10; ++j) folder.Folder("g" + std::to_string(j)).File("x", 1);
    }
    root.AssignName("C:\\T\\");
    scan.SetRoot(&root);
    // Stops here are answered, however busy the machine.
    scan.SetStopWait(std::chrono::minutes(1));
  }
  int Count(UINT message, WPARAM code) const {
    int n = 0;
    for (const auto& m : ui.state.messages) n += m.first == message && m.second == code;
    return n;
  }
  UiWindow ui;
  platform::DirEnumMemory dirs;
  SendingRows rows;
  ScanNotifierWin notes;
  CMyFolder root;
  DiskScan scan;
};

TEST(ScanWithMessagePump, CompletesWhileTheUserInterfacePumps) {
  PumpedScan t;
  t.scan.StartScan(2);
  // A message loop until the completion message arrives.
  while (t.Count(WM_SCAN_DONE_2, 1) == 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  t.scan.WaitForWorker();
  Pump();
  EXPECT_EQ(t.ui.state.rows, 30 + 300 + 300);  // folders, subfolders, their file groups
  EXPECT_EQ(t.ui.state.redraws, 1);
  EXPECT_EQ(t.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(t.root.CountFiles(true), 300);
}

TEST(ScanWithMessagePump, StopWhileTheWorkerWaitsOnTheUserInterface) {
  PumpedScan t;
  t.scan.StartScan(4);
  // Nothing pumps: the worker is now blocked in its first row insertion.
  Sleep(100);
  EXPECT_EQ(t.ui.state.rows, 0);
  t.scan.StopScan();  // returns only because it pumps while it waits
  Pump();
  EXPECT_FALSE(t.scan.IsScanning());
  EXPECT_LE(t.ui.state.rows, 1);
  EXPECT_EQ(t.Count(WM_SCAN_DONE_4, 1), 0);
  EXPECT_EQ(t.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(t.ui.state.redraws, 0);
}

TEST(ScanWithMessagePump, PostedInputWaitsUntilTheStopHasEnded) {
  PumpedScan t;
  t.scan.StartScan(4);
  Sleep(50);
  // A message posted before the stop (a click on another drive, say) is not
  // dispatched inside the stop's wait, where it could start a scan.
  PostMessageW(t.ui.hwnd(), WM_SCAN_PROGRESS, 99, 0);
  t.scan.StopScan();
  EXPECT_EQ(t.Count(WM_SCAN_PROGRESS, 99), 0);
  Pump();
  EXPECT_EQ(t.Count(WM_SCAN_PROGRESS, 99), 1);
  EXPECT_EQ(t.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
}

TEST(ScanWithMessagePump, RestartAfterCompletionBeforeItsLastSend) {
  PumpedScan t;
  t.scan.StartScan(1);
  // Let the scan run to its end but leave its final messages queued, then
  // start again at once: the new start must wait for the old worker without
  // blocking it.
  while (t.scan.IsScanning()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Pump();
  }
  t.scan.StartScan(3);
  EXPECT_TRUE(t.scan.IsScanning());
  while (t.Count(WM_SCAN_DONE_3, 1) == 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  t.scan.WaitForWorker();
  EXPECT_EQ(t.Count(WM_SCAN_DONE_1, 1), 1);
  EXPECT_EQ(t.root.CountFiles(true), 300);
}

}  // namespace
}  // namespace diskview
