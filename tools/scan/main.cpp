// dravon-scan PATH: scans PATH with the disk-space engine exactly as a result
// slot does, then prints the root row's four column texts, tab-separated,
// and one line per child of the root in chart order (largest first): name,
// size text, folders, files. A file group shows an empty name.
//
// Options (before PATH):
//   --bytes  also print a last line "bytes<TAB>N" with the exact byte total
//   --stats  print folders, files, nodes, seconds and peak memory to stderr
//   --threads N  list folders on N threads (default: the GUI's default)
//   --find-file  (Windows) list folders with FindFirstFileExW only, the
//            fallback of the buffered listing, for benchmarks to compare
//   --mft    read the folders from the NTFS master file table of PATH: an
//            image file, a device, or (Windows) a drive root "D:\" whose
//            device "\\.\D:" is read; fails, saying why, rather than walk
//   --walk   walk the folders, never the table (the default, as the program
//            does, reads the table of an NTFS drive root it may open)
//   --details  gather the file statistics of PATH instead (the file details
//            window's walk): prints "details<TAB>files<TAB>bytes<TAB>types"
//            and the largest file's size
//   --tree   print every node instead, depth first in the scan's order:
//            path of names, kind (folder, files), files, bytes
//
// On POSIX a symbolic link is reported as Windows reports a reparse point:
// listed, never followed, its own size counted as 0; a link to a folder and a
// mount point count as empty folders.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/FileStats.h"
#include "app/diskview/scan/ScanMessages.h"
#include "app/diskview/scan/ntfs/MftVolume.h"
#include "platform/ByteSource.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include "platform/DirEnumWin.h"
#include "platform/TextWin.h"
using NativeDirs = platform::DirEnumWin;
#else
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/DirEnumPosix.h"
using NativeDirs = platform::DirEnumPosix;
#endif

namespace {

using diskview::CMyFolder;

// Waits for the slot's completion message, as the view would.
class CompletionWaiter final : public diskview::ScanNotifier {
 public:
  bool PostProgress(unsigned, std::intptr_t) override { return true; }
  bool PostCompletion(unsigned message) override {
    std::lock_guard lock(mutex_);
    done_ = message;
    signal_.notify_all();
    return true;
  }
  unsigned Wait() {
    std::unique_lock lock(mutex_);
    signal_.wait(lock, [this] { return done_ != 0; });
    return done_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable signal_;
  unsigned done_ = 0;
};

long PeakKiB() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

long CountNodes(const CMyFolder& node) {
  long n = 1;
  for (int i = 0; i < node.GetChildCount(); ++i) n += CountNodes(*node.GetChild(i));
  return n;
}

void PrintTree(const CMyFolder& node, const std::string& path) {
  std::printf("%s\t%s\t%d\t%.0f\n", path.c_str(), node.IsFileGroup() ? "files" : "folder",
              node.OwnFileCount(), node.OwnSize());
  for (int i = 0; i < node.GetChildCount(); ++i) {
    const CMyFolder& child = *node.GetChild(i);
    PrintTree(child, child.IsFileGroup() ? path + "/*" : path + "/" + child.GetName());
  }
}

bool IsFolder(const std::string& path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesW(platform::Widen(path.c_str()).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

int Usage() {
  std::fprintf(stderr,
               "usage: dravon-scan [--bytes] [--stats] [--tree] [--details] [--threads N] [--find-file] "
               "[--mft|--walk] PATH\n");
  return 2;
}

int Run(int argc, char** argv) {
  enum class Engine { kAuto, kMft, kWalk } engine = Engine::kAuto;
  bool bytes = false, stats = false, tree = false, details = false;
  int threads = diskview::DiskScan::DefaultThreads();
#ifdef _WIN32
  auto method = platform::DirEnumWin::Method::Buffered;
#endif
  std::string path;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bytes") == 0) bytes = true;
    else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || n < 1 || n > 256) return Usage();
      threads = static_cast<int>(n);
    }
    else if (std::strcmp(argv[i], "--stats") == 0) stats = true;
    else if (std::strcmp(argv[i], "--tree") == 0) tree = true;
    else if (std::strcmp(argv[i], "--details") == 0) details = true;
    else if (std::strcmp(argv[i], "--mft") == 0) engine = Engine::kMft;
    else if (std::strcmp(argv[i], "--walk") == 0) engine = Engine::kWalk;
#ifdef _WIN32
    else if (std::strcmp(argv[i], "--find-file") == 0) method = platform::DirEnumWin::Method::FindFile;
#endif
    else if (path.empty() && argv[i][0] != '-') path = argv[i];
    else return Usage();
  }
  if (path.empty()) return Usage();
  if (engine != Engine::kMft && !IsFolder(path)) {
    std::fprintf(stderr, "dravon-scan: %s: not a folder\n", path.c_str());
    return 1;
  }

