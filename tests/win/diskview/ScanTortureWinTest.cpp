// The real engine over the Win32 listing under Wine, on trees that fight
// back: folders that vanish and come back mid-scan, a file turning into a
// folder, unreadable folders (where Wine enforces them), junction loops,
// awkward names (CJK, emoji, trailing dots and blanks), a 5 GiB sparse file,
// paths past 1 000 characters, 100 000 entries in one folder, a chain as
// deep as the file system allows up to 10 000, and 1 000 stops at random
// moments. Nothing may crash or hang, handles and memory end where they
// began, and the totals of what stayed still are what was made. The stop
// figures are printed, not asserted.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "app/diskview/scan/DiskScan.h"
#include "platform/DirEnumWin.h"
#include "tests/host/diskview/ScanTestSupport.h"
#include "tests/win/diskview/WinTempTree.h"

namespace diskview {
namespace {

using test::Child;
using test::WinTempTree;
using test::Watchdog;
using Clock = std::chrono::steady_clock;

// What the process holds: kernel handles, threads, private bytes.
struct Holdings {
  static Holdings Now() {
    // Wine starts helper threads the first time a thread is made and a
    // folder listed: let them be there before any count.
    std::thread([] {}).join();
    platform::DirEnumWin().Open("C:\\");
    Holdings h;
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    h.handles = handles;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    h.privateBytes = memory.PrivateUsage;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    for (BOOL more = Thread32First(snapshot, &t); more; more = Thread32Next(snapshot, &t))
      h.threads += t.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return h;
  }
  DWORD handles = 0;
  std::size_t privateBytes = 0;
  int threads = 0;
};

void ExpectNothingHeld(const Holdings& before) {
  // A joined thread may stay listed a moment longer under Wine.
  Holdings after = Holdings::Now();
  for (int i = 0; i < 100 && after.threads > before.threads; ++i) {
    Sleep(10);
    after = Holdings::Now();
  }
  EXPECT_EQ(after.handles, before.handles);
  EXPECT_EQ(after.threads, before.threads);
  // The heap keeps some freed pages for reuse.
  EXPECT_LE(after.privateBytes, before.privateBytes + 4 * 1024 * 1024);
}

// A folder the test's CMake fixture made from the Unix side, below the
// place DRAVON_TORTURE_TREES names as a Wine path.
std::string FixtureFolder(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"DRAVON_TORTURE_TREES", path, MAX_PATH) == 0) return {};
  std::wstring folder = std::wstring(path) + L"/" + name;
  std::replace(folder.begin(), folder.end(), L'/', L'\\');
  return platform::Narrow(folder) + "\\";
}

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

TEST(WinScanTorture, AwkwardNamesJunctionsSparseFileAndLongPaths) {
  WinTempTree tree;
  const std::wstring names[] = {L"文件夹", L"ファイル", L"😀 emoji 🎉", L"trailing dot.",
                                L"trailing space ", L"dots and blanks. . ", L" leading blank",
                                L"ünïcødé", L"semi;colon,comma", L"[brackets] {braces}",
                                L"#%&+=@'!", std::wstring(240, L'n'), L".hidden", L"..."};
  double bytes = 0;
  int files = 0, folders = 0;
  for (std::size_t i = 0; i < std::size(names); ++i) {
    ASSERT_TRUE(tree.Folder(names[i])) << i;
    ASSERT_TRUE(tree.File(names[i] + L"\\" + names[i], 100 + i)) << i;
    bytes += 100 + i;
    ++files;
    ++folders;
  }
  const bool sparse = tree.File(L"sparse.img", 5368709120ull);
  ASSERT_TRUE(sparse);
  bytes += 5368709120.0;
  ++files;
  // 1 300 characters: 50 levels of long names.
  std::wstring deep = L"long";
  ASSERT_TRUE(tree.Folder(deep));
  ++folders;
  for (int i = 0; i < 50; ++i) {
    deep += L"\\level-with-a-long-name-" + std::to_wstring(i);
    ASSERT_TRUE(tree.Folder(deep)) << i;
    ++folders;
  }
  ASSERT_GT(tree.Full(deep).size(), 1000u);
  ASSERT_TRUE(tree.File(deep + L"\\bottom", 4096));
  bytes += 4096;
  ++files;
  // A junction to the tree's own root (a loop) and one to a sibling.
  int links = 0;  // junctions really made
  if (test::MakeJunction(tree.Full(L"root-loop"), tree.Root())) ++links;
  if (test::MakeJunction(tree.Full(L"to-sibling"), tree.Full(names[0]))) ++links;
  std::printf("junctions made: %d of 2\n", links);
  folders += 2;  // a link that could not be made is still the folder it began as

  // The first scan of such names starts what Wine keeps for later; count
  // what the second one leaves behind.
  {
    platform::DirEnumWin dirs;
    test::FinishedScan first(dirs, tree.RootUtf8());
  }
  const Holdings before = Holdings::Now();
  {
    Watchdog watch("scan of awkward names");
    platform::DirEnumWin dirs;
    test::FinishedScan done(dirs, tree.RootUtf8());
    EXPECT_DOUBLE_EQ(done.root.GetSize(true), bytes);
    EXPECT_EQ(done.root.CountFiles(true), files);
    EXPECT_EQ(done.root.CountFolders(true, true), folders);
    if (done.root.CountFolders(true, true) != folders) {
      for (int i = 0; i < done.root.GetChildCount(); ++i)
        std::printf("child [%s] folders %d\n", done.root.GetChild(i)->GetName().c_str(),
                    done.root.GetChild(i)->CountFolders(true, true));
    }
    for (const std::wstring& name : names) {
      const CMyFolder* node = Child(done.root, platform::Narrow(name));
      ASSERT_NE(node, nullptr) << platform::Narrow(name);
      EXPECT_EQ(node->CountFiles(true), 1);
    }
  }
  ExpectNothingHeld(before);
}

