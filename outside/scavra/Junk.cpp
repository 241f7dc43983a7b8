#include "outside/scavra/Junk.h"

#include <algorithm>
#include <string_view>

#include "app/diskview/scan/MyFolder.h"

namespace scavra {

const std::vector<Category>& Categories() {
  static const std::vector<Category> categories = {
      {"用户临时文件", Rule::OldTemp, false, {Place::UserTemp}},
      {"系统临时文件", Rule::OldTemp, true, {Place::WindowsTemp}},
      {"回收站", Rule::RecycleBin, false, {}},
      {"缩略图缓存", Rule::CacheDatabases, false, {Place::ExplorerCache}},
      {"错误报告与内存转储",
       Rule::Everything,
       false,
       {Place::CrashDumps, Place::ReportArchive, Place::ReportQueue}},
  };
  return categories;
}

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII case-insensitive "prefix*suffix" (the cache names are ASCII; NTFS
// compares names without case).
bool MatchesCacheName(std::string_view name, std::string_view prefix, std::string_view suffix) {
  if (name.size() < prefix.size() + suffix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(name[i]) != prefix[i]) return false;
  }
  const std::size_t tail = name.size() - suffix.size();
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (Lower(name[tail + i]) != suffix[i]) return false;
  }
  return true;
}

bool IsCacheDatabase(std::string_view name) {
  return MatchesCacheName(name, "thumbcache_", ".db") ||
         MatchesCacheName(name, "iconcache_", ".db");
}

// A step of a path below a root: a name, never "." or "..", holding no
// separator (on Windows either slash). A listed name that is not one names
// nothing a path reaches.
bool PlainStep(std::string_view step, char separator) {
  return !step.empty() && step != "." && step != ".." &&
         platform::ReachableByName(step, separator);
}

// One listed entry, kept after the listing is closed (so a deep tree does
// not hold a listing open per level).
struct Entry {
  std::string name;
  platform::DirEntry facts;
};

FileFacts ListedFacts(const platform::DirEntry& e) {
  FileFacts facts;
  facts.size = e.size;
  facts.modified = e.modified;
  facts.modifiedFraction = e.modifiedFraction;
  facts.index = e.fileId;
  facts.readOnly = e.readOnly;
  facts.system = e.system;
  facts.link = e.reparse;
  facts.directory = e.directory;
  return facts;
}

class Finder {
 public:
  Finder(platform::DirEnumerator& dirs, FileInspector& inspector, const std::string& root,
         std::size_t rootIndex, Rule rule, std::int64_t now, const Progress& progress, Junk& junk)
      : dirs_(dirs), inspector_(inspector), root_(root), rootIndex_(rootIndex), rule_(rule),
        now_(now), progress_(progress), junk_(junk), separator_(dirs.Separator()) {}

  // Depth first, in the order of the listings, as a recursive walk would
  // go; each folder's frame is on the heap.
  void Run() {
    path_ = root_;
    haveVolume_ = inspector_.RootVolume(root_, volume_);
    if (!Enter(Junk::kInRoot)) return;
    while (!frames_.empty()) {
      if (progress_.Stopped()) return;
      Frame& top = frames_.back();
      path_.resize(top.pathLength);
      if (top.next == top.entries.size()) {
        Leave();
        continue;
      }
      Entry& entry = top.entries[top.next++];
      platform::DirEntry& e = entry.facts;
      e.name = entry.name;
      if (!PlainStep(entry.name, separator_)) continue;
      // A folder that is a plain folder is searched; a link or junction,
      // to a folder or not, is an entry of its own and never entered.
      if (e.directory && !e.reparse) {
        if (rule_ == Rule::CacheDatabases) continue;  // the root's own files only
        // Kept only if something below it is junk (see Leave).
        junk_.folders.push_back({rootIndex_, top.folder, entry.name});
        path_ += entry.name;
        path_ += separator_;
        if (!Enter(junk_.folders.size() - 1)) junk_.folders.pop_back();
        continue;
      }
      if (Found(entry.name, e)) top.heldJunk = true;
    }
  }

 private:
  struct Frame {
    std::vector<Entry> entries;
    std::size_t next = 0;
    std::size_t pathLength = 0;  // the folder's path, separator included
    std::size_t folder = Junk::kInRoot;
    bool heldJunk = false;
  };

  // Lists the folder at path_ into a new frame; false when it cannot be
  // listed, or the scan stopped.
  bool Enter(std::size_t folder) {
    if (progress_.Stopped()) return false;
    if (progress_.folder) progress_.folder(path_);
    Frame frame;
    frame.pathLength = path_.size();
    frame.folder = folder;
    {
      auto listing = dirs_.Open(path_);
      if (!listing) return false;
      platform::DirEntry e;
      while (listing->Next(e)) {
        // A stop is seen between entries, even in a folder of many.
        if (progress_.Stopped()) return false;
        frame.entries.push_back({std::string(e.name), e});
      }
    }
    frames_.push_back(std::move(frame));
    return true;
  }

  // A folder's entries are done: it stays among the junk's folders if
  // anything below it was junk. Else it is the last one entered, as every
  // folder below it has gone already.
  void Leave() {
    const Frame& done = frames_.back();
    const bool heldJunk = done.heldJunk;
    if (!heldJunk && done.folder != Junk::kInRoot) junk_.folders.pop_back();
    frames_.pop_back();
    if (heldJunk && !frames_.empty()) frames_.back().heldJunk = true;
  }

  // A file or link the listing gave, recorded if it is junk: with the
  // listing's facts where they name the file, else with what the
  // inspector reads of it now, by which it must be junk too.
  bool Found(const std::string& name, const platform::DirEntry& e) {
    FileFacts facts = ListedFacts(e);
    if (!IsJunkFile(name, facts, rule_, now_)) return false;
    if (haveVolume_ && e.fileId != 0) {
      facts.volume = volume_;
    } else if (!inspector_.Inspect(root_, path_ + name, facts) ||
               !IsJunkFile(name, facts, rule_, now_)) {
      return false;
    }
    // A link's size is its own, which the listing gives as its target's
    // on some systems: a link frees no space worth counting.
    const std::uint64_t bytes = e.reparse || facts.link ? 0 : facts.size;
    junk_.files.push_back({rootIndex_, frames_.back().folder, name, bytes, facts});
    junk_.bytes += bytes;
    return true;
  }

  platform::DirEnumerator& dirs_;
  FileInspector& inspector_;
  const std::string& root_;
  std::size_t rootIndex_;
  Rule rule_;
  std::int64_t now_;
  const Progress& progress_;
  Junk& junk_;
  char separator_;
  std::string path_;  // of the entry at hand
  std::vector<Frame> frames_;
  bool haveVolume_ = false;
  std::uint64_t volume_ = 0;  // the root's
};

}  // namespace

bool IsJunkFile(std::string_view name, const FileFacts& facts, Rule rule, std::int64_t now) {
  if (facts.system) return false;
  switch (rule) {
    case Rule::OldTemp:
      return facts.modified <= now - kTempAge;
    case Rule::CacheDatabases:
      return !facts.readOnly && IsCacheDatabase(name);
    case Rule::Everything:
      return !facts.readOnly;
    case Rule::RecycleBin:
      return false;
  }
  return false;
}

const std::string* JunkPaths::Folder(std::size_t root, std::size_t folder) {
  if (root >= roots_.size() || roots_[root].empty() || roots_[root].back() != separator_) {
    return nullptr;
  }
  // The folders from `folder` up to the first one already on the chain.
  std::vector<std::size_t> up;
  std::size_t at = folder;
  std::size_t keep = 0;  // chain entries that stay
  const bool sameRoot = root == root_;
  while (at != Junk::kInRoot) {
    if (sameRoot) {
      const auto found = std::lower_bound(chain_.begin(), chain_.end(), at);
      if (found != chain_.end() && *found == at) {
        keep = static_cast<std::size_t>(found - chain_.begin()) + 1;
        break;
      }
    }
    if (at >= junk_.folders.size()) return nullptr;
    const Junk::Folder& f = junk_.folders[at];
    // A parent comes before its folder: no circle, and the chain rises.
    if (f.root != root || (f.parent != Junk::kInRoot && f.parent >= at)) return nullptr;
    if (!PlainStep(f.name, separator_)) return nullptr;
    up.push_back(at);
    at = f.parent;
  }
  if (!sameRoot) {
    root_ = root;
    chain_.clear();
    ends_.clear();
  }
  chain_.resize(keep);
  ends_.resize(keep);
  path_.resize(keep == 0 ? 0 : ends_.back());
  if (keep == 0) path_ = roots_[root];
  for (auto it = up.rbegin(); it != up.rend(); ++it) {
    path_ += junk_.folders[*it].name;
    path_ += separator_;
    chain_.push_back(*it);
    ends_.push_back(path_.size());
  }
  return &path_;
}

std::string JunkPaths::File(const Junk::File& file) {
  if (!PlainStep(file.name, separator_)) return {};
  const std::string* folder = Folder(file.root, file.folder);
  return folder == nullptr ? std::string() : *folder + file.name;
}

bool FindJunk(platform::DirEnumerator& dirs, FileInspector& inspector, const std::string& root,
              std::size_t rootIndex, Rule rule, std::int64_t now, const Progress& progress,
              Junk& junk) {
  if (rule == Rule::RecycleBin || root.empty() || root.back() != dirs.Separator()) {
    return !progress.Stopped();
  }
  Finder(dirs, inspector, root, rootIndex, rule, now, progress, junk).Run();
  return !progress.Stopped();
}

bool StrictlyBelow(const std::string& root, const std::string& path, char separator) {
  if (root.empty() || root.back() != separator) return false;
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
  std::size_t start = root.size();
  while (start < path.size()) {
    std::size_t end = path.find(separator, start);
    if (end == std::string::npos) end = path.size();
    const std::string_view step(path.data() + start, end - start);
    if (step.empty() || step == "." || step == "..") return false;
    // On Windows either slash separates.
    if (separator == '\\' && step.find('/') != std::string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

void Clean(const Junk& junk, const std::vector<std::string>& roots, Rule rule, std::int64_t now,
           char separator, Remover& remover, const Progress& progress, CleanResult& done) {
  JunkPaths paths(junk, roots, separator);
  std::string shownFolder;
  for (const auto& file : junk.files) {
    if (progress.Stopped()) {
      done.stopped = true;
      return;
    }
    const std::string path = paths.File(file);
    if (path.empty()) {
      ++done.skipped;
      continue;
    }
    if (progress.folder) {
      const std::string folder = path.substr(0, path.size() - file.name.size());
      if (folder != shownFolder) {
        shownFolder = folder;
        progress.folder(folder);
      }
    }
    const auto stillJunk = [&](const FileFacts& facts) {
      return facts.SameFileUnchanged(file.facts) && IsJunkFile(file.name, facts, rule, now);
    };
    switch (remover.RemoveFile(roots[file.root], path, stillJunk)) {
      case Remover::Outcome::Removed:
        ++done.files;
        done.bytes += file.bytes;
        break;
      case Remover::Outcome::Skipped:
        ++done.skipped;
        break;
      case Remover::Outcome::Gone:
        break;
    }
  }
  for (std::size_t i = junk.folders.size(); i-- > 0;) {
    if (progress.Stopped()) {
      done.stopped = true;
      return;
    }
    const std::string* path = paths.Folder(junk.folders[i].root, i);
    if (path != nullptr) remover.RemoveEmptyFolder(roots[junk.folders[i].root], *path);
  }
}

std::string ConfirmText(std::uint64_t files, std::uint64_t bytes) {
  return "确定要删除选中的 " + std::to_string(files) + " 个文件（" +
         diskview::FormatSize(static_cast<double>(bytes)) + "）吗？";
}

std::string SummaryText(const CleanResult& result) {
  return "已清理 " + diskview::FormatSize(static_cast<double>(result.bytes)) + "，" +
         std::to_string(result.files) + " 个文件；" + std::to_string(result.skipped) +
         " 个文件正在使用，已跳过。";
}

std::string ScanningText(const std::string& folder) { return "正在扫描：" + folder; }

}  // namespace scavra
