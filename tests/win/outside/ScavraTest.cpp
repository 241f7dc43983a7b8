// Scavra's Windows side under Wine, in a private prefix of its own
// (scavra-prefix.sh): the roots the system names, the deletion seam on
// folders each test makes in that prefix's temp folder, the links the
// prefix prepared there, and the dialog through the library's ordinal 1.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <chrono>
#include <ctime>
#include <string>

#include "outside/scavra/Junk.h"
#include "outside/scavra/SystemWin.h"
#include "platform/DirEnumWin.h"
#include "platform/TextWin.h"
#include "res/scavra/resource.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/ModalProbe.h"
#include "tests/win/diskview/WinTempTree.h"

namespace {

using diskview::test::WinTempTree;
using platform::Narrow;
using platform::Widen;
using scavra::CleanResult;
using scavra::Junk;
using scavra::Rule;

// Everything made now is a day old by then.
std::int64_t TwoDaysOn() { return static_cast<std::int64_t>(std::time(nullptr)) + 2 * 86400; }

Junk Scan(const std::string& root, Rule rule, std::int64_t now) {
  platform::DirEnumWin dirs;
  Junk junk;
  EXPECT_TRUE(scavra::FindJunk(dirs, root, 0, rule, now, {}, junk));
  return junk;
}

CleanResult Clean(const Junk& junk, const std::string& root, Rule rule) {
  scavra::RemoverWin remover;
  return scavra::Clean(junk, {root}, rule, '\\', remover, {});
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256];
  DWORD got = 0;
  ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(file);
  return std::string(buffer, got);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  return CompareStringOrdinal(Widen(text.substr(text.size() - tail.size())).c_str(), -1,
                              Widen(tail).c_str(), -1, TRUE) == CSTR_EQUAL;
}

TEST(ScavraPlaces, RootsAreTheSystemsOwnFolders) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  EXPECT_EQ(scavra::PlaceFolder(scavra::Place::UserTemp), Narrow(temp));
  EXPECT_TRUE(EndsWith(scavra::PlaceFolder(scavra::Place::WindowsTemp), "\\windows\\Temp\\"));
  EXPECT_TRUE(EndsWith(scavra::PlaceFolder(scavra::Place::ExplorerCache),
                       "\\AppData\\Local\\Microsoft\\Windows\\Explorer\\"));
  EXPECT_TRUE(EndsWith(scavra::PlaceFolder(scavra::Place::CrashDumps),
                       "\\AppData\\Local\\CrashDumps\\"));
  EXPECT_TRUE(EndsWith(scavra::PlaceFolder(scavra::Place::ReportQueue),
                       "\\ProgramData\\Microsoft\\Windows\\WER\\ReportQueue\\"));
  EXPECT_TRUE(EndsWith(scavra::PlaceFolder(scavra::Place::ReportArchive),
                       "\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive\\"));
  EXPECT_TRUE(scavra::FolderWritable(Narrow(temp)));
  EXPECT_FALSE(scavra::FolderExists(Narrow(temp) + "no-such-folder\\"));
}

TEST(ScavraRemover, AFileHeldWithoutShareDeleteIsSkippedCountedAndKept) {
  WinTempTree tree;
  ASSERT_TRUE(tree.File(L"busy.log", 10));
  ASSERT_TRUE(tree.File(L"free.log", 20));
  HANDLE held = CreateFileW(tree.Full(L"busy.log").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Junk junk = Scan(tree.RootUtf8(), Rule::OldTemp, TwoDaysOn());
  ASSERT_EQ(junk.files.size(), 2u);
  const CleanResult done = Clean(junk, tree.RootUtf8(), Rule::OldTemp);
  EXPECT_EQ(done.files, 1u);
  EXPECT_EQ(done.bytes, 20u);
  EXPECT_EQ(done.skipped, 1u);
  CloseHandle(held);
  // Not marked for deletion on the holder's close, nor left for a restart.
  EXPECT_TRUE(Exists(tree.Full(L"busy.log")));
  EXPECT_FALSE(Exists(tree.Full(L"free.log")));
  HKEY session = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &session) == ERROR_SUCCESS) {
    EXPECT_NE(RegQueryValueExW(session, L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                               nullptr),
              ERROR_SUCCESS);
    RegCloseKey(session);
  }
}

TEST(ScavraRemover, ReadOnlyTempFilesGoSystemFilesStay) {
  WinTempTree tree;
  ASSERT_TRUE(tree.File(L"ro.tmp", 3, FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(tree.File(L"sys.tmp", 5, FILE_ATTRIBUTE_SYSTEM));
  const Junk junk = Scan(tree.RootUtf8(), Rule::OldTemp, TwoDaysOn());
  ASSERT_EQ(junk.files.size(), 1u);  // the system file is not junk
  EXPECT_EQ(Clean(junk, tree.RootUtf8(), Rule::OldTemp).files, 1u);
  EXPECT_FALSE(Exists(tree.Full(L"ro.tmp")));
  EXPECT_TRUE(Exists(tree.Full(L"sys.tmp")));

  // The seam itself refuses both unless told to clear the attribute.
  ASSERT_TRUE(tree.File(L"ro2.tmp", 3, FILE_ATTRIBUTE_READONLY));
  scavra::RemoverWin remover;
  using Outcome = scavra::Remover::Outcome;
  EXPECT_EQ(remover.RemoveFile(tree.RootUtf8(), Narrow(tree.Full(L"sys.tmp")), true),
            Outcome::Skipped);
  EXPECT_EQ(remover.RemoveFile(tree.RootUtf8(), Narrow(tree.Full(L"ro2.tmp")), false),
            Outcome::Skipped);
  EXPECT_NE(GetFileAttributesW(tree.Full(L"ro2.tmp").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(remover.RemoveFile(tree.RootUtf8(), Narrow(tree.Full(L"gone.tmp")), false),
            Outcome::Gone);
}

TEST(ScavraRemover, LongPathsAndNamesOutsideTheCodePage) {
  WinTempTree tree;
  std::wstring relative;
  for (int i = 0; i < 12; ++i) {
    relative += L"长路径-a-folder-name-ß-" + std::to_wstring(i) + L"\\";
    ASSERT_TRUE(tree.Folder(relative.substr(0, relative.size() - 1)));
  }
  const std::wstring file = relative + L"文件-😀-Ωmega.tmp";
  ASSERT_TRUE(tree.File(file, 42));
  ASSERT_GE(tree.Full(file).size(), 300u);
  ASSERT_TRUE(tree.File(L"Ελληνικά.tmp", 1));
  const Junk junk = Scan(tree.RootUtf8(), Rule::OldTemp, TwoDaysOn());
  ASSERT_EQ(junk.files.size(), 2u);
  EXPECT_EQ(junk.folders.size(), 12u);
  const CleanResult done = Clean(junk, tree.RootUtf8(), Rule::OldTemp);
  EXPECT_EQ(done.files, 2u);
  EXPECT_EQ(done.bytes, 43u);
  EXPECT_EQ(done.skipped, 0u);
  EXPECT_FALSE(Exists(tree.Full(L"长路径-a-folder-name-ß-0")));
  EXPECT_TRUE(Exists(tree.Root()));  // the root stays
}

TEST(ScavraRemover, FoldersGoOnlyWhenEmptyAndNeverOutsideTheRoot) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"a"));
  ASSERT_TRUE(tree.File(L"a\\x.tmp", 1));
  scavra::RemoverWin remover;
  EXPECT_FALSE(remover.RemoveEmptyFolder(tree.RootUtf8(), Narrow(tree.Full(L"a\\"))));
  EXPECT_TRUE(Exists(tree.Full(L"a\\x.tmp")));
  // A root given as a folder below the real one: the file's final path
  // lies outside it.
  ASSERT_TRUE(tree.Folder(L"b"));
  EXPECT_EQ(remover.RemoveFile(Narrow(tree.Full(L"b\\")), Narrow(tree.Full(L"b\\..\\a\\x.tmp")),
                               false),
            scavra::Remover::Outcome::Skipped);
  EXPECT_TRUE(Exists(tree.Full(L"a\\x.tmp")));
}

// The prefix put two Unix links in its temp folder, to a file and a folder
// in C:\scavra-outside. Whatever the listing makes of them, their targets
// stay.
TEST(ScavraRemover, UnixLinksInTempNeverReachTheirTargets) {
  const std::string root = scavra::PlaceFolder(scavra::Place::UserTemp) + "scavra-links\\";
  ASSERT_TRUE(scavra::FolderExists(root)) << "made by scavra-prefix.sh";
  ASSERT_EQ(ReadAll(L"C:\\scavra-outside\\keep.txt"), "keep me\n");
  const Junk junk = Scan(root, Rule::OldTemp, TwoDaysOn());
  EXPECT_GE(junk.files.size(), 1u);
  const CleanResult done = Clean(junk, root, Rule::OldTemp);
  EXPECT_EQ(ReadAll(L"C:\\scavra-outside\\keep.txt"), "keep me\n");
  EXPECT_EQ(ReadAll(L"C:\\scavra-outside\\dir\\inner.txt"), "keep me too\n");
  std::printf("links: %zu found, %zu removed, %zu skipped\n", junk.files.size(), done.files,
              done.skipped);
}

TEST(ScavraRemover, AJunctionIsRemovedAsALink) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"target"));
  ASSERT_TRUE(tree.File(L"target\\keep.txt", 7));
  ASSERT_TRUE(tree.Folder(L"inside"));
  if (!diskview::test::MakeJunction(tree.Full(L"inside\\jn"), tree.Full(L"target"))) {
    GTEST_SKIP() << "no junctions here";
  }
  const std::string root = Narrow(tree.Full(L"inside\\"));
  const Junk junk = Scan(root, Rule::OldTemp, TwoDaysOn());
  ASSERT_EQ(junk.files.size(), 1u);
  EXPECT_EQ(Clean(junk, root, Rule::OldTemp).files, 1u);
  EXPECT_FALSE(Exists(tree.Full(L"inside\\jn")));
  EXPECT_TRUE(Exists(tree.Full(L"target\\keep.txt")));
}

