// Folder listings for the scan worker, read ahead of it by reader threads.
//
// Listing a folder is a unit of work with an owned result: the entries in
// enumeration order ("." and ".." dropped), or "cannot be listed". Whoever
// lists a folder offers its subfolders (not name surrogates) as further
// work, as child jobs in entry order; the jobs form a tree that mirrors the
// folders, and the worker walks it depth first as it walks the folders.
//
// The worker asks for each folder's job in turn (Take): a finished result is
// handed over; a job nobody started the worker lists itself, at once; a job
// a reader is on it waits for (one listing, never a subtree). Readers take
// offered jobs in depth-first order, skipping the first one, which is the
// worker's likely next; they stop taking work while the results waiting for
// the worker hold too many entries, so memory stays small on any drive.
//
// Readers only list: they never touch the CMyFolder tree, the row sink or the
// notifier, and they look at the stop flag before every entry. They are
// started by the constructor and all joined by the destructor, which the
// worker runs before it completes or returns; the destructor frees every job
// left over after a stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/DirEnum.h"

namespace diskview {

class FolderReadAhead {
 public:
  class Job;

  // The readers' thread name (platform::NameThisThread); the scan worker
  // itself stays unnamed.
  static constexpr const char* kReaderThreadName = "scan reader";

  // One folder's entries, names in one arena.
  class Result {
   public:
    std::size_t Size() const { return entries_.size(); }
    // Entry `i` as the enumerator gave it; the name lives as long as this.
    platform::DirEntry At(std::size_t i) const;
    void Add(const platform::DirEntry& entry);
    void Clear();

   private:
    struct Entry {
      std::uint64_t size;
      std::uint32_t nameAt;
      std::uint32_t nameLength;
      std::uint8_t flags;
    };
    std::vector<Entry> entries_;
    std::string names_;
  };

  // The stop flag's value once a stop is asked for (the scan's own).
  static constexpr int kStopRequested = -1;

  // `readers` reader threads (0: the worker lists every folder itself).
  // `stopFlag` holds kStopRequested once a stop is asked for.
  FolderReadAhead(platform::DirEnumerator& dirs, const std::atomic<int>& stopFlag, int readers);
  FolderReadAhead(const FolderReadAhead&) = delete;
  FolderReadAhead& operator=(const FolderReadAhead&) = delete;
  ~FolderReadAhead();

  // The scan root's job; `path` is its folder path.
  Job& Root(std::string path);
  // The job of the `index`-th offered subfolder of `parent`, in entry order.
  static Job& Child(Job& parent, std::size_t index);
  static std::size_t ChildCount(const Job& job);

  // Worker: `job`'s result, listing it here when no reader has started it.
  // `path` is the job's folder path. nullptr when the folder cannot be
  // listed, or a stop came while waiting for a reader.
  const Result* Take(Job& job, const std::string& path);
  // Worker: `job` and all its offered subfolders have been taken and walked
  // to their end; their memory goes.
  static void Finished(Job& job);

  // Entries of finished results not yet taken by the worker, at most.
  static constexpr std::size_t kHeldEntries = 32768;
  // Most results the pool has held at once (for tests and benchmarks).
  std::size_t PeakHeldEntries() const;

 private:
  void ReaderLoop();
  Job* PickLocked();
  void StartLocked(Job& job, std::unique_ptr<platform::DirEnumerator::Listing>& released);
  // Lists `job` into its result and makes its children's jobs; a stop
  // cuts the listing short.
  void List(Job& job, const std::string& path);
  void PublishLocked(Job& job);
  bool Stopping() const;

  platform::DirEnumerator& dirs_;
  const std::atomic<int>& stopFlag_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string rootPath_;
  std::unique_ptr<Job> root_;
  // Offered and started jobs, in the order the worker walks them.
  std::list<Job*> frontier_;
  std::size_t held_ = 0;
  std::size_t peakHeld_ = 0;
  bool closing_ = false;
  // Who waits on `changed_`: wake-ups go only where they can matter.
  int idleReaders_ = 0;
  bool workerWaiting_ = false;
  std::vector<std::thread> readers_;
};

}  // namespace diskview