  if (details) {
#ifdef _WIN32
    NativeDirs dirs(method);
#else
    NativeDirs dirs;
#endif
    std::atomic<bool> stop{false};
    diskview::FileStats fileStats;
    if (!diskview::GatherFileStats(dirs, path, stop, fileStats)) return 1;
    const auto largest = fileStats.Largest();
    std::printf("details\t%llu\t%llu\t%zu\n", static_cast<unsigned long long>(fileStats.TotalFiles()),
                static_cast<unsigned long long>(fileStats.TotalBytes()), fileStats.Types().size());
    std::printf("largest\t%llu\n", largest.empty() ? 0ull : static_cast<unsigned long long>(largest[0].bytes));
    return 0;
  }
  const long baseKiB = PeakKiB();
  const auto start = std::chrono::steady_clock::now();
#ifdef _WIN32
  NativeDirs walk(method);
#else
  NativeDirs walk;
#endif
  diskview::NullRowSink rows;
  CompletionWaiter waiter;
  CMyFolder root;
  root.AssignName(path);
  bool readTable = false;
  std::optional<diskview::ntfs::LoadResult> table;
  {
    diskview::DiskScan scan(walk, rows, waiter);
    scan.SetRoot(&root);
    scan.SetThreads(threads);
    if (engine == Engine::kAuto) {
      scan.SetVolumeOpener(platform::OpenNtfsVolume);
    } else if (engine == Engine::kMft) {
      scan.SetVolumeOpener([](const std::string& source) {
        const std::string device = platform::VolumeDeviceOf(source);
        return platform::OpenByteSource(device.empty() ? source : device);
      });
    }
    scan.StartScan(1);
    waiter.Wait();
    readTable = scan.ReadTable();
    table = scan.TableResult();
  }
  if (engine == Engine::kMft && !readTable) {
    std::fprintf(stderr, "dravon-scan: %s: no NTFS master file table was read: %s\n", path.c_str(),
                 table ? diskview::ntfs::LoadResultText(*table) : "the volume could not be opened");
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long peakKiB = PeakKiB();

  if (tree) {
    PrintTree(root, path);
  } else {
    root.SortChildrenBySize();
    std::printf("%s\t%s\t%s\t%s\n", root.GetColumnText(0).c_str(), root.GetColumnText(1).c_str(),
              root.GetColumnText(2).c_str(), root.GetColumnText(3).c_str());
    for (int i = 0; i < root.GetChildCount(); ++i) {
      const CMyFolder& child = *root.GetChild(i);
      std::printf("%s\t%s\t%s\t%s\n", child.GetColumnText(0).c_str(), child.GetColumnText(1).c_str(),
                  child.GetColumnText(2).c_str(), child.GetColumnText(3).c_str());
    }
  }
  if (bytes) std::printf("bytes\t%.0f\n", root.GetSize(true));
  if (stats) {
    const long nodes = CountNodes(root);
    std::fprintf(stderr,
                 "%s  threads %d  folders %d  files %d  nodes %ld  seconds %.3f  peak %ld KiB  "
                 "per node %.0f bytes\n",
                 readTable ? "table" : "walk", readTable ? 1 : threads, root.CountFolders(true, true), root.CountFiles(true), nodes, seconds,
                 peakKiB,
                 nodes > 0 ? (peakKiB - baseKiB) * 1024.0 / nodes : 0.0);
  }
  return 0;
}

}  // namespace

#ifdef _WIN32
// Arguments come as UTF-16 and go on as UTF-8, like every portable text.
int main() {
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args(static_cast<std::size_t>(argc));
  std::vector<char*> argv;
  for (int i = 0; i < argc; ++i) {
    args[static_cast<std::size_t>(i)] = platform::Narrow(wide[i]);
    argv.push_back(args[static_cast<std::size_t>(i)].data());
  }
  LocalFree(wide);
  return Run(argc, argv.data());
}
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif
