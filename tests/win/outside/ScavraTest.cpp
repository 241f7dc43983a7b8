// Scavra's Windows side under Wine, in a private prefix of its own
// (scavra-prefix.sh): the roots the system names, the deletion seam on
// folders each test makes in that prefix's temp folder, the links the
// prefix prepared there, and the dialog through the library's ordinal 1.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>

#include "outside/scavra/Junk.h"
#include "outside/scavra/ScanDlg.h"
#include "outside/scavra/SystemWin.h"
#include "platform/DirEnumWin.h"
#include "platform/TextWin.h"
#include "res/scavra/resource.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/ModalProbe.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/common/TextFit.h"
#include "tests/win/common/WindowPicture.h"
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

Junk Scan(const std::string& root, Rule rule, std::int64_t now,
          platform::DirEnumWin::Method method = platform::DirEnumWin::Method::Buffered) {
  platform::DirEnumWin dirs(method);
  scavra::RemoverWin inspector;
  Junk junk;
  EXPECT_TRUE(scavra::FindJunk(dirs, inspector, root, 0, rule, now, {}, junk));
  return junk;
}

CleanResult Clean(const Junk& junk, const std::string& root, Rule rule) {
  scavra::RemoverWin remover;
  CleanResult done;
  scavra::Clean(junk, {root}, rule, TwoDaysOn(), '\\', remover, {}, done);
  return done;
}

// What a remover is told of an entry: anything goes, or anything but a
// read-only file (as the rules other than the temp folders' say).
bool Anything(const scavra::FileFacts&) { return true; }
bool NotReadOnly(const scavra::FileFacts& facts) { return !facts.readOnly; }

FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SetLastWrite(const std::wstring& path, const FILETIME& when) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(file, nullptr, nullptr, &when) != FALSE;
  CloseHandle(file);
  return ok;
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

  // The seam itself refuses a system file whatever it is told, and a
  // read-only file its caller's rule refuses.
  ASSERT_TRUE(tree.File(L"ro2.tmp", 3, FILE_ATTRIBUTE_READONLY));
  scavra::RemoverWin remover;
  using Outcome = scavra::Remover::Outcome;
  EXPECT_EQ(remover.RemoveFile(tree.RootUtf8(), Narrow(tree.Full(L"sys.tmp")), Anything),
            Outcome::Skipped);
  EXPECT_EQ(remover.RemoveFile(tree.RootUtf8(), Narrow(tree.Full(L"ro2.tmp")), NotReadOnly),
            Outcome::Skipped);
  EXPECT_NE(GetFileAttributesW(tree.Full(L"ro2.tmp").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(remover.RemoveFile(tree.RootUtf8(), Narrow(tree.Full(L"gone.tmp")), Anything),
            Outcome::Gone);
}

// A file written again after the scan (a log, a download in progress), or
// replaced by another with the same name, size and time, is no longer the
// junk the scan found: whether the listing told the files' indices
// (NtQueryDirectoryFile) or the seam read them (FindFirstFileExW tells
// none).
TEST(ScavraRemover, AFileWrittenAgainSinceTheScanStays) {
  for (auto method : {platform::DirEnumWin::Method::Buffered, platform::DirEnumWin::Method::FindFile}) {
    SCOPED_TRACE(method == platform::DirEnumWin::Method::FindFile ? "indices read" : "indices listed");
    WinTempTree tree;
    ASSERT_TRUE(tree.File(L"log.txt", 100));
    ASSERT_TRUE(tree.File(L"download.part", 50));
    ASSERT_TRUE(tree.File(L"untouched.tmp", 10));
    const Junk junk = Scan(tree.RootUtf8(), Rule::OldTemp, TwoDaysOn(), method);
    ASSERT_EQ(junk.files.size(), 3u);
    for (const auto& file : junk.files) EXPECT_NE(file.facts.index, 0u);

    HANDLE log = CreateFileW(tree.Full(L"log.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(log, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    WriteFile(log, "more\n", 5, &wrote, nullptr);
    CloseHandle(log);
    // Saved as programs save: a new file put in the old one's place.
    const FILETIME written = LastWrite(tree.Full(L"download.part"));
    ASSERT_TRUE(tree.File(L"download.new", 50));
    ASSERT_TRUE(SetLastWrite(tree.Full(L"download.new"), written));
    ASSERT_TRUE(MoveFileExW(tree.Full(L"download.new").c_str(),
                            tree.Full(L"download.part").c_str(), MOVEFILE_REPLACE_EXISTING));

    const CleanResult done = Clean(junk, tree.RootUtf8(), Rule::OldTemp);
    EXPECT_EQ(done.files, 1u);
    EXPECT_EQ(done.bytes, 10u);
    EXPECT_EQ(done.skipped, 2u);
    EXPECT_EQ(ReadAll(tree.Full(L"log.txt")).size(), 105u);
    EXPECT_TRUE(Exists(tree.Full(L"download.part")));
    EXPECT_FALSE(Exists(tree.Full(L"untouched.tmp")));
  }
}

// The read-only attribute belongs to the file, not to its name: a file
// linked into temp from elsewhere goes from temp (where the system can
// ignore the attribute) or stays, but keeps it at its other name.
TEST(ScavraRemover, AReadOnlyFileLinkedFromElsewhereStaysReadOnlyThere) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"elsewhere"));
  ASSERT_TRUE(tree.Folder(L"temp"));
  ASSERT_TRUE(tree.File(L"elsewhere\\precious.doc", 30, FILE_ATTRIBUTE_READONLY));
  if (!CreateHardLinkW(tree.Full(L"temp\\link.doc").c_str(),
                       tree.Full(L"elsewhere\\precious.doc").c_str(), nullptr)) {
    GTEST_SKIP() << "no hard links here";
  }
  const std::string root = Narrow(tree.Full(L"temp\\"));
  const Junk junk = Scan(root, Rule::OldTemp, TwoDaysOn());
  ASSERT_EQ(junk.files.size(), 1u);
  const CleanResult done = Clean(junk, root, Rule::OldTemp);
  const DWORD there = GetFileAttributesW(tree.Full(L"elsewhere\\precious.doc").c_str());
  ASSERT_NE(there, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(there & FILE_ATTRIBUTE_READONLY, 0u);
  const bool removed = !Exists(tree.Full(L"temp\\link.doc"));
  EXPECT_EQ(done.files + done.skipped, 1u);
  EXPECT_EQ(removed, done.files == 1u);
  std::printf("the linked read-only file was %s\n",
              removed ? "removed, its attribute ignored" : "skipped");
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
                               Anything),
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

// "关闭" during a scan stops the worker: with many files in temp, closing at
// the first look leaves no thread behind once it has seen the stop. Prints
// the time of a whole scan and of the close (the time itself is for a
// person, not a verdict).
TEST(ScavraDialog, CloseDuringAScanStopsTheWorker) {
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
  // The worker sees the stop between entries and ends on its own.
  const ULONGLONG until = GetTickCount64() + 10000;
  while (ThreadsOfThisProcess() != threads && GetTickCount64() < until) Sleep(20);
  EXPECT_EQ(ThreadsOfThisProcess(), threads);
  std::printf("whole scan %llu ms; closed %s the scan in %llu ms\n", whole,
              running ? "during" : "after", stop);
}

// Closing while a scan runs: the probe closes the dialog at its first
// look, mostly before the scan has ended. Prints the time close took.
// ---- display scale ------------------------------------------------------------

// What the scale decides in the dialog: its controls' places, the list's
// columns, the font's height.
struct DialogScale {
  std::vector<RECT> controls;
  std::vector<int> columns;
  int fontHeight = 0;
};

DialogScale ScaleOf(HWND dialog) {
  DialogScale s;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    s.controls.push_back(r);
  }
  HWND list = GetDlgItem(dialog, IDC_JUNK_LIST);
  for (int i = 0; i < 3; ++i) s.columns.push_back(ListView_GetColumnWidth(list, i));
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  s.fontHeight = lf.lfHeight;
  return s;
}

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const RECT& x, const RECT& y) {
           return EqualRect(&x, &y) != FALSE;
         });
}

