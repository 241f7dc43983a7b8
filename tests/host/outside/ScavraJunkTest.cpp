// Scavra's scan and clean-up on real trees made for each test (mkdtemp), and
// its rules on in-memory trees where POSIX has no such thing (system files).
#include <fcntl.h>
#include <sys/stat.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "outside/scavra/Junk.h"
#include "outside/scavra/RemoverPosix.h"
#include "platform/DirEnumMemory.h"
#include "platform/DirEnumPosix.h"
#include "tests/host/platform/ChainDirs.h"

namespace {

namespace fs = std::filesystem;
using scavra::CleanResult;
using scavra::FileFacts;
using scavra::Junk;
using scavra::Rule;

constexpr std::int64_t kNow = 2'000'000'000;
constexpr std::int64_t kOld = kNow - scavra::kTempAge;  // exactly a day
constexpr std::int64_t kFresh = kNow - scavra::kTempAge + 1;

// A scratch folder of the test's own, removed with everything in it.
class ScratchTree {
 public:
  ScratchTree() {
    char pattern[] = "/tmp/scavra-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    top_ = made;
  }
  ~ScratchTree() {
    std::error_code ec;
    for (auto& p : fs::recursive_directory_iterator(top_, fs::directory_options::none, ec)) {
      if (!p.is_symlink()) chmod(p.path().c_str(), 0700);
    }
    fs::remove_all(top_, ec);
  }
  // A folder path below the scratch folder, made, ending in '/'.
  std::string Folder(const std::string& relative) const {
    fs::create_directories(top_ / relative);
    return (top_ / relative).string() + "/";
  }
  fs::path Path(const std::string& relative) const { return top_ / relative; }
  // A file of `bytes` bytes, last written at `when`.
  void File(const std::string& relative, std::size_t bytes, std::int64_t when) const {
    fs::create_directories((top_ / relative).parent_path());
    std::ofstream(top_ / relative, std::ios::binary) << std::string(bytes, 'x');
    Touch(relative, when);
  }
  void Touch(const std::string& relative, std::int64_t when) const {
    const timespec times[2] = {{when, 0}, {when, 0}};
    EXPECT_EQ(utimensat(AT_FDCWD, (top_ / relative).c_str(), times, AT_SYMLINK_NOFOLLOW), 0)
        << relative;
  }
  void Link(const std::string& relative, const fs::path& target, std::int64_t when) const {
    fs::create_directories((top_ / relative).parent_path());
    fs::create_symlink(target, top_ / relative);
    Touch(relative, when);
  }

 private:
  fs::path top_;
};

// A listing that does not tell the files' indices, as some do not: the
// scan then reads each junk file's facts through the seam.
class ListingWithoutIndices final : public platform::DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string& folder) override {
    auto listing = dirs_.Open(folder);
    return listing ? std::make_unique<Entries>(std::move(listing)) : nullptr;
  }
  char Separator() const override { return '/'; }

 private:
  struct Entries final : Listing {
    explicit Entries(std::unique_ptr<Listing> listing) : listing_(std::move(listing)) {}
    bool Next(platform::DirEntry& out) override {
      if (!listing_->Next(out)) return false;
      out.fileId = 0;
      return true;
    }
    std::unique_ptr<Listing> listing_;
  };
  platform::DirEnumPosix dirs_;
};

Junk Scan(const std::vector<std::string>& roots, Rule rule, bool indices = true) {
  platform::DirEnumPosix withIndices;
  ListingWithoutIndices withoutIndices;
  platform::DirEnumerator& dirs = indices ? static_cast<platform::DirEnumerator&>(withIndices)
                                          : withoutIndices;
  scavra::RemoverPosix inspector;
  Junk junk;
  for (std::size_t i = 0; i < roots.size(); ++i) {
    EXPECT_TRUE(scavra::FindJunk(dirs, inspector, roots[i], i, rule, kNow, {}, junk));
  }
  return junk;
}

