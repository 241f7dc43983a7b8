#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/ScanDone.h"
#include "platform/DirEnumWin.h"
#include "platform/DiskSpace.h"
#include "tests/host/diskview/ScanTestSupport.h"
#include "tests/win/diskview/WinTempTree.h"

#include <winioctl.h>

namespace diskview {
namespace {

using test::MakeJunction;
using test::WinTempTree;

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::map<std::string, platform::DirEntry> List(const std::string& folder,
                                               std::vector<std::string>* order = nullptr) {
  platform::DirEnumWin dirs;
  std::map<std::string, platform::DirEntry> out;
  auto listing = dirs.Open(folder);
  if (!listing) return out;
  platform::DirEntry entry;
  while (listing->Next(entry)) {
    if (order) order->emplace_back(entry.name);
    platform::DirEntry copy = entry;
    copy.name = {};
    out[std::string(entry.name)] = copy;
  }
  return out;
}

TEST(DirEnumWin, EntriesNamesSizesAndAttributes) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"文件夹"));
  ASSERT_TRUE(tree.Folder(L".config"));
  ASSERT_TRUE(tree.File(L"plain.txt", 1234));
  ASSERT_TRUE(tree.File(L"ünïcødé ✓.bin", 77));
  ASSERT_TRUE(tree.File(L"hidden.sys", 5, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(tree.File(L"noext", 0));

  auto entries = List(tree.RootUtf8());
  ASSERT_EQ(entries.size(), 8u);  // with "." and ".."
  EXPECT_TRUE(entries["."].directory);
  EXPECT_TRUE(entries[".."].directory);
  EXPECT_TRUE(entries["文件夹"].directory);
  EXPECT_TRUE(entries[".config"].directory);
  EXPECT_FALSE(entries["文件夹"].reparse);
  EXPECT_EQ(entries["plain.txt"].size, 1234u);
  EXPECT_EQ(entries["ünïcødé ✓.bin"].size, 77u);
  EXPECT_FALSE(entries["hidden.sys"].directory);
  EXPECT_EQ(entries["hidden.sys"].size, 5u);
  EXPECT_EQ(entries.count("noext"), 1u);  // a name without a dot is listed
}

// The facts the junk rules read: last write time (seconds since 1970) and
// the read-only and system attributes.
TEST(DirEnumWin, WriteTimesAndTheReadOnlyAndSystemAttributes) {
  WinTempTree tree;
  ASSERT_TRUE(tree.File(L"dated.txt", 3));
  ASSERT_TRUE(tree.File(L"ro.txt", 1, FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(tree.File(L"sys.txt", 1, FILE_ATTRIBUTE_SYSTEM));
  // 2001-09-09 01:46:40 UTC: 1 000 000 000 seconds after 1970.
  constexpr std::int64_t kWhen = 1'000'000'000;
  const std::uint64_t ticks = (static_cast<std::uint64_t>(kWhen) + 11'644'473'600ull) * 10'000'000;
  FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  HANDLE file = CreateFileW(tree.Full(L"dated.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);

  auto entries = List(tree.RootUtf8());
  EXPECT_EQ(entries["dated.txt"].modified, kWhen);
  EXPECT_FALSE(entries["dated.txt"].readOnly);
  EXPECT_FALSE(entries["dated.txt"].system);
  EXPECT_TRUE(entries["ro.txt"].readOnly);
  EXPECT_TRUE(entries["sys.txt"].system);
  EXPECT_FALSE(entries["sys.txt"].readOnly);
}

TEST(DirEnumWin, MissingFolderCannotBeListed) {
  WinTempTree tree;
  platform::DirEnumWin dirs;
  EXPECT_EQ(dirs.Open(tree.RootUtf8() + "missing\\"), nullptr);
}

TEST(DirEnumWin, FoldersBeyondTheClassicPathLimit) {
  WinTempTree tree;
  std::wstring relative;
  for (int i = 0; i < 12; ++i) {
    relative += L"a-rather-long-folder-name-" + std::to_wstring(i);
    ASSERT_TRUE(tree.Folder(relative)) << i;
    relative += L"\\";
  }
  ASSERT_TRUE(tree.File(relative + L"deep.dat", 4096));
  const std::string deep = platform::Narrow(tree.Full(relative));
  ASSERT_GT(tree.Full(relative).size(), 300u);

  EXPECT_EQ(platform::FindPatternFor(deep).rfind(L"\\\\?\\", 0), 0u);
  EXPECT_EQ(platform::FindPatternFor("C:\\short\\"), L"C:\\short\\*");
  EXPECT_EQ(platform::FindPatternFor(""), L"*");
  // Found by the torture test: names ending in a dot or a blank were cut by
  // the path parser, so such a folder was listed as empty (or as another).
  EXPECT_EQ(platform::FindPatternFor("C:\\a.\\b \\"), L"\\\\?\\C:\\a.\\b \\*");
  EXPECT_EQ(platform::FindPatternFor("C:\\x\\.\\"), L"C:\\x\\.\\*");

  auto entries = List(deep);
  ASSERT_EQ(entries.count("deep.dat"), 1u);
  EXPECT_EQ(entries["deep.dat"].size, 4096u);
}

TEST(DirEnumWin, JunctionsAndLinksAreNameSurrogates) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"target"));
  ASSERT_TRUE(tree.File(L"target\\inside.bin", 10));
  std::vector<std::string> made;
  if (MakeJunction(tree.Full(L"junction"), tree.Full(L"target"))) made.push_back("junction");
  const DWORD kAllowUnprivileged = 0x2;
  // Some systems report success without making the link: check it exists.
  if (CreateSymbolicLinkW(tree.Full(L"symlink").c_str(), tree.Full(L"target").c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged) &&
      GetFileAttributesW(tree.Full(L"symlink").c_str()) != INVALID_FILE_ATTRIBUTES) {
    made.push_back("symlink");
  }
  if (made.empty()) {
    // Windows makes at least the junction without any privilege.
    ASSERT_TRUE(UnderWine()) << "no junction: " << GetLastError();
    GTEST_SKIP() << "known difference: this Wine makes neither junctions nor directory links";
  }
  auto entries = List(tree.RootUtf8());
  for (const std::string& name : made) {
    ASSERT_EQ(entries.count(name), 1u) << name;
    EXPECT_TRUE(entries[name].directory) << name;
    EXPECT_TRUE(entries[name].reparse) << name;
    EXPECT_TRUE(entries[name].nameSurrogate) << name;
  }
  // The scan lists each link as an empty folder and counts the target once.
  platform::DirEnumWin dirs;
  test::FinishedScan done(dirs, tree.RootUtf8());
  auto& [rows, notes, root] = done;
  EXPECT_DOUBLE_EQ(root.GetSize(true), 10);
  EXPECT_EQ(root.CountFolders(true, true), 1 + static_cast<int>(made.size()));
}

struct WinScan {
  explicit WinScan(const std::string& path) : scan(dirs, rows, notes) {
    root.AssignName(path);
    scan.SetRoot(&root);
  }
  void Run() {
    scan.StartScan(5);
    scan.WaitForWorker();
  }
  platform::DirEnumWin dirs;
  test::RecordingRows rows;
  test::RecordingNotifier notes;
  CMyFolder root;
  DiskScan scan;
};

const CMyFolder* ChildNamed(const CMyFolder& node, const std::string& name) {
  for (int i = 0; i < node.GetChildCount(); ++i) {
    if (node.GetChild(i)->GetName() == name) return node.GetChild(i);
  }
  return nullptr;
}

TEST(WinScanTree, RealFolderTree) {
  WinTempTree tree;
  ASSERT_TRUE(tree.File(L"top.txt", 100));
  ASSERT_TRUE(tree.File(L"hidden", 50, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(tree.Folder(L"文档"));
  ASSERT_TRUE(tree.File(L"文档\\报告.doc", 2048));
  ASSERT_TRUE(tree.Folder(L"文档\\空"));
  ASSERT_TRUE(tree.Folder(L".git"));
  ASSERT_TRUE(tree.File(L".git\\HEAD", 23));
  std::wstring deep = L"long";
  ASSERT_TRUE(tree.Folder(deep));
  for (int i = 0; i < 10; ++i) {
    deep += L"\\another-quite-long-folder-name-" + std::to_wstring(i);
    ASSERT_TRUE(tree.Folder(deep));
  }
  ASSERT_TRUE(tree.File(deep + L"\\beyond.bin", 3000));
  // Sparse where the file system allows it; the size is what counts.
  const bool big = tree.File(L"image.iso", 5368709120ull);

  WinScan t(tree.RootUtf8());
  t.Run();
  const double bigBytes = big ? 5368709120.0 : 0.0;
  EXPECT_DOUBLE_EQ(t.root.GetSize(true), 100 + 50 + 2048 + 23 + 3000 + bigBytes);
  EXPECT_EQ(t.root.CountFiles(true), 5 + (big ? 1 : 0));
  EXPECT_EQ(t.root.CountFolders(true, true), 4 + 10);
  const CMyFolder* docs = ChildNamed(t.root, "文档");
  ASSERT_NE(docs, nullptr);
  EXPECT_EQ(docs->GetColumnText(1), "2.00 Kb");
  ASSERT_NE(ChildNamed(*docs, "空"), nullptr);
  EXPECT_EQ(ChildNamed(*docs, "空")->GetChildCount(), 0);
  ASSERT_NE(ChildNamed(t.root, ".git"), nullptr);
  // The folder beyond the classic limit was scanned, not lost.
  const CMyFolder* at = ChildNamed(t.root, "long");
  for (int i = 0; i < 10 && at != nullptr; ++i) {
    at = ChildNamed(*at, "another-quite-long-folder-name-" + std::to_string(i));
  }
  ASSERT_NE(at, nullptr);
  EXPECT_DOUBLE_EQ(at->GetSize(true), 3000);
  EXPECT_EQ(t.notes.Count(WM_SCAN_DONE_5, 1), 1);
  const CMyFolder* group = t.root.GetChild(t.root.GetChildCount() - 1);
  EXPECT_TRUE(group->IsFileGroup());
  EXPECT_EQ(group->CountFiles(false), big ? 3 : 2);
}

TEST(WinScanTree, RootWithoutTrailingBackslash) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"sub"));
  ASSERT_TRUE(tree.File(L"sub\\x", 9));
  std::string path = tree.RootUtf8();
  path.pop_back();
  WinScan t(path);
  t.Run();
  EXPECT_DOUBLE_EQ(t.root.GetSize(true), 9);
  EXPECT_EQ(t.root.GetName(), path);
}

TEST(DiskSpaceWin, SystemDriveAndMissingDrive) {
  platform::DiskSpaceHalves space;
  ASSERT_TRUE(platform::QueryDiskSpace("C:\\", space));
  const double total = space.totalHigh * 4294967296.0 + space.totalLow;
  const double free = space.freeHigh * 4294967296.0 + space.freeLow;
  EXPECT_GT(total, 0);
  EXPECT_LE(free, total);
  auto lines = PlanDriveLines(true, space);
  EXPECT_GE(lines[1].value, 0);
  EXPECT_LE(lines[1].value, 100);

  DWORD drives = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Q'; c <= 'Y' && letter == 0; ++c) {
    if (!(drives & (1u << (c - 'A')))) letter = c;
  }
  ASSERT_NE(letter, 0);
  EXPECT_FALSE(platform::QueryDiskSpace(std::string(1, letter) + ":\\", space));
}

}  // namespace
}  // namespace diskview
