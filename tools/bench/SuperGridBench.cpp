// How long the disk tree takes to open and close a folder of 20 000 rows,
// and to open a small folder above them, in a shown window: the user clicks
// and waits for this. Prints each step's median over several runs and its
// share of the 100 ms within which a click still feels instant.
//   supergrid-bench.exe [ROWS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/diskview/DiskTreeCtrl.h"
#include "framework/WinApp.h"

namespace {

constexpr int kRuns = 5;
constexpr double kInstantMs = 100.0;

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1000.0 / f.QuadPart;
}

void Flush() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The step, then the window's repaint it causes, in milliseconds.
double Time(CWnd& shown, const std::function<void()>& step) {
  Flush();
  const double start = Now();
  step();
  shown.UpdateWindow();
  return Now() - start;
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const double median = ms[ms.size() / 2];
  std::printf("%-44s %8.1f ms   %5.2f of instant\n", what, median, median / kInstantMs);
}

class Host : public CWnd {
 public:
};

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
  CWinApp app(L"supergrid-bench");
  afx::Window<Host> host;
  if (!host.CreateEx(0, nullptr, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 600),
                     nullptr, 0)) {
    return 1;
  }
  afx::Window<CDiskTreeCtrl> tree;
  if (!tree.Create(WS_VISIBLE, CRect(0, 0, 880, 560), &host, 103)) return 1;
  Flush();

  // A root with one small folder on top, then `rows` folders.
  diskview::CMyFolder folder;
  folder.AssignName("C:\\");
  folder.SetKind(diskview::CMyFolder::kKindFolder);
  auto record = [&folder] {
    auto info = std::make_unique<diskview::TreeItemInfo>();
    info->folder = &folder;
    return info;
  };
  tree.InsertRootRow(record());
  GridTreeNode* root = tree.GetRootNode();
  GridTreeNode* small = tree.InsertChildRow(root, record());
  for (int i = 0; i < 100; ++i) tree.InsertChildRow(small, record());
  const double filled = Now();
  for (int i = 0; i < rows; ++i) tree.InsertChildRow(root, record());
  std::printf("%d rows: model built in %.1f ms (no rows yet: the root is closed)\n", rows,
              Now() - filled);

  std::vector<double> expand, collapse, smallOpen, smallClose, lastIndex;
  for (int run = 0; run < kRuns; ++run) {
    expand.push_back(Time(host, [&] { tree.ExpandNode(root, 0); }));
    smallOpen.push_back(Time(host, [&] { tree.ExpandNode(small, 1); }));
    lastIndex.push_back(Time(host, [&] { tree.NodeToIndex(root->GetLastChild()); }));
    smallClose.push_back(Time(host, [&] { tree.CollapseNode(small); }));
    collapse.push_back(Time(host, [&] { tree.CollapseNode(root); }));
  }
  char what[96];
  std::snprintf(what, sizeof what, "open the root (%d rows)", rows + 1);
  Report(what, expand);
  std::snprintf(what, sizeof what, "open 100 rows above %d", rows);
  Report(what, smallOpen);
  Report("find the last row (NodeToIndex)", lastIndex);
  Report("close those 100 rows", smallClose);
  std::snprintf(what, sizeof what, "close the root (%d rows)", rows + 1);
  Report(what, collapse);
  return 0;
}
