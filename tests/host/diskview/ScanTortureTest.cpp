// The real engine over the POSIX listing on folder trees that fight back:
// folders that vanish and come back mid-scan, a file turning into a folder,
// unreadable folders, link loops, every awkward name, a 5 GiB sparse file,
// paths past 1 000 characters, 100 000 entries in one folder, a chain 10 000
// deep, and 1 000 stops at random moments. Nothing may crash or hang (a
// watchdog ends a run stuck for 30 s), nothing may leak (descriptors,
// threads, heap), and the totals of what stayed still are what find says.
// A scan with reader threads gives what one with none gives.
// The stop figures are printed, not asserted.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/diskview/scan/DiskScan.h"
#include "platform/DirEnumPosix.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview {
namespace {

namespace fs = std::filesystem;
using test::Child;

// Every tree is scanned on one thread and on this many, and the two scans
// must agree node by node, row by row.
constexpr int kManyThreads = 4;
using test::Watchdog;

// What the process holds: open descriptors, threads, heap bytes in use.
struct Holdings {
  static Holdings Now() {
    // A thread started once first, so a sanitizer's own helper thread (made
    // with the first thread) is there before the count, not only after.
    std::thread([] {}).join();
    Holdings h;
    for (const char* dir : {"/proc/self/fd", "/proc/self/task"}) {
      std::size_t n = 0;
      for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
      (dir[11] == 'f' ? h.descriptors : h.threads) = n;
    }
    h.heap = mallinfo2().uordblks;
    return h;
  }
  std::size_t descriptors = 0;
  std::size_t threads = 0;
  std::size_t heap = 0;
};

void ExpectNothingHeld(const Holdings& before) {
  const Holdings after = Holdings::Now();
  EXPECT_EQ(after.descriptors, before.descriptors);
  EXPECT_EQ(after.threads, before.threads);
  // Under a sanitizer the allocator is its own and reports nothing here;
  // LeakSanitizer checks there instead. Allow the allocator's own slack.
  if (before.heap != 0) {
    EXPECT_LE(after.heap, before.heap + 256 * 1024);
  }
}

// Output of a shell command.
std::string Run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

// What find says of a tree, counted the way the scan counts: a link to a
// folder is a folder (not entered), any other non-folder is a file, and the
// bytes are the regular files' apparent sizes.
struct FindTotals {
  explicit FindTotals(const fs::path& dir) {
    const std::string q = "'" + dir.string() + "'";
    // (find says so when it meets a link loop; that is no error here.)
    folders = Run("find " + q + " -mindepth 1 -xtype d -printf x 2>/dev/null").size();
    files = Run("find " + q + " -mindepth 1 ! -xtype d -printf x 2>/dev/null").size();
    bytes = 0;
    std::string sizes = Run("find " + q + " -type f -printf '%s\\n'");
    for (std::size_t at = 0, nl; (nl = sizes.find('\n', at)) != std::string::npos; at = nl + 1)
      bytes += std::stod(sizes.substr(at, nl - at));
  }
  std::size_t folders;
  std::size_t files;
  double bytes;
};

void ExpectTotals(const CMyFolder& node, const FindTotals& find) {
  EXPECT_DOUBLE_EQ(node.GetSize(true), find.bytes);
  EXPECT_EQ(node.CountFiles(true), static_cast<int>(find.files));
  EXPECT_EQ(node.CountFolders(true, true), static_cast<int>(find.folders));
}

void MakeFile(const fs::path& p, std::uint64_t bytes) {
  const int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << p;
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(bytes)), 0);  // sparse: nothing is written
  close(fd);
}

class ScanTorture : public ::testing::Test {
 protected:
  void SetUp() override {
    // Memory-backed where there is such a place: making and removing
    // 100 000 entries on a disk takes longer than scanning them.
    const fs::path base = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
    dir = base /
          ("dravon-torture-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Remove();
    fs::create_directories(dir);
  }
  void TearDown() override { Remove(); }
  // Whatever the test left: deep chains, locked folders, links.
  void Remove() { std::system(("chmod -R u+rwx '" + dir.string() + "' 2>/dev/null; rm -rf '" + dir.string() + "'").c_str()); }

  fs::path dir;
};

TEST_F(ScanTorture, AwkwardNamesLinksSparseFileAndLongPaths) {
  const std::string names[] = {
      "文件夹", "ファイル", "😀 emoji 🎉", "trailing dot.", "trailing space ", " leading space",
      "-dash", "new\nline", "tab\tname", "back\\slash", "quote\"'`$(x)", "*?[glob]",
      "\xff\xfe invalid utf-8 \x80", "\xc3\x28 broken pair", "\xed\xa0\x80 surrogate",
      std::string(255, 'n'), ".hidden", "..."};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    ASSERT_TRUE(fs::create_directory(dir / names[i])) << i;
    MakeFile(dir / names[i] / names[i], 100 + i);
  }
  MakeFile(dir / "sparse.img", 5368709120ull);
  // A path of 1 300 characters, opened level by level.
  fs::path deep = dir / "long";
  fs::create_directory(deep);
  for (int i = 0; i < 50; ++i) {
    deep /= "level-with-a-long-name-" + std::to_string(i);
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0) << i;
  }
  ASSERT_GT(deep.string().size(), 1000u);
  MakeFile(deep / "bottom", 4096);
  // Links: a loop of two, one to the tree's own root, one to a sibling
  // folder, one dangling, one to a file.
  fs::create_symlink(dir / "loop-b", dir / "loop-a");
  fs::create_symlink(dir / "loop-a", dir / "loop-b");
  fs::create_directory_symlink(dir, dir / "root-link");
  fs::create_directory_symlink(dir / "文件夹", dir / "dir-link");
  fs::create_symlink(dir / "missing", dir / "dangling");
  fs::create_symlink(dir / "sparse.img", dir / "file-link");

  const FindTotals find(dir);
  const Holdings before = Holdings::Now();
  {
    Watchdog watch("scan of awkward names");
    platform::DirEnumPosix dirs;
    test::FinishedScan done(dirs, dir.string(), 1, 1);
    test::ExpectSameScan(done, test::FinishedScan(dirs, dir.string(), 1, kManyThreads));
    ExpectTotals(done.root, find);
    EXPECT_GE(done.root.GetSize(true), 5368709120.0);
    for (const std::string& name : names) {
      const CMyFolder* node = Child(done.root, name);
      ASSERT_NE(node, nullptr) << name;  // byte for byte, whatever the bytes
      EXPECT_EQ(node->CountFiles(true), 1) << name;
    }
    const CMyFolder* link = Child(done.root, "root-link");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetChildCount(), 0);  // listed, never entered
  }
  ExpectNothingHeld(before);
}

TEST_F(ScanTorture, HundredThousandEntriesInOneFolder) {
  constexpr int kEntries = 100000;
  const fs::path big = dir / "big";
  fs::create_directory(big);
  const int at = open(big.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(at, 0);
  for (int i = 0; i < kEntries; ++i) {
    const std::string name = "entry-" + std::to_string(i);
    if (i % 1000 == 999) {
      ASSERT_EQ(mkdirat(at, name.c_str(), 0755), 0);
      continue;
    }
    const int fd = openat(at, name.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0) << i;
    if (i % 10 == 0) {
      ASSERT_EQ(ftruncate(fd, i), 0);
    }
    close(fd);
  }
  close(at);

  const FindTotals find(dir);
  ASSERT_EQ(find.files + find.folders, static_cast<std::size_t>(kEntries) + 1);
  const Holdings before = Holdings::Now();
  {
    Watchdog watch("scan of 100 000 entries");
    platform::DirEnumPosix dirs;
    test::FinishedScan done(dirs, dir.string(), 1, 1);
    test::ExpectSameScan(done, test::FinishedScan(dirs, dir.string(), 1, kManyThreads));
    ExpectTotals(done.root, find);
    // The root's row, big's, its 100 folders' and big's file group.
    EXPECT_EQ(done.rows.Rows().size(), 1u + 1 + 100 + 1);
  }
  ExpectNothingHeld(before);
}

TEST_F(ScanTorture, ChainTenThousandDeep) {
  constexpr int kDepth = 10000;
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < kDepth; ++i) {
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0) << i;
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    ASSERT_GE(next, 0) << i;
    fd = next;
  }
  const int file = openat(fd, "bottom", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  ASSERT_EQ(ftruncate(file, 777), 0);
  close(file);
  close(fd);

  const FindTotals find(dir);
  ASSERT_EQ(find.folders, static_cast<std::size_t>(kDepth));
  const Holdings before = Holdings::Now();
  {
    Watchdog watch("scan of a chain 10 000 deep");
    platform::DirEnumPosix dirs;
    test::FinishedScan done(dirs, dir.string(), 1, 1);
    test::ExpectSameScan(done, test::FinishedScan(dirs, dir.string(), 1, kManyThreads));
    ExpectTotals(done.root, find);
    EXPECT_EQ(done.rows.Rows().size(), 1u + kDepth + 1);
  }
  ExpectNothingHeld(before);
}

// A folder replaced by a link after its parent was listed is not entered,
// whether it is opened relative to its open parent or, once that listing is
// gone, from the root; neither is a level above it, nor a mount point.
TEST_F(ScanTorture, LinksSwappedInAndMountPointsAreNeverEntered) {
  fs::create_directories(dir / "a" / "b" / "c");
  fs::create_directories(dir / "elsewhere" / "b" / "c");
  MakeFile(dir / "elsewhere" / "b" / "c" / "secret", 1);
  const std::string root = dir.string() + "/";
  platform::DirEnumPosix dirs;
  auto top = dirs.Open(root);
  ASSERT_NE(top, nullptr);
  auto a = dirs.Open(root + "a/");
  ASSERT_NE(a, nullptr);
  fs::rename(dir / "a", dir / "a-moved");
  fs::create_directory_symlink(dir / "elsewhere", dir / "a");
  // Relative to the open listing of a (now a-moved): its real child.
  auto b = dirs.Open(root + "a/b/");
  EXPECT_NE(b, nullptr);
  b.reset();
  a.reset();
  // From the root: through the link, so refused, at the last level and
  // at any level above it.
  EXPECT_EQ(dirs.Open(root + "a/"), nullptr);
  EXPECT_EQ(dirs.Open(root + "a/b/"), nullptr);
  EXPECT_EQ(dirs.Open(root + "a/b/c/"), nullptr);
  EXPECT_NE(dirs.Open(root + "elsewhere/b/c/"), nullptr);

  // A mount point below a scanned folder, where the system has one.
  std::ifstream mounts("/proc/mounts");
  std::string device, point, rest;
  while (mounts >> device >> point && std::getline(mounts, rest)) {
    if (point == "/dev/shm" || point == "/dev/pts") break;
    point.clear();
  }
  if (point.empty()) return;
  platform::DirEnumPosix system;
  ASSERT_NE(system.Open("/dev/"), nullptr);
  EXPECT_EQ(system.Open(point + "/"), nullptr) << point;
  auto dev = system.Open("/dev/");
  ASSERT_NE(dev, nullptr);
  EXPECT_EQ(system.Open(point + "/"), nullptr) << point;  // relative to the open /dev
}

// A tree of 40 folders of 25 files (1 KiB each) that nothing touches.
void MakeStill(const fs::path& still) {
  for (int f = 0; f < 40; ++f) {
    const fs::path folder = still / ("folder-" + std::to_string(f));
    fs::create_directories(folder);
    for (int i = 0; i < 25; ++i) MakeFile(folder / ("file-" + std::to_string(i)), 1024 + f);
  }
}

TEST_F(ScanTorture, FoldersVanishReappearAndTurnIntoFilesMidScan) {
  MakeStill(dir / "still");
  const fs::path churn = dir / "churn";
  for (int i = 0; i < 30; ++i) {
    fs::create_directories(churn / ("gone-" + std::to_string(i)) / "inner");
    MakeFile(churn / ("gone-" + std::to_string(i)) / "inner" / "x", 10);
    MakeFile(churn / ("shape-" + std::to_string(i)), 20);
  }
  const FindTotals still(dir / "still");

  // Folders are removed and made again, renamed away and back, and files
  // are replaced by folders of the same name and back, as fast as possible.
  const Holdings before = Holdings::Now();
  std::atomic<bool> stop{false};
  std::atomic<long> changes{0};
  std::thread churner([&] {
    std::mt19937 random(7);
    while (!stop) {
      const std::string n = std::to_string(random() % 30);
      const fs::path gone = churn / ("gone-" + n);
      const fs::path shape = churn / ("shape-" + n);
      std::error_code ec;
      switch (random() % 3) {
        case 0:
          fs::remove_all(gone, ec);
          fs::create_directories(gone / "inner", ec);
          break;
        case 1:
          fs::rename(gone, churn / ("away-" + n), ec);
          fs::rename(churn / ("away-" + n), gone, ec);
          break;
        case 2:
          if (fs::is_directory(shape, ec)) {
            fs::remove_all(shape, ec);
            close(open(shape.c_str(), O_WRONLY | O_CREAT, 0644));
          } else {
            fs::remove(shape, ec);
            fs::create_directory(shape, ec);
          }
          break;
      }
      ++changes;
    }
  });
  int scans = 0;
  for (; scans < 40; ++scans) {
    Watchdog watch("scan under churn");
    platform::DirEnumPosix dirs;
    test::FinishedScan done(dirs, dir.string(), 1, scans % 2 == 0 ? 1 : kManyThreads);
    EXPECT_EQ(done.notes.Count(WM_SCAN_DONE_1, 1), 1);
    const CMyFolder* s = Child(done.root, "still");
    ASSERT_NE(s, nullptr);
    ExpectTotals(*s, still);
  }
  stop = true;
  churner.join();
  std::printf("churn: %d scans completed during %ld changes\n", scans, changes.load());
  ExpectNothingHeld(before);
}

// Runs `check` as an unprivileged user when the tests run as root, who
// ignores permission bits; the child's exit code carries the result.
// Returns nothing when no such user can be had.
std::optional<bool> AsUnprivileged(const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  std::fflush(stdout);  // or the child prints what the parent has buffered
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 3) return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

TEST_F(ScanTorture, UnreadableFoldersStayEmpty) {
  MakeStill(dir / "still");
  fs::create_directories(dir / "locked" / "inner");
  MakeFile(dir / "locked" / "secret", 5000);
  fs::create_directories(dir / "no-search" / "below");
  MakeFile(dir / "no-search" / "below" / "f", 6000);
  fs::permissions(dir, fs::perms::all);  // the unprivileged user walks in
  const FindTotals still(dir / "still");
  chmod((dir / "locked").c_str(), 0);
  // Listable but not searchable: names come back, their sizes cannot be read.
  chmod((dir / "no-search").c_str(), 0644);

  const auto result = AsUnprivileged([&] {
    platform::DirEnumPosix dirs;
    test::FinishedScan done(dirs, dir.string(), 1, 1);
    // (A failed comparison prints its first difference.)
    test::ExpectSameScan(done, test::FinishedScan(dirs, dir.string(), 1, kManyThreads));
    if (::testing::Test::HasFailure()) return false;
    const CMyFolder* locked = Child(done.root, "locked");
    const CMyFolder* s = Child(done.root, "still");
    bool ok = locked && locked->GetChildCount() == 0 && s &&
              s->GetSize(true) == still.bytes &&
              s->CountFiles(true) == static_cast<int>(still.files) &&
              done.notes.Count(WM_SCAN_DONE_1, 1) == 1;
    // The unsearchable folder's entries cannot be looked at: skipped, not
    // counted with a made-up size.
    const CMyFolder* noSearch = Child(done.root, "no-search");
    ok = ok && noSearch && noSearch->GetSize(true) == 0;
    if (!ok) std::fprintf(stderr, "unprivileged scan: unexpected tree\n");
    return ok;
  });
  if (!result) GTEST_SKIP() << "running as root without a user to drop to: permissions are not enforced";
  EXPECT_TRUE(*result);
}

TEST_F(ScanTorture, ThousandStopsAtRandomMoments) {
  MakeStill(dir / "still");
  for (int i = 0; i < 400; ++i) fs::create_directories(dir / "many" / std::to_string(i / 20) / std::to_string(i));
  const FindTotals find(dir);
  platform::DirEnumPosix dirs;
  Holdings before;
  test::StopCycles cycles(dirs, dir.string(), 1000, [&] { before = Holdings::Now(); },
                          [&](const CMyFolder& root) { ExpectTotals(root, find); }, kManyThreads);
  ExpectNothingHeld(before);
  // Every cycle ended exactly once: by its completion or by its stop.
  EXPECT_EQ(cycles.notes.ends.load(), 1000);
  EXPECT_EQ(cycles.notes.starts.load(), 1000);
  EXPECT_EQ(cycles.notes.completions.load(), cycles.completions);
}

}  // namespace
}  // namespace diskview