CleanResult Clean(const Junk& junk, const std::vector<std::string>& roots, Rule rule,
                  std::int64_t now = kNow) {
  scavra::RemoverPosix remover;
  CleanResult done;
  scavra::Clean(junk, roots, rule, now, '/', remover, {}, done);
  return done;
}

CleanResult ScanAndClean(const std::vector<std::string>& roots, Rule rule) {
  return Clean(Scan(roots, rule), roots, rule);
}

// The found files' paths below the first root, sorted.
std::vector<std::string> Names(const Junk& junk, const std::string& root) {
  scavra::JunkPaths paths(junk, {root}, '/');
  std::vector<std::string> names;
  for (const auto& f : junk.files) names.push_back(paths.File(f).substr(root.size()));
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ScavraTempRule, FindsFilesUnwrittenForADayAndRemovesOnlyThem) {
  ScratchTree tree;
  const std::string root = tree.Folder("temp");
  tree.File("temp/old.tmp", 100, kOld);
  tree.File("temp/new.tmp", 7, kFresh);
  tree.File("temp/sub/old.log", 20, kOld - 5000);
  tree.File("temp/mixed/old.bin", 30, kOld);
  tree.File("temp/mixed/new.bin", 40, kNow);
  tree.File("temp/ro.tmp", 3, kOld);
  chmod(tree.Path("temp/ro.tmp").c_str(), 0444);
  fs::create_directories(tree.Path("temp/empty"));

  const Junk junk = Scan({root}, Rule::OldTemp);
  EXPECT_EQ(Names(junk, root),
            (std::vector<std::string>{"mixed/old.bin", "old.tmp", "ro.tmp", "sub/old.log"}));
  EXPECT_EQ(junk.bytes, 153u);

  const CleanResult done = Clean(junk, {root}, Rule::OldTemp);
  EXPECT_EQ(done.files, 4u);
  EXPECT_EQ(done.bytes, 153u);
  EXPECT_EQ(done.skipped, 0u);
  EXPECT_TRUE(fs::exists(tree.Path("temp/new.tmp")));
  EXPECT_TRUE(fs::exists(tree.Path("temp/mixed/new.bin")));
  EXPECT_FALSE(fs::exists(tree.Path("temp/sub")));  // emptied by the clean-up
  EXPECT_TRUE(fs::exists(tree.Path("temp/empty")));  // held nothing of ours
  EXPECT_TRUE(fs::is_directory(tree.Path("temp")));
}

TEST(ScavraTempRule, RootsStayEvenWhenEverythingInThemWent) {
  ScratchTree tree;
  const std::string a = tree.Folder("a");
  const std::string b = tree.Folder("b");
  tree.File("a/x/y/z.tmp", 5, kOld);
  tree.File("b/w.tmp", 6, kOld);
  const CleanResult done = ScanAndClean({a, b}, Rule::OldTemp);
  EXPECT_EQ(done.files, 2u);
  EXPECT_TRUE(fs::is_empty(tree.Path("a")));
  EXPECT_TRUE(fs::is_empty(tree.Path("b")));
}

TEST(ScavraLinks, LinksAreRemovedAsLinksAndTheirTargetsSurvive) {
  ScratchTree tree;
  const std::string root = tree.Folder("temp");
  tree.File("outside/keep/precious.doc", 50, kOld);
  tree.File("outside/alone.doc", 60, kOld);
  tree.Link("temp/to-folder", tree.Path("outside/keep"), kOld);
  tree.Link("temp/deep/to-file", tree.Path("outside/alone.doc"), kOld);
  tree.Link("temp/fresh-link", tree.Path("outside/alone.doc"), kNow);

  const Junk junk = Scan({root}, Rule::OldTemp);
  // Never entered, counted as the links themselves.
  EXPECT_EQ(Names(junk, root), (std::vector<std::string>{"deep/to-file", "to-folder"}));
  EXPECT_EQ(junk.bytes, 0u);

  const CleanResult done = Clean(junk, {root}, Rule::OldTemp);
  EXPECT_EQ(done.files, 2u);
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree.Path("temp/to-folder"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree.Path("temp/deep"))));
  EXPECT_TRUE(fs::is_symlink(tree.Path("temp/fresh-link")));
  EXPECT_EQ(fs::file_size(tree.Path("outside/keep/precious.doc")), 50u);
  EXPECT_EQ(fs::file_size(tree.Path("outside/alone.doc")), 60u);
}