TEST(ScavraDialog, AtEveryScaleControlsColumnsAndFontAreTheScaledOnesAndTextsFit) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  auto inspect = [&](HWND dialog) {
    ASSERT_TRUE(WaitForScan(dialog, 20000));
    HWND list = GetDlgItem(dialog, IDC_JUNK_LIST);
    const DialogScale at96 = ScaleOf(dialog);
    const std::vector<int> cellsAt96 = dravon_test::FittingCells(list);
    for (const auto& o : dravon_test::OverflowingTexts(dialog, 96)) ADD_FAILURE() << "at 96: " << o;
    dravon_test::MonitorScale monitor(96);
    for (const int dpi : {120, 144, 192}) {
      SCOPED_TRACE(dpi);
      monitor.MoveTo(dialog, static_cast<UINT>(dpi));
      const DialogScale now = ScaleOf(dialog);
      auto scaled = [&](LONG v) { return MulDiv(v, dpi, 96); };
      ASSERT_EQ(at96.controls.size(), now.controls.size());
      for (std::size_t i = 0; i < now.controls.size(); ++i) {
        EXPECT_EQ(scaled(at96.controls[i].left), now.controls[i].left) << i;
        EXPECT_EQ(scaled(at96.controls[i].top), now.controls[i].top) << i;
        EXPECT_EQ(scaled(at96.controls[i].right), now.controls[i].right) << i;
      }
      for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(scaled(at96.columns[i]), now.columns[i]) << i;
      EXPECT_EQ(scaled(at96.fontHeight), now.fontHeight);
      for (const auto& o : dravon_test::OverflowingTexts(dialog, dpi)) ADD_FAILURE() << o;
      const std::vector<int> cells = dravon_test::FittingCells(list);
      for (int cell : cellsAt96) EXPECT_TRUE(std::find(cells.begin(), cells.end(), cell) != cells.end()) << cell;
      monitor.MoveTo(dialog, 96);
      const DialogScale back = ScaleOf(dialog);
      EXPECT_TRUE(SameRects(at96.controls, back.controls));
      EXPECT_EQ(at96.columns, back.columns);
      EXPECT_EQ(at96.fontHeight, back.fontHeight);
    }
  };
  EXPECT_EQ(dravon_test::CallWithModalProbe(entry, dravon_test::WithClass(L"#32770"), inspect,
                                            dravon_test::kCancel),
            0);
}

TEST(ScavraDialog, TwoHundredChangesOfScaleLeaveNoObjectBehind) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  dravon_test::GuiCounts before, after;
  auto inspect = [&](HWND dialog) {
    ASSERT_TRUE(WaitForScan(dialog, 20000));
    dravon_test::MonitorScale monitor(96);
    for (const UINT dpi : {120u, 192u}) {
      monitor.MoveTo(dialog, dpi);
      monitor.MoveTo(dialog, 96);
    }
    before = dravon_test::CurrentGuiCounts();
    for (int i = 0; i < 100; ++i) {
      monitor.MoveTo(dialog, i % 2 ? 120 : 192);
      monitor.MoveTo(dialog, 96);
    }
    after = dravon_test::CurrentGuiCounts();
  };
  dravon_test::CallWithModalProbe(entry, dravon_test::WithClass(L"#32770"), inspect, dravon_test::kCancel);
  EXPECT_LE(std::abs(after.gdi - before.gdi), dravon_test::kGdiCacheSlack) << before.gdi << " " << after.gdi;
  EXPECT_EQ(after.user, before.user);
}

// Pictures for a person to look at (build/win/screenshots/scavra-dpi*.bmp).
TEST(ScavraDialog, ShownAtOneAndAHalfAndTwiceTheScale) {
  Entry entry = ScavraEntry();
  ASSERT_NE(entry, nullptr);
  auto inspect = [&](HWND dialog) {
    ASSERT_TRUE(WaitForScan(dialog, 20000));
    dravon_test::MonitorScale monitor(96);
    for (const int dpi : {144, 192}) {
      monitor.MoveTo(dialog, static_cast<UINT>(dpi));
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      UpdateWindow(dialog);
      WaitForScan(dialog, 300);
      dravon_test::Save(dravon_test::Capture(dialog), (L"scavra-dpi" + std::to_wstring(dpi) + L".bmp").c_str());
      monitor.MoveTo(dialog, 96);
    }
  };
  dravon_test::CallWithModalProbe(entry, dravon_test::WithClass(L"#32770"), inspect, dravon_test::kCancel);
}

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

// --- The dialog over a system of the test's own -------------------------

// Holds the worker at one point until released: by the test's guard at the
// latest, or after half a minute, so a close that waits for the worker
// fails rather than hangs.
class Gate {
 public:
  Gate()
      : entered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        released_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Gate() {
    CloseHandle(entered_);
    CloseHandle(released_);
  }
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;
  void Pass() {
    inside_ = true;
    SetEvent(entered_);
    WaitForSingleObject(released_, 30000);
    inside_ = false;
  }
  bool Entered(DWORD ms) { return WaitForSingleObject(entered_, ms) == WAIT_OBJECT_0; }
  bool Inside() const { return inside_; }
  void Release() { SetEvent(released_); }

 private:
  HANDLE entered_;
  HANDLE released_;
  std::atomic<bool> inside_{false};
};

enum class Block { None, RootLookup, Listing, BinsCount, BinsEmptying };

// A listing that blocks at its first folder.
class BlockingListing final : public platform::DirEnumerator {
 public:
  explicit BlockingListing(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
  std::unique_ptr<Listing> Open(const std::string& folder) override {
    gate_->Pass();
    return dirs_.Open(folder);
  }
  char Separator() const override { return '\\'; }

 private:
  std::shared_ptr<Gate> gate_;
  platform::DirEnumWin dirs_;
};

// Removes as the system does, but throws at its second file.
class FailingRemover final : public scavra::Remover {
 public:
  bool Inspect(const std::string& root, const std::string& path,
               scavra::FileFacts& out) override {
    return real_.Inspect(root, path, out);
  }
  bool RootVolume(const std::string& root, std::uint64_t& out) override {
    return real_.RootVolume(root, out);
  }
  Outcome RemoveFile(const std::string& root, const std::string& path,
                     const StillJunk& stillJunk) override {
    if (++files_ == 2) throw std::runtime_error("injected");
    return real_.RemoveFile(root, path, stillJunk);
  }
  bool RemoveEmptyFolder(const std::string& root, const std::string& path) override {
    return real_.RemoveEmptyFolder(root, path);
  }

 private:
  scavra::RemoverWin real_;
  int files_ = 0;
};

// Every category's folder is one below the test's tree (made only where a
// test wants it), the recycle bins are counted as `bin` and never really
// emptied; the worker blocks where `block` says, removes with a remover
// that fails when `failRemoval`, and its messages to the dialog are lost
// when `losePosts`.
class TestSystem final : public scavra::ScanSystem {
 public:
  explicit TestSystem(std::string top) : top_(std::move(top)) {}
  std::string PlaceFolder(scavra::Place place) override {
    if (block == Block::RootLookup && place == scavra::Place::UserTemp) gate->Pass();
    return top_ + "place" + std::to_string(static_cast<int>(place)) + "\\";
  }
  bool QueryRecycleBins(scavra::BinFigures& out) override {
    if (block == Block::BinsCount) gate->Pass();
    out = bin;
    return true;
  }
  bool EmptyRecycleBins() override {
    if (block == Block::BinsEmptying) gate->Pass();
    return true;
  }
  std::unique_ptr<platform::DirEnumerator> NewListing() override {
    if (block == Block::Listing) return std::make_unique<BlockingListing>(gate);
    return ScanSystem::NewListing();
  }
  std::unique_ptr<scavra::Remover> NewRemover() override {
    if (failRemoval) return std::make_unique<FailingRemover>();
    return ScanSystem::NewRemover();
  }
  bool Post(HWND dialog, UINT message) override {
    return losePosts ? false : ScanSystem::Post(dialog, message);
  }

  Block block = Block::None;
  std::shared_ptr<Gate> gate = std::make_shared<Gate>();
  scavra::BinFigures bin;
  bool failRemoval = false;
  bool losePosts = false;

 private:
  std::string top_;
};

// The folder of `place` below the test's tree, made, with `files` old
// files in it.
void MakePlace(const WinTempTree& tree, scavra::Place place, int files) {
  const std::wstring folder = L"place" + std::to_wstring(static_cast<int>(place));
  CreateDirectoryW(tree.Full(folder).c_str(), nullptr);
  FILETIME old{};
  const ULONGLONG ticks = (static_cast<ULONGLONG>(std::time(nullptr)) - 3 * 86400 +
                           11'644'473'600ULL) * 10'000'000ULL;
  old.dwLowDateTime = static_cast<DWORD>(ticks);
  old.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  for (int i = 0; i < files; ++i) {
    const std::wstring file = folder + L"\\old" + std::to_wstring(i) + L".tmp";
    HANDLE made = CreateFileW(tree.Full(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                              nullptr);
    DWORD wrote = 0;
    WriteFile(made, "junk", 4, &wrote, nullptr);
    SetFileTime(made, nullptr, nullptr, &old);
    CloseHandle(made);
  }
}

HMODULE ScavraModule() {
  static HMODULE library = LoadLibraryW(L"Scavra.dll");
  return library;
}

std::wstring Text(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// Clicks "清理" and answers its question with "是".
void CleanAndConfirm(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLEAN, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CLEAN)));
  bool asked = false;
  dravon_test::CallWithModalProbe(
      [&] {
        // The click runs the question's own loop from inside this pump.
        const ULONGLONG until = GetTickCount64() + 10000;
        while (!asked && GetTickCount64() < until) {
          MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
          MSG msg;
          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
          }
        }
        return 0;
      },
      dravon_test::WithCaption(L"清理"), [&](HWND) { asked = true; },
      dravon_test::CloseBy{WM_COMMAND, IDYES});
  EXPECT_TRUE(asked);
}

// Pumps until the summary line says something and the scan after the
// clean-up has ended.
bool WaitForCleanAndRescan(HWND dialog, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    if (!Text(dialog, IDC_SUMMARY_LINE).empty() && IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN))) {
      return true;
    }
    WaitForScan(dialog, 20);  // pumps while the job runs
    Sleep(1);
  }
  return false;
}

// A failure midway through a clean-up is no success: the summary counts
// what went before it, the progress line says it failed, and the scan
// after it shows what is left. And a worker whose messages to the dialog
// are all lost still ends its jobs there: the dialog looks for the end.
TEST(ScavraDialogSeams, AFailureOrALostMessageNeverLeavesAJobHanging) {
  struct Seen {
    bool scanned = false, cleaned = false;
    std::wstring summary, line, left;
  };
  const auto run = [](bool failRemoval, bool losePosts) {
    WinTempTree tree;
    MakePlace(tree, scavra::Place::UserTemp, 3);
    auto system = std::make_shared<TestSystem>(tree.RootUtf8());
    system->failRemoval = failRemoval;
    system->losePosts = losePosts;
    scavra::ScanDialog dialog(ScavraModule(), system);
    Seen seen;
    dravon_test::CallWithModalProbe(
        [&] { return dialog.Run(nullptr); }, dravon_test::WithClass(L"#32770"),
        [&](HWND window) {
          seen.scanned = WaitForScan(window, 10000);
          if (!seen.scanned) return;
          CleanAndConfirm(window);
          seen.cleaned = WaitForCleanAndRescan(window, 10000);
          seen.summary = Text(window, IDC_SUMMARY_LINE);
          seen.line = Text(window, IDC_PROGRESS_LINE);
          seen.left = Cell(GetDlgItem(window, IDC_JUNK_LIST), 0, 1);
        },
        dravon_test::kCancel);
    return seen;
  };
  const Seen failed = run(true, false);
  EXPECT_TRUE(failed.cleaned);
  EXPECT_EQ(failed.summary, L"已清理 4 byte，1 个文件；0 个文件正在使用，已跳过。");
  EXPECT_EQ(failed.line, Widen(scavra::kCleanFailedLine));
  EXPECT_EQ(failed.left, L"2");

  const Seen lost = run(false, true);
  EXPECT_TRUE(lost.scanned);
  EXPECT_TRUE(lost.cleaned);
  EXPECT_EQ(lost.summary, L"已清理 12 byte，3 个文件；0 个文件正在使用，已跳过。");
  EXPECT_EQ(lost.line, L"");
  EXPECT_EQ(lost.left, L"0");
}

// "关闭" returns while the worker is blocked (a recycle bin slow to count or
// to empty, a temp folder on a drive that does not answer, to resolve or to
// list); the worker, released, ends on its own and lets go of everything.
// Prints how long each close took.
TEST(ScavraDialogSeams, CloseReturnsWhileTheWorkerIsBlocked) {
  const struct {
    Block block;
    const char* name;
  } points[] = {{Block::RootLookup, "resolving temp"},
                {Block::Listing, "listing temp"},
                {Block::BinsCount, "counting the bins"},
                {Block::BinsEmptying, "emptying the bins"}};
  for (const auto& point : points) {
    SCOPED_TRACE(point.name);
    WinTempTree tree;
    MakePlace(tree, scavra::Place::UserTemp, 1);
    auto system = std::make_shared<TestSystem>(tree.RootUtf8());
    system->bin = {1, 100};
    const std::shared_ptr<Gate> gate = system->gate;
    struct Releaser {
      Gate& gate;
      ~Releaser() { gate.Release(); }
    } releaser{*gate};
    if (point.block != Block::BinsEmptying) system->block = point.block;
    const std::weak_ptr<TestSystem> held = system;
    bool blocked = false;
    ULONGLONG closing = 0;
    {
      scavra::ScanDialog dialog(ScavraModule(), std::move(system));
      dravon_test::CallWithModalProbe(
          [&] { return dialog.Run(nullptr); }, dravon_test::WithClass(L"#32770"),
          [&](HWND window) {
            if (point.block == Block::BinsEmptying) {
              ASSERT_TRUE(WaitForScan(window, 20000));
              HWND list = GetDlgItem(window, IDC_JUNK_LIST);
              ListView_SetItemState(list, 2, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
              held.lock()->block = Block::BinsEmptying;
              CleanAndConfirm(window);
            }
            blocked = gate->Entered(20000);
            closing = GetTickCount64();
          },
          dravon_test::kCancel);
    }
    const ULONGLONG took = GetTickCount64() - closing;
    EXPECT_TRUE(blocked);
    EXPECT_TRUE(gate->Inside()) << "closed only once the worker had gone on";
    std::printf("closed while %s in %llu ms\n", point.name, took);
    gate->Release();
    const ULONGLONG until = GetTickCount64() + 10000;
    while (!held.expired() && GetTickCount64() < until) Sleep(10);
    EXPECT_TRUE(held.expired()) << "the worker ended and let go of its state";
  }
}

}  // namespace
