#include "app/diskview/scan/FileStats.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace diskview {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Largest first; equal sizes by folder, then name.
bool Before(const FileRecord& a, const FileRecord& b) {
  if (a.bytes != b.bytes) return a.bytes > b.bytes;
  if (a.folder != b.folder) return a.folder < b.folder;
  return a.name < b.name;
}

bool Wildcard(std::string_view name, std::string_view pattern) {
  // Iterative, with one point to come back to after a '*'.
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace

std::string ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return std::string();
  std::string ext(name.substr(dot + 1));
  for (char& c : ext) c = Lower(c);
  return ext;
}

void FileStats::Add(std::string_view folder, std::string_view name, std::uint64_t bytes,
                    std::int64_t modified) {
  ++files_;
  bytes_ += bytes;
  std::string ext = ExtensionOf(name);
  auto at = std::lower_bound(typeIndex_.begin(), typeIndex_.end(), ext,
                             [](const auto& entry, const std::string& key) { return entry.first < key; });
  if (at == typeIndex_.end() || at->first != ext) {
    at = typeIndex_.insert(at, {ext, types_.size()});
    types_.push_back({std::move(ext), 0, 0});
  }
  TypeRow& row = types_[at->second];
  ++row.files;
  row.bytes += bytes;

  FileRecord record{std::string(name), std::string(folder), bytes, modified};
  // The heap's top is the smallest kept, by the order of Largest.
  if (heap_.size() < kLargestCount) {
    heap_.push_back(std::move(record));
    std::push_heap(heap_.begin(), heap_.end(), Before);
  } else if (Before(record, heap_.front())) {
    std::pop_heap(heap_.begin(), heap_.end(), Before);
    heap_.back() = std::move(record);
    std::push_heap(heap_.begin(), heap_.end(), Before);
  }
}

std::vector<FileRecord> FileStats::Largest() const {
  std::vector<FileRecord> out = heap_;
  std::sort(out.begin(), out.end(), Before);
  return out;
}

std::vector<TypeRow> FileStats::Types() const {
  std::vector<TypeRow> out = types_;
  std::sort(out.begin(), out.end(), [](const TypeRow& a, const TypeRow& b) {
    if (a.bytes != b.bytes) return a.bytes > b.bytes;
    return a.extension < b.extension;
  });
  return out;
}

bool GatherFileStats(platform::DirEnumerator& dirs, const std::string& path,
                     const std::atomic<bool>& stop, FileStats& out,
                     std::atomic<std::uint64_t>* filesSeen) {
  const char separator = dirs.Separator();
  auto withSeparator = [&](std::string p) {
    if (!p.empty() && p.back() != separator && p.back() != '/') p.push_back(separator);
    return p;
  };
  // Folders still to list, relative to `path`; depth first, on the heap.
  const std::string base = withSeparator(path);
  std::vector<std::string> pending{std::string()};
  bool first = true;
  while (!pending.empty()) {
    if (stop.load(std::memory_order_relaxed)) return false;
    const std::string relative = std::move(pending.back());
    pending.pop_back();
    std::unique_ptr<platform::DirEnumerator::Listing> listing =
        dirs.Open(relative.empty() ? base : withSeparator(base + relative));
    if (!listing) {
      if (first) return false;
      continue;  // the scan leaves an unreadable folder empty too
    }
    first = false;
    const std::size_t before = pending.size();
    platform::DirEntry entry;
    while (listing->Next(entry)) {
      if (entry.directory) {
        if (entry.name == "." || entry.name == "..") continue;
        if (platform::Enterable(entry, separator)) {
          pending.push_back(relative.empty() ? std::string(entry.name)
                                             : relative + separator + std::string(entry.name));
        }
        continue;
      }
      out.Add(relative, entry.name, entry.size, entry.modified);
      if (filesSeen) filesSeen->fetch_add(1, std::memory_order_relaxed);
    }
    // In listing order, first folder first.
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(before), pending.end());
  }
  return true;
}

bool NameMatches(std::string_view name, std::string_view filter) {
  if (filter.empty()) return true;
  if (filter.find_first_of("*?") != std::string_view::npos) return Wildcard(name, filter);
  if (filter.size() > name.size()) return false;
  for (std::size_t i = 0; i + filter.size() <= name.size(); ++i) {
    std::size_t k = 0;
    while (k < filter.size() && Lower(name[i + k]) == Lower(filter[k])) ++k;
    if (k == filter.size()) return true;
  }
  return false;
}

std::string DateTimeText(std::int64_t seconds) {
  // Days to a civil date (proleptic Gregorian), after H. Hinnant.
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                static_cast<long long>(rest % 60));
  return text;
}

std::string FileStatsCsv(const std::vector<FileRecord>& largest, const std::vector<TypeRow>& types,
                         std::uint64_t totalBytes, std::int64_t utcOffsetSeconds) {
  std::string out = "\xEF\xBB\xBF";
  out += "名称,大小（字节）,修改时间,文件夹\r\n";
  for (const FileRecord& f : largest) {
    out += CsvField(f.name) + "," + std::to_string(f.bytes) + "," +
           DateTimeText(f.modified + utcOffsetSeconds) + "," + CsvField(f.folder) + "\r\n";
  }
  out += "\r\n扩展名,文件数,大小（字节）,占比（%）\r\n";
  for (const TypeRow& t : types) {
    char share[32];
    std::snprintf(share, sizeof share, "%.1f",
                  totalBytes > 0 ? 100.0 * static_cast<double>(t.bytes) / static_cast<double>(totalBytes)
                                 : 0.0);
    out += CsvField(t.extension.empty() ? std::string(kNoExtensionText) : t.extension) + "," +
           std::to_string(t.files) + "," + std::to_string(t.bytes) + "," + share + "\r\n";
  }
  return out;
}

}  // namespace diskview
