#include "outside/scavra/RemoverPosix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace scavra {
namespace {

// Opens the folder holding the last step of `path` (below `root`, which
// ends in '/'), step by step without following links; -1 on failure.
// `name` receives the last step.
int OpenParent(const std::string& root, std::string path, std::string& name) {
  if (!StrictlyBelow(root, path, '/')) return -1;
  while (!path.empty() && path.back() == '/') path.pop_back();
  int at = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::size_t start = root.size();
  for (;;) {
    if (at < 0) return -1;
    const std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) {
      name = path.substr(start);
      return at;
    }
    const std::string step = path.substr(start, slash - start);
    const int next = openat(at, step.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(at);
    at = next;
    start = slash + 1;
  }
}

// As the listing tells them (DirEnumPosix): a link's own size is 0.
FileFacts FactsOf(const struct stat& st) {
  FileFacts facts;
  facts.size = S_ISLNK(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  facts.modified = st.st_mtim.tv_sec;
  facts.modifiedFraction = static_cast<std::uint32_t>(st.st_mtim.tv_nsec);
  facts.volume = static_cast<std::uint64_t>(st.st_dev);
  facts.index = static_cast<std::uint64_t>(st.st_ino);
  facts.links = static_cast<std::uint32_t>(st.st_nlink);
  facts.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  facts.link = S_ISLNK(st.st_mode);
  facts.directory = S_ISDIR(st.st_mode);
  return facts;
}

}  // namespace

bool RemoverPosix::Inspect(const std::string& root, const std::string& path, FileFacts& out) {
  std::string name;
  const int parent = OpenParent(root, path, name);
  if (parent < 0) return false;
  struct stat st;
  const bool ok = fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  close(parent);
  if (ok) out = FactsOf(st);
  return ok;
}

bool RemoverPosix::RootVolume(const std::string& root, std::uint64_t& out) {
  struct stat st;
  if (stat(root.c_str(), &st) != 0) return false;
  out = static_cast<std::uint64_t>(st.st_dev);
  return true;
}

Remover::Outcome RemoverPosix::RemoveFile(const std::string& root, const std::string& path,
                                          const StillJunk& stillJunk) {
  std::string name;
  const int parent = OpenParent(root, path, name);
  if (parent < 0) return errno == ENOENT ? Outcome::Gone : Outcome::Skipped;
  Outcome outcome = Outcome::Skipped;
  struct stat st;
  if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    outcome = errno == ENOENT ? Outcome::Gone : Outcome::Skipped;
  } else if (S_ISDIR(st.st_mode) || !stillJunk(FactsOf(st))) {
    outcome = Outcome::Skipped;  // a folder, or not the file the scan found
  } else if (unlinkat(parent, name.c_str(), 0) == 0) {
    // The file's mode is its own; removing a name leaves the others as
    // they are.
    outcome = Outcome::Removed;
  } else {
    outcome = errno == ENOENT ? Outcome::Gone : Outcome::Skipped;
  }
  close(parent);
  return outcome;
}

bool RemoverPosix::RemoveEmptyFolder(const std::string& root, const std::string& path) {
  std::string name;
  const int parent = OpenParent(root, path, name);
  if (parent < 0) return false;
  // Refused for a folder that is not empty, and for a link (not a folder).
  const bool removed = unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
  close(parent);
  return removed;
}

}  // namespace scavra