// Made from the Unix side by the test's CMake fixture (big):
// 99 900 empty files and 100 folders. Made through Wine, one call at a
// time, they take longer than the test may run.
TEST(WinScanTorture, HundredThousandEntriesInOneFolder) {
  const std::string folder = FixtureFolder(L"big");
  ASSERT_FALSE(folder.empty()) << "the fixture makes the folder";
  const Holdings before = Holdings::Now();
  {
    Watchdog watch("scan of 100 000 entries");
    platform::DirEnumWin dirs;
    test::FinishedScan done(dirs, folder);
    EXPECT_EQ(done.root.CountFiles(true), 99900);
    EXPECT_EQ(done.root.CountFolders(true, true), 100);
    EXPECT_EQ(done.rows.Rows().size(), 1u + 100 + 1);
  }
  ExpectNothingHeld(before);
}

// A chain 1 000 deep, made from the Unix side by the fixture (deep). The
// host tests walk 10 000 levels; Wine reaches folders through Unix paths,
// which end at 4 096 bytes (about 1 990 levels here), and resolves every
// level's whole path again in its one server process, so the walk grows
// with the square of the depth and stalls every other Wine program while it
// runs. A thousand levels, all reachable, are listed in full.
TEST(WinScanTorture, ChainThousandDeep) {
  const std::string folder = FixtureFolder(L"deep");
  ASSERT_FALSE(folder.empty()) << "the fixture makes the chain";
  const Holdings before = Holdings::Now();
  {
    Watchdog watch("scan of a chain 1 000 deep", 200);
    const auto started = Clock::now();
    platform::DirEnumWin dirs;
    test::FinishedScan done(dirs, folder);
    std::printf("chain scan took %.1f s\n",
                std::chrono::duration<double>(Clock::now() - started).count());
    EXPECT_EQ(done.root.CountFolders(true, true), 1000);
    EXPECT_EQ(done.notes.Count(WM_SCAN_DONE_1, 1), 1);
  }
  ExpectNothingHeld(before);
}

// 40 folders of 25 files of 1 KiB, that nothing touches.
double MakeStill(WinTempTree& tree, int& files) {
  double bytes = 0;
  EXPECT_TRUE(tree.Folder(L"still"));
  for (int f = 0; f < 40; ++f) {
    const std::wstring folder = L"still\\folder-" + std::to_wstring(f);
    EXPECT_TRUE(tree.Folder(folder));
    for (int i = 0; i < 25; ++i) {
      EXPECT_TRUE(tree.File(folder + L"\\file-" + std::to_wstring(i), 1024 + f));
      bytes += 1024 + f;
      ++files;
    }
  }
  return bytes;
}

TEST(WinScanTorture, FoldersVanishReappearAndTurnIntoFilesMidScan) {
  WinTempTree tree;
  int stillFiles = 0;
  const double stillBytes = MakeStill(tree, stillFiles);
  ASSERT_TRUE(tree.Folder(L"churn"));
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(tree.Folder(L"churn\\gone-" + std::to_wstring(i)));
    ASSERT_TRUE(tree.File(L"churn\\gone-" + std::to_wstring(i) + L"\\x", 10));
    ASSERT_TRUE(tree.File(L"churn\\shape-" + std::to_wstring(i), 20));
  }
  const Holdings before = Holdings::Now();
  std::atomic<bool> stop{false};
  std::atomic<long> changes{0};
  std::thread churner([&] {
    std::mt19937 random(7);
    while (!stop) {
      const std::wstring n = std::to_wstring(random() % 30);
      const std::wstring gone = Long(tree.Full(L"churn\\gone-" + n));
      const std::wstring away = Long(tree.Full(L"churn\\away-" + n));
      const std::wstring shape = Long(tree.Full(L"churn\\shape-" + n));
      switch (random() % 3) {
        case 0:
          DeleteFileW((gone + L"\\x").c_str());
          RemoveDirectoryW(gone.c_str());
          CreateDirectoryW(gone.c_str(), nullptr);
          break;
        case 1:
          MoveFileW(gone.c_str(), away.c_str());
          MoveFileW(away.c_str(), gone.c_str());
          break;
        case 2: {
          const DWORD a = GetFileAttributesW(shape.c_str());
          if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveDirectoryW(shape.c_str());
            HANDLE f = CreateFileW(shape.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
          } else {
            DeleteFileW(shape.c_str());
            CreateDirectoryW(shape.c_str(), nullptr);
          }
          break;
        }
      }
      ++changes;
    }
  });
  int scans = 0;
  for (; scans < 20; ++scans) {
    Watchdog watch("scan under churn");
    platform::DirEnumWin dirs;
    test::FinishedScan done(dirs, tree.RootUtf8());
    EXPECT_EQ(done.notes.Count(WM_SCAN_DONE_1, 1), 1);
    const CMyFolder* still = Child(done.root, "still");
    ASSERT_NE(still, nullptr);
    EXPECT_DOUBLE_EQ(still->GetSize(true), stillBytes);
    EXPECT_EQ(still->CountFiles(true), stillFiles);
    EXPECT_EQ(still->CountFolders(true, true), 40);
  }
  stop = true;
  churner.join();
  std::printf("churn: %d scans completed during %ld changes\n", scans, changes.load());
  ExpectNothingHeld(before);
}

// A folder whose Unix permissions were taken away before the test started
// (locked, made by the test's CMake fixture): Wine honours
// those bits, not Windows security descriptors, and root ignores them.
TEST(WinScanTorture, UnreadableFolderStaysEmpty) {
  const std::string folder = FixtureFolder(L"locked");
  if (folder.empty()) GTEST_SKIP() << "no locked folder was made for this run";
  const std::string parent = folder.substr(0, folder.rfind('\\', folder.size() - 2) + 1);
  platform::DirEnumWin dirs;
  if (dirs.Open(folder) != nullptr)
    GTEST_SKIP() << "the locked folder can be listed: running as root, who ignores permission bits";
  test::FinishedScan done(dirs, parent);
  const CMyFolder* node = Child(done.root, "locked");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetChildCount(), 0);
  EXPECT_EQ(node->GetSize(true), 0);
  EXPECT_EQ(done.notes.Count(WM_SCAN_DONE_1, 1), 1);
}

TEST(WinScanTorture, ThousandStopsAtRandomMoments) {
  WinTempTree tree;
  int stillFiles = 0;
  const double stillBytes = MakeStill(tree, stillFiles);
  platform::DirEnumWin dirs;
  Holdings before;
  test::StopCycles cycles(dirs, tree.RootUtf8(), 1000, [&] { before = Holdings::Now(); },
                          [&](const CMyFolder& root) {
                            EXPECT_DOUBLE_EQ(root.GetSize(true), stillBytes);
                            EXPECT_EQ(root.CountFiles(true), stillFiles);
                          });
  ExpectNothingHeld(before);
  EXPECT_EQ(cycles.notes.ends.load(), 1000);
  EXPECT_EQ(cycles.notes.starts.load(), 1000);
  EXPECT_EQ(cycles.notes.completions.load(), cycles.completions);
}

}  // namespace
}  // namespace diskview
