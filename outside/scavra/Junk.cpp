#include "outside/scavra/Junk.h"

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

// One listed entry, kept after the listing is closed (so a deep tree does
// not hold a listing open per level).
struct Entry {
  std::string name;
  platform::DirEntry facts;
};

bool IsJunkFile(const platform::DirEntry& e, Rule rule, std::int64_t now) {
  if (e.system) return false;
  switch (rule) {
    case Rule::OldTemp:
      return now - e.modified >= kTempAge;
    case Rule::CacheDatabases:
      return !e.readOnly && IsCacheDatabase(e.name);
    case Rule::Everything:
      return !e.readOnly;
    case Rule::RecycleBin:
      return false;
  }
  return false;
}

class Finder {
 public:
  Finder(platform::DirEnumerator& dirs, std::size_t rootIndex, Rule rule, std::int64_t now,
         const Progress& progress, Junk& junk)
      : dirs_(dirs), rootIndex_(rootIndex), rule_(rule), now_(now), progress_(progress),
        junk_(junk) {}

  // Returns whether the folder held junk (its own or below).
  bool Search(const std::string& folder, bool isRoot) {
    if (progress_.Stopped()) return false;
    if (progress_.folder) progress_.folder(folder);
    std::vector<Entry> entries;
    {
      auto listing = dirs_.Open(folder);
      if (!listing) return false;
      platform::DirEntry e;
      while (listing->Next(e)) {
        // A stop is seen between entries, even in a folder of many.
        if (progress_.Stopped()) return false;
        if (e.name == "." || e.name == "..") continue;
        entries.push_back({std::string(e.name), e});
      }
    }
    bool heldJunk = false;
    for (auto& entry : entries) {
      platform::DirEntry& e = entry.facts;
      e.name = entry.name;
      const std::string path = folder + entry.name;
      // A folder that is a plain folder is searched; a link or junction,
      // to a folder or not, is an entry of its own and never entered.
      if (e.directory && !e.reparse) {
        if (rule_ == Rule::CacheDatabases) continue;  // the root's own files only
        if (Search(path + dirs_.Separator(), false)) heldJunk = true;
        if (progress_.Stopped()) return false;
        continue;
      }
      if (!IsJunkFile(e, rule_, now_)) continue;
      // A link's size is its own, which the listing gives as its target's
      // on some systems: a link frees no space worth counting.
      const std::uint64_t size = e.reparse ? 0 : e.size;
      junk_.files.push_back({rootIndex_, path, size, e.readOnly});
      junk_.bytes += size;
      heldJunk = true;
    }
    if (heldJunk && !isRoot) junk_.folders.push_back({rootIndex_, folder});
    return heldJunk;
  }

 private:
  platform::DirEnumerator& dirs_;
  std::size_t rootIndex_;
  Rule rule_;
  std::int64_t now_;
  const Progress& progress_;
  Junk& junk_;
};

}  // namespace

bool FindJunk(platform::DirEnumerator& dirs, const std::string& root, std::size_t rootIndex,
              Rule rule, std::int64_t now, const Progress& progress, Junk& junk) {
  if (rule == Rule::RecycleBin || root.empty() || root.back() != dirs.Separator()) {
    return !progress.Stopped();
  }
  Finder(dirs, rootIndex, rule, now, progress, junk).Search(root, true);
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

CleanResult Clean(const Junk& junk, const std::vector<std::string>& roots, Rule rule,
                  char separator, Remover& remover, const Progress& progress) {
  CleanResult result;
  std::string shownFolder;
  for (const auto& file : junk.files) {
    if (progress.Stopped()) {
      result.stopped = true;
      return result;
    }
    if (file.root >= roots.size() || !StrictlyBelow(roots[file.root], file.path, separator)) {
      ++result.skipped;
      continue;
    }
    if (progress.folder) {
      const std::string folder = file.path.substr(0, file.path.rfind(separator) + 1);
      if (folder != shownFolder) {
        shownFolder = folder;
        progress.folder(folder);
      }
    }
    const bool clearReadOnly = file.readOnly && rule == Rule::OldTemp;
    switch (remover.RemoveFile(roots[file.root], file.path, clearReadOnly)) {
      case Remover::Outcome::Removed:
        ++result.files;
        result.bytes += file.size;
        break;
      case Remover::Outcome::Skipped:
        ++result.skipped;
        break;
      case Remover::Outcome::Gone:
        break;
    }
  }
  for (const auto& folder : junk.folders) {
    if (progress.Stopped()) {
      result.stopped = true;
      return result;
    }
    if (folder.root >= roots.size() || !StrictlyBelow(roots[folder.root], folder.path, separator)) {
      continue;
    }
    remover.RemoveEmptyFolder(roots[folder.root], folder.path);
  }
  return result;
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