TEST(ScavraLinks, AFolderSwappedForALinkAfterTheScanIsNotFollowed) {
  ScratchTree tree;
  const std::string root = tree.Folder("temp");
  tree.File("temp/cache/old.dat", 10, kOld);
  tree.File("outside/old.dat", 11, kOld);
  const Junk junk = Scan({root}, Rule::OldTemp);
  ASSERT_EQ(junk.files.size(), 1u);
  fs::remove_all(tree.Path("temp/cache"));
  fs::create_directory_symlink(tree.Path("outside"), tree.Path("temp/cache"));

  const CleanResult done = Clean(junk, {root}, Rule::OldTemp);
  EXPECT_EQ(done.files, 0u);
  EXPECT_EQ(done.skipped, 1u);
  EXPECT_TRUE(fs::exists(tree.Path("outside/old.dat")));
  EXPECT_TRUE(fs::is_symlink(tree.Path("temp/cache")));
}

TEST(ScavraTrees, ADeepChainIsFoundAndRemovedToTheRoot) {
  ScratchTree tree;
  const std::string root = tree.Folder("temp");
  std::string chain = "temp";
  for (int i = 0; i < 300; ++i) chain += "/level-with-a-long-name-" + std::to_string(i);
  ASSERT_GT(chain.size(), 4096u);  // beyond what one path call takes
  // Made relative, a step at a time, since the whole path is too long.
  {
    int at = open(tree.Path("").c_str(), O_RDONLY | O_DIRECTORY);
    std::size_t start = 0;
    while (start < chain.size()) {
      std::size_t end = chain.find('/', start);
      if (end == std::string::npos) end = chain.size();
      const std::string step = chain.substr(start, end - start);
      mkdirat(at, step.c_str(), 0700);
      const int next = openat(at, step.c_str(), O_RDONLY | O_DIRECTORY);
      close(at);
      at = next;
      start = end + 1;
    }
    const int fd = openat(at, "bottom.tmp", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(write(fd, "1234", 4), 4);
    const timespec times[2] = {{kOld, 0}, {kOld, 0}};
    futimens(fd, times);
    close(fd);
    close(at);
  }
  const Junk junk = Scan({root}, Rule::OldTemp);
  ASSERT_EQ(junk.files.size(), 1u);
  EXPECT_EQ(junk.folders.size(), 300u);
  const CleanResult done = Clean(junk, {root}, Rule::OldTemp);
  EXPECT_EQ(done.files, 1u);
  EXPECT_EQ(done.bytes, 4u);
  EXPECT_TRUE(fs::is_empty(tree.Path("temp")));
}

// Runs `body` as an unprivileged user when the tests run as root, so that
// permissions bind; the tree is handed to that user first. The child's
// result comes back as its exit status.
int AsUnprivileged(const fs::path& tree, int (*body)(const std::string&)) {
  if (geteuid() != 0) return body(tree.string());
  constexpr uid_t kNobody = 65534;
  for (auto& p : fs::recursive_directory_iterator(tree)) {
    lchown(p.path().c_str(), kNobody, kNobody);
  }
  lchown(tree.c_str(), kNobody, kNobody);
  chmod(tree.parent_path().c_str(), 0711);  // the scratch folder, to pass through
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(99);
    _exit(body(tree.string()));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(ScavraPermissions, DeniedEntriesAreSkippedAndCountedOthersGo) {
  ScratchTree tree;
  tree.Folder("temp");
  tree.File("temp/no-rights.tmp", 10, kOld);   // mode 000: still the folder's to remove
  tree.File("temp/locked/inner.tmp", 20, kOld);  // in a folder that refuses removal
  tree.File("temp/hidden/secret.tmp", 30, kOld);  // in a folder that cannot be listed
  chmod(tree.Path("temp/no-rights.tmp").c_str(), 0000);
  const int result = AsUnprivileged(tree.Path("temp"), [](const std::string& top) {
    const std::string root = top + "/";
    chmod((top + "/locked").c_str(), 0555);
    chmod((top + "/hidden").c_str(), 0000);
    const CleanResult done = ScanAndClean({root}, Rule::OldTemp);
    // files * 10 + skipped: 1 removed, 1 skipped
    return static_cast<int>(done.files * 10 + done.skipped);
  });
  EXPECT_EQ(result, 11);
  chmod(tree.Path("temp/locked").c_str(), 0700);
  chmod(tree.Path("temp/hidden").c_str(), 0700);
  EXPECT_FALSE(fs::exists(tree.Path("temp/no-rights.tmp")));
  EXPECT_TRUE(fs::exists(tree.Path("temp/locked/inner.tmp")));
  EXPECT_TRUE(fs::exists(tree.Path("temp/hidden/secret.tmp")));
}

// A file rewritten between the scan and the clean-up is no longer the junk
// the scan found, whatever its name: written again in place (new size and
// time), or replaced by another file given the old one's size and time.
// The same whether the listing told the files' indices or the seam read
// them.
TEST(ScavraTempRule, AFileWrittenAgainSinceTheScanStays) {
  for (bool indices : {true, false}) {
    SCOPED_TRACE(indices ? "indices listed" : "indices read");
    ScratchTree tree;
    const std::string root = tree.Folder("temp");
    tree.File("temp/log.txt", 100, kOld);
    tree.File("temp/download.part", 50, kOld);
    tree.File("temp/untouched.tmp", 10, kOld);
    const Junk junk = Scan({root}, Rule::OldTemp, indices);
    ASSERT_EQ(junk.files.size(), 3u);
    for (const auto& file : junk.files) EXPECT_NE(file.facts.index, 0u);

    std::ofstream(tree.Path("temp/log.txt"), std::ios::app) << "one more line\n";
    // Saved as programs save: a new file, as old as the last by its time,
    // put in its place.
    tree.File("temp/download.new", 50, kOld);
    fs::rename(tree.Path("temp/download.new"), tree.Path("temp/download.part"));

    const CleanResult done = Clean(junk, {root}, Rule::OldTemp);
    EXPECT_EQ(done.files, 1u);
    EXPECT_EQ(done.bytes, 10u);
    EXPECT_EQ(done.skipped, 2u);
    EXPECT_GT(fs::file_size(tree.Path("temp/log.txt")), 100u);
    EXPECT_TRUE(fs::exists(tree.Path("temp/download.part")));
    EXPECT_FALSE(fs::exists(tree.Path("temp/untouched.tmp")));
  }
}

// --- Rules on in-memory trees ---------------------------------------------

// Reads a file's facts from its folder's listing: what an in-memory tree
// can say of it. Its identity is its place in the listing.
class ListingInspector final : public scavra::FileInspector {
 public:
  explicit ListingInspector(platform::DirEnumerator& dirs) : dirs_(dirs) {}
  bool Inspect(const std::string&, const std::string& path, FileFacts& out) override {
    const std::size_t cut = path.rfind(dirs_.Separator()) + 1;
    auto listing = dirs_.Open(path.substr(0, cut));
    platform::DirEntry e;
    for (std::uint64_t at = 0; listing && listing->Next(e); ++at) {
      if (e.name != path.substr(cut)) continue;
      out = FileFacts{};
      out.size = e.size;
      out.modified = e.modified;
      out.index = at;
      out.readOnly = e.readOnly;
      out.system = e.system;
      out.link = e.reparse;
      out.directory = e.directory;
      return true;
    }
    return false;
  }
  bool RootVolume(const std::string&, std::uint64_t& out) override {
    out = 1;
    return true;
  }

 private:
  platform::DirEnumerator& dirs_;
};

Junk ScanMemory(platform::DirEnumMemory& dirs, Rule rule) {
  ListingInspector inspector(dirs);
  Junk junk;
  EXPECT_TRUE(scavra::FindJunk(dirs, inspector, "R:\\", 0, rule, kNow, {}, junk));
  return junk;
}

TEST(ScavraRules, SystemFilesAreLeftByEveryFileRule) {
  platform::DirEnumMemory dirs("R:\\");
  auto& a = dirs.Root().File("thumbcache_1.db", 5);
  a.system = true;
  a.modified = kOld;
  auto& b = dirs.Root().Folder("sub").File("dump.dmp", 7);
  b.system = true;
  b.modified = kOld;
  dirs.Root().File("plain.tmp", 9).modified = kOld;
  EXPECT_EQ(ScanMemory(dirs, Rule::OldTemp).bytes, 9u);
  EXPECT_EQ(ScanMemory(dirs, Rule::Everything).bytes, 9u);
  EXPECT_EQ(ScanMemory(dirs, Rule::CacheDatabases).bytes, 0u);
}

TEST(ScavraRules, CacheRuleTakesOnlyTheDatabasesInTheRootItself) {
  platform::DirEnumMemory dirs("R:\\");
  dirs.Root().File("thumbcache_256.db", 1);
  dirs.Root().File("IconCache_idx.DB", 2);
  dirs.Root().File("thumbcache_.db", 4);
  dirs.Root().File("thumbcache_1.db-wal", 8);
  dirs.Root().File("xthumbcache_1.db", 16);
  dirs.Root().File("iconcache.db", 32);
  dirs.Root().Folder("sub").File("thumbcache_9.db", 64);
  const Junk junk = ScanMemory(dirs, Rule::CacheDatabases);
  EXPECT_EQ(junk.bytes, 7u);
  EXPECT_TRUE(junk.folders.empty());
}

TEST(ScavraRules, EverythingRuleKeepsReadOnlyFilesTheTempRuleTakesThem) {
  platform::DirEnumMemory dirs("R:\\");
  auto& ro = dirs.Root().Folder("Report1").File("Report.wer", 3);
  ro.readOnly = true;
  ro.modified = kOld;
  dirs.Root().Folder("Report2").File("fresh.wer", 5).modified = kNow;
  EXPECT_EQ(ScanMemory(dirs, Rule::Everything).bytes, 5u);
  const Junk temp = ScanMemory(dirs, Rule::OldTemp);
  ASSERT_EQ(temp.files.size(), 1u);
  EXPECT_TRUE(temp.files[0].facts.readOnly);
  ASSERT_EQ(temp.folders.size(), 1u);  // Report2 holds nothing of ours
  EXPECT_EQ(temp.folders[0].name, "Report1");
}

// A name holding the separator makes the path of another entry: such a
// file or folder is passed over, never taken for what that path names.
TEST(ScavraRules, NamesHoldingASeparatorArePassedOver) {
  platform::DirEnumMemory dirs("R:\\");
  dirs.Root().File("a\\b.tmp", 1).modified = kOld;
  dirs.Root().File("c/d.tmp", 2).modified = kOld;
  dirs.Root().Folder("e\\f").File("g.tmp", 4).modified = kOld;
  dirs.Root().Folder("a").File("b.tmp", 8).modified = kOld;
  const Junk junk = ScanMemory(dirs, Rule::OldTemp);
  EXPECT_EQ(junk.bytes, 8u);
  ASSERT_EQ(junk.folders.size(), 1u);
  EXPECT_EQ(junk.folders[0].name, "a");
}

// Runs `body` on a thread with a stack of `bytes`.
void OnSmallStack(std::size_t bytes, std::function<void()> body) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, bytes);
  pthread_t thread;
  auto run = [](void* call) -> void* {
    (*static_cast<std::function<void()>*>(call))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

// Counts what a clean-up hands over in a chain of folders named "d", and
// checks the folders come deepest first: each one step above the last.
class ChainRemover final : public scavra::Remover {
 public:
  bool Inspect(const std::string&, const std::string&, FileFacts&) override { return false; }
  bool RootVolume(const std::string&, std::uint64_t&) override { return false; }
  Outcome RemoveFile(const std::string&, const std::string& path,
                     const StillJunk& stillJunk) override {
    deepestFile = std::max(deepestFile, path.size());
    FileFacts facts;  // as the listing inspector reads each "f"
    facts.size = 1;
    return stillJunk(facts) ? Outcome::Removed : Outcome::Skipped;
  }
  bool RemoveEmptyFolder(const std::string&, const std::string& path) override {
    inOrder = inOrder && (folders == 0 ? path.size() + 1 == deepestFile
                                       : path.size() == lastLength - 2);
    lastLength = path.size();
    ++folders;
    return true;
  }
  std::size_t deepestFile = 0;  // the longest file path
  std::size_t lastLength = 0;   // of the last folder's path
  std::size_t folders = 0;
  bool inOrder = true;
};

// A chain of 20 000 folders (any local user can make one in the system's
// temp folder), an old file in each, is searched on a thread with a 256 KiB
// stack: the walk's frames are on the heap. The junk takes the room of the
// folders' names, not of their paths, and the clean-up hands every file
// over, then the folders deepest first.
TEST(ScavraTrees, TwentyThousandLevelsOnASmallStack) {
  constexpr std::size_t kLevels = 20'000;
  platform_test::ChainDirs dirs(kLevels);
  Junk junk;
  bool found = false;
  OnSmallStack(256 * 1024, [&] {
    ListingInspector inspector(dirs);
    found = scavra::FindJunk(dirs, inspector, "R\\", 0, Rule::OldTemp, kNow, {}, junk);
  });
  EXPECT_TRUE(found);
  ASSERT_EQ(junk.files.size(), kLevels + 1);
  ASSERT_EQ(junk.folders.size(), kLevels);
  EXPECT_EQ(junk.files.back().folder, kLevels - 1);
  EXPECT_EQ(junk.folders.back().parent, kLevels - 2);
  EXPECT_EQ(junk.bytes, kLevels + 1);

  ChainRemover remover;
  CleanResult done;
  scavra::Clean(junk, {"R\\"}, Rule::OldTemp, kNow, '\\', remover, {}, done);
  EXPECT_EQ(done.files, kLevels + 1);
  EXPECT_EQ(remover.deepestFile, 2 + 2 * kLevels + 1);  // "R\" "d\"... "f"
  EXPECT_EQ(remover.folders, kLevels);
  EXPECT_TRUE(remover.inOrder);
  EXPECT_EQ(remover.lastLength, 4u);  // "R\d\"
}

// --- The clean-up's own guarantees, through a recording seam ----------------

// Adds the file `relative` (below root `root`, '\\'-separated) to `junk`
// with the folders a scan would have kept for it.
void Put(Junk& junk, std::size_t root, const std::string& relative, std::uint64_t bytes,
         FileFacts facts = {}) {
  std::size_t parent = Junk::kInRoot;
  std::size_t start = 0;
  for (std::size_t cut; (cut = relative.find('\\', start)) != std::string::npos; start = cut + 1) {
    const std::string name = relative.substr(start, cut - start);
    std::size_t found = Junk::kInRoot;
    for (std::size_t i = 0; i < junk.folders.size(); ++i) {
      const Junk::Folder& f = junk.folders[i];
      if (f.root == root && f.parent == parent && f.name == name) found = i;
    }
    if (found == Junk::kInRoot) {
      junk.folders.push_back({root, parent, name});
      found = junk.folders.size() - 1;
    }
    parent = found;
  }
  facts.size = bytes;
  junk.files.push_back({root, parent, relative.substr(start), bytes, facts});
  junk.bytes += bytes;
}

// Says of each path what a handle would say now: the facts the scan
// recorded unless the test changed them.
class RecordingRemover final : public scavra::Remover {
 public:
  bool Inspect(const std::string&, const std::string&, FileFacts&) override { return false; }
  bool RootVolume(const std::string&, std::uint64_t&) override { return false; }
  Outcome RemoveFile(const std::string&, const std::string& path,
                     const StillJunk& stillJunk) override {
    calls.push_back("file " + path);
    if (path.find("busy") != std::string::npos) return Outcome::Skipped;
    if (path.find("gone") != std::string::npos) return Outcome::Gone;
    return stillJunk(now.count(path) ? now[path] : FileFacts{}) ? Outcome::Removed
                                                                : Outcome::Skipped;
  }
  bool RemoveEmptyFolder(const std::string&, const std::string& path) override {
    calls.push_back("folder " + path);
    return true;
  }
  std::vector<std::string> calls;
  std::map<std::string, FileFacts> now;
};

TEST(ScavraClean, EachFileOnceFoldersDeepestFirstAndNothingOutsideTheRoots) {
  Junk junk;
  Put(junk, 0, "a\\busy.tmp", 5);
  Put(junk, 0, "a\\b\\ok.tmp", 7);
  Put(junk, 0, "gone.tmp", 11);
  Put(junk, 0, "..\\Windows\\x.dll", 13);
  Put(junk, 1, "other-root.tmp", 19);
  Put(junk, 5, "no-root.tmp", 23);
  junk.files.push_back({0, 99, "no-folder.tmp", 29, {}});
  const std::size_t loop = junk.folders.size();
  junk.folders.push_back({0, loop + 1, "loop"});  // its parent comes after it
  junk.files.push_back({0, loop, "in-loop.tmp", 31, {}});
  RecordingRemover remover;
  scavra::JunkPaths paths(junk, {"R:\\", "T:\\"}, '\\');
  for (const auto& f : junk.files) remover.now[paths.File(f)] = f.facts;
  CleanResult done;
  scavra::Clean(junk, {"R:\\", "T:\\"}, Rule::Everything, kNow, '\\', remover, {}, done);
  EXPECT_EQ(remover.calls, (std::vector<std::string>{"file R:\\a\\busy.tmp",
                                                     "file R:\\a\\b\\ok.tmp",
                                                     "file R:\\gone.tmp",
                                                     "file T:\\other-root.tmp",
                                                     "folder R:\\a\\b\\",
                                                     "folder R:\\a\\"}));
  EXPECT_EQ(done.files, 2u);
  EXPECT_EQ(done.bytes, 26u);
  EXPECT_EQ(done.skipped, 5u);  // busy, and four that lie outside their roots
}

// Each file goes only while the handle shows the file the scan recorded
// (its identity, size and last write) and the rule still holds for it.
TEST(ScavraClean, WhatTheHandleSaysDecides) {
  FileFacts seen;
  seen.volume = 7;
  seen.index = 42;
  seen.size = 10;
  seen.modified = kOld;
  seen.modifiedFraction = 500;
  const auto with = [&](auto change) {
    FileFacts f = seen;
    change(f);
    return f;
  };
  const std::pair<const char*, FileFacts> cases[] = {
      {"same.tmp", seen},
      {"other-file.tmp", with([](FileFacts& f) { f.index = 43; })},
      {"other-volume.tmp", with([](FileFacts& f) { f.volume = 8; })},
      {"longer.tmp", with([](FileFacts& f) { f.size = 11; })},
      {"written.tmp", with([](FileFacts& f) { f.modifiedFraction = 501; })},
      {"now-system.tmp", with([](FileFacts& f) { f.system = true; })},
      {"now-read-only.tmp", with([](FileFacts& f) { f.readOnly = true; })},
  };
  for (Rule rule : {Rule::OldTemp, Rule::Everything}) {
    Junk junk;
    RecordingRemover remover;
    for (const auto& [name, now] : cases) {
      Put(junk, 0, name, 10, seen);
      remover.now[std::string("R:\\") + name] = now;
    }
    CleanResult done;
    scavra::Clean(junk, {"R:\\"}, rule, kNow, '\\', remover, {}, done);
    // The temp rule takes read-only files; the others' rule does not.
    EXPECT_EQ(done.files, rule == Rule::OldTemp ? 2u : 1u);
    EXPECT_EQ(done.skipped, rule == Rule::OldTemp ? 5u : 6u);
  }
  // The age is measured again at the clean-up's own time.
  Junk junk;
  Put(junk, 0, "same.tmp", 10, seen);
  RecordingRemover remover;
  remover.now["R:\\same.tmp"] = seen;
  CleanResult done;
  scavra::Clean(junk, {"R:\\"}, Rule::OldTemp, kOld + scavra::kTempAge - 1, '\\', remover, {},
                done);
  EXPECT_EQ(done.skipped, 1u);
}

TEST(ScavraClean, AStopEndsScanAndCleanAtOnce) {
  platform::DirEnumMemory dirs("R:\\");
  for (int i = 0; i < 5; ++i) dirs.Root().Folder("f" + std::to_string(i)).File("x", 1).modified = kOld;
  std::atomic<bool> stop{false};
  scavra::Progress progress;
  progress.stop = &stop;
  int seen = 0;
  progress.folder = [&](const std::string&) {
    if (++seen == 3) stop = true;
  };
  ListingInspector inspector(dirs);
  Junk junk;
  EXPECT_FALSE(scavra::FindJunk(dirs, inspector, "R:\\", 0, Rule::OldTemp, kNow, progress, junk));
  EXPECT_EQ(seen, 3);

  RecordingRemover remover;
  CleanResult done;
  scavra::Clean(junk, {"R:\\"}, Rule::OldTemp, kNow, '\\', remover, progress, done);
  EXPECT_TRUE(done.stopped);
  EXPECT_TRUE(remover.calls.empty());
}

TEST(ScavraClean, PathsStrictlyBelowTheirRoot) {
  EXPECT_TRUE(scavra::StrictlyBelow("C:\\T\\", "C:\\T\\a\\b.tmp", '\\'));
  EXPECT_FALSE(scavra::StrictlyBelow("C:\\T\\", "C:\\T\\", '\\'));
  EXPECT_FALSE(scavra::StrictlyBelow("C:\\T\\", "C:\\Tx\\a", '\\'));
  EXPECT_FALSE(scavra::StrictlyBelow("C:\\T\\", "C:\\T\\a\\..\\..\\b", '\\'));
  EXPECT_FALSE(scavra::StrictlyBelow("C:\\T\\", "C:\\T\\a/../../b", '\\'));
  EXPECT_FALSE(scavra::StrictlyBelow("C:\\T\\", "C:\\T\\\\b", '\\'));
  EXPECT_FALSE(scavra::StrictlyBelow("C:\\T", "C:\\T\\b", '\\'));
  EXPECT_TRUE(scavra::StrictlyBelow("/t/", "/t/a/", '/'));
}

TEST(ScavraTexts, ConfirmationAndSummaryInTheProgramsSizeTexts) {
  EXPECT_EQ(scavra::ConfirmText(3, 1536), "确定要删除选中的 3 个文件（1.50 Kb）吗？");
  CleanResult r;
  r.bytes = 1000;
  r.files = 12;
  r.skipped = 1;
  EXPECT_EQ(scavra::SummaryText(r), "已清理 1000 byte，12 个文件；1 个文件正在使用，已跳过。");
  EXPECT_EQ(scavra::ScanningText("C:\\T\\"), "正在扫描：C:\\T\\");
}

}  // namespace