// --- The dialog, through the library's entry ------------------------------

using Entry = int (*)();

Entry ScavraEntry() {
  static HMODULE library = LoadLibraryW(L"Scavra.dll");
  return reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(1))));
}

// Pumps until the dialog's scan has ended ("扫描" enabled again).
bool WaitForScan(HWND dialog, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN))) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return false;
}

std::wstring Cell(HWND list, int row, int column) {
  wchar_t text[128] = {};
  ListView_GetItemText(list, row, column, text, 128);
  return text;
}

TEST(ScavraDialog, ShowsTheCategoriesAndClosesFromTheCaller) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  std::wstring caption, header, rows[5];
  bool scanned = false;
  auto inspect = [&](HWND dialog) {
    wchar_t text[64] = {};
    GetWindowTextW(dialog, text, 64);
    caption = text;
    scanned = WaitForScan(dialog, 20000);
    HWND list = GetDlgItem(dialog, IDC_JUNK_LIST);
    for (int i = 0; i < 5; ++i) rows[i] = Cell(list, i, 0);
    HWND head = ListView_GetHeader(list);
    for (int i = 0; i < 3; ++i) {
      HDITEMW item{};
      item.mask = HDI_TEXT;
      item.pszText = text;
      item.cchTextMax = 64;
      Header_GetItem(head, i, &item);
      header += text;
      header += L"|";
    }
  };
  EXPECT_EQ(dravon_test::CallWithModalProbe(entry, dravon_test::WithClass(L"#32770"), inspect,
                                            dravon_test::kCancel),
            0);
  EXPECT_EQ(caption, L"系统扫描与垃圾清理");
  EXPECT_TRUE(scanned);
  EXPECT_EQ(header, L"类别|文件数|大小|");
  EXPECT_EQ(rows[0], L"用户临时文件");
  EXPECT_EQ(rows[1], L"系统临时文件");
  EXPECT_EQ(rows[2], L"回收站");
  EXPECT_EQ(rows[3], L"缩略图缓存");
  EXPECT_EQ(rows[4], L"错误报告与内存转储");
}

TEST(ScavraDialog, AStandardUserCannotCheckTheSystemTempRow) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", L"1");
  std::wstring size, userSize;
  UINT image = 99;
  UINT imageAfter = 99;
  auto inspect = [&](HWND dialog) {
    ASSERT_TRUE(WaitForScan(dialog, 20000));
    HWND list = GetDlgItem(dialog, IDC_JUNK_LIST);
    size = Cell(list, 1, 2);
    userSize = Cell(list, 0, 2);
    image = ListView_GetItemState(list, 1, LVIS_STATEIMAGEMASK) >> 12;
    ListView_SetItemState(list, 1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    imageAfter = ListView_GetItemState(list, 1, LVIS_STATEIMAGEMASK) >> 12;
  };
  dravon_test::CallWithModalProbe(entry, dravon_test::WithClass(L"#32770"), inspect,
                                  dravon_test::kCancel);
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", nullptr);
  EXPECT_EQ(size, L"需要管理员权限");
  EXPECT_NE(userSize, L"需要管理员权限");
  EXPECT_EQ(image, 0u);
  EXPECT_EQ(imageAfter, 0u);
}

std::size_t ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  std::size_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  CloseHandle(snapshot);
  return count;
}

// "关闭" during a scan stops the worker and waits for it: with many files in
// temp, closing at the first look leaves no thread behind. Prints the time
// of a whole scan and of the close (the stop is seen between entries; the
// time itself is for a person, not a verdict).
TEST(ScavraDialog, CloseDuringAScanEndsTheWorker) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  WinTempTree tree;
  for (int folder = 0; folder < 200; ++folder) {
    const std::wstring name = L"f" + std::to_wstring(folder);
    ASSERT_TRUE(tree.Folder(name));
    for (int file = 0; file < 30; ++file) {
      ASSERT_TRUE(tree.File(name + L"\\x" + std::to_wstring(file) + L".tmp", 1));
    }
  }
  ULONGLONG whole = 0;
  dravon_test::CallWithModalProbe(
      entry, dravon_test::WithClass(L"#32770"),
      [&](HWND dialog) {
        const ULONGLONG opened = GetTickCount64();
        EXPECT_TRUE(WaitForScan(dialog, 60000));
        whole = GetTickCount64() - opened;
      },
      dravon_test::kCancel);
  const std::size_t threads = ThreadsOfThisProcess();
  bool running = false;
  ULONGLONG closing = 0;
  dravon_test::CallWithModalProbe(
      entry, dravon_test::WithClass(L"#32770"),
      [&](HWND dialog) {
        running = !IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN));
        closing = GetTickCount64();
      },
      dravon_test::kCancel);
  const ULONGLONG stop = GetTickCount64() - closing;
  EXPECT_EQ(ThreadsOfThisProcess(), threads);
  std::printf("whole scan %llu ms; closed %s the scan in %llu ms\n", whole,
              running ? "during" : "after", stop);
}

// Closing while a scan runs: the probe closes the dialog at its first
// look, mostly before the scan has ended. Prints the time close took.
TEST(ScavraDialog, TwoHundredOpeningsLeaveTheObjectCountsFlat) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  auto once = [&] {
    dravon_test::CallWithModalProbe(entry, dravon_test::WithClass(L"#32770"), [](HWND) {},
                                    dravon_test::kCancel);
  };
  for (int i = 0; i < 3; ++i) once();  // warm-up
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 200; ++i) once();
  const auto took = std::chrono::steady_clock::now() - start;
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user);
  std::printf("200 openings: %lld ms; GDI %ld -> %ld, USER %ld -> %ld\n",
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(took).count()),
              before.gdi, after.gdi, before.user, after.user);
}

}  // namespace
