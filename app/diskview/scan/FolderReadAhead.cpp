#include "app/diskview/scan/FolderReadAhead.h"

#include <chrono>
#include <string_view>
#include <system_error>

#include "platform/ThreadName.h"

namespace diskview {

namespace {
constexpr std::uint8_t kDirectory = 1, kReparse = 2, kNameSurrogate = 4;
}  // namespace

class FolderReadAhead::Job {
 public:
  enum class State { kOffered, kStarted, kDone };

  Job* parent = nullptr;
  std::string_view name;  // in the parent's result; the root's is its path
  State state = State::kOffered;
  bool listed = false;    // the folder could be listed
  std::list<Job*>::iterator at;  // in the frontier while offered or started
  Result result;
  std::vector<std::unique_ptr<Job>> children;  // offered subfolders, entry order
  // Kept open while some child is not started yet: an enumerator may open
  // a child relative to its open parent.
  std::unique_ptr<platform::DirEnumerator::Listing> listing;
  std::size_t started = 0;  // children taken by anyone
};

platform::DirEntry FolderReadAhead::Result::At(std::size_t i) const {
  const Entry& e = entries_[i];
  platform::DirEntry out;
  out.name = std::string_view(names_.data() + e.nameAt, e.nameLength);
  out.directory = (e.flags & kDirectory) != 0;
  out.reparse = (e.flags & kReparse) != 0;
  out.nameSurrogate = (e.flags & kNameSurrogate) != 0;
  out.size = e.size;
  return out;
}

void FolderReadAhead::Result::Add(const platform::DirEntry& entry) {
  const std::uint8_t flags = (entry.directory ? kDirectory : 0) | (entry.reparse ? kReparse : 0) |
                             (entry.nameSurrogate ? kNameSurrogate : 0);
  entries_.push_back({entry.size, static_cast<std::uint32_t>(names_.size()),
                      static_cast<std::uint32_t>(entry.name.size()), flags});
  names_.append(entry.name);
}

void FolderReadAhead::Result::Clear() {
  std::vector<Entry>().swap(entries_);
  std::string().swap(names_);
}

FolderReadAhead::FolderReadAhead(platform::DirEnumerator& dirs, const std::atomic<int>& stopFlag,
                                 int readers)
    : dirs_(dirs), stopFlag_(stopFlag) {
  for (int i = 0; i < readers; ++i) {
    try {
      readers_.emplace_back([this] { ReaderLoop(); });
    } catch (const std::system_error&) {
      break;  // fewer readers; the worker lists what they would have
    }
  }
}

FolderReadAhead::~FolderReadAhead() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (std::thread& reader : readers_) reader.join();
  // Left over after a stop: freed level by level, since a chain of jobs may
  // be far deeper than the stack would take recursively.
  std::vector<std::unique_ptr<Job>> pending;
  if (root_) pending.push_back(std::move(root_));
  while (!pending.empty()) {
    std::unique_ptr<Job> job = std::move(pending.back());
    pending.pop_back();
    for (auto& child : job->children) pending.push_back(std::move(child));
  }
}

bool FolderReadAhead::Stopping() const {
  return stopFlag_.load(std::memory_order_relaxed) == kStopRequested;
}

FolderReadAhead::Job& FolderReadAhead::Root(std::string path) {
  std::lock_guard lock(mutex_);
  root_ = std::make_unique<Job>();
  rootPath_ = std::move(path);
  root_->name = rootPath_;
  root_->at = frontier_.end();
  return *root_;
}

FolderReadAhead::Job& FolderReadAhead::Child(Job& parent, std::size_t index) {
  return *parent.children[index];
}

std::size_t FolderReadAhead::ChildCount(const Job& job) { return job.children.size(); }

std::size_t FolderReadAhead::PeakHeldEntries() const {
  std::lock_guard lock(mutex_);
  return peakHeld_;
}

void FolderReadAhead::Finished(Job& job) {
  job.result.Clear();
  job.listing.reset();
  std::vector<std::unique_ptr<Job>>().swap(job.children);
}

// Marks `job` started; the parent's listing is handed out, to be closed
// once its last child has been opened.
void FolderReadAhead::StartLocked(Job& job,
                                  std::unique_ptr<platform::DirEnumerator::Listing>& released) {
  job.state = Job::State::kStarted;
  if (job.parent != nullptr && ++job.parent->started == job.parent->children.size()) {
    released = std::move(job.parent->listing);
  }
}

void FolderReadAhead::List(Job& job, const std::string& path) {
  auto listing = dirs_.Open(path);
  if (!listing) return;
  job.listed = true;
  platform::DirEntry entry;
  std::size_t subfolders = 0;
  while (!Stopping() && listing->Next(entry)) {
    if (entry.directory && (entry.name == "." || entry.name == "..")) continue;
    job.result.Add(entry);
    subfolders += platform::Enterable(entry, dirs_.Separator());
  }
  job.children.reserve(subfolders);
  for (std::size_t i = 0; i < job.result.Size(); ++i) {
    const platform::DirEntry e = job.result.At(i);
    if (!platform::Enterable(e, dirs_.Separator())) continue;
    auto child = std::make_unique<Job>();
    child->parent = &job;
    child->name = e.name;
    job.children.push_back(std::move(child));
  }
  if (!job.children.empty()) job.listing = std::move(listing);
}

// The listed job leaves the frontier; its children take its place there,
// which keeps the frontier in the worker's depth-first order.
void FolderReadAhead::PublishLocked(Job& job) {
  for (auto& child : job.children) child->at = frontier_.insert(job.at, child.get());
  if (job.at != frontier_.end()) frontier_.erase(job.at);
  job.at = frontier_.end();
  job.state = Job::State::kDone;
}

const FolderReadAhead::Result* FolderReadAhead::Take(Job& job, const std::string& path) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (job.state == Job::State::kDone) {
      const bool wasFull = held_ >= kHeldEntries;
      held_ -= job.result.Size();
      // Readers waiting for room, if this made some.
      const bool wake = wasFull && held_ < kHeldEntries && idleReaders_ > 0;
      lock.unlock();
      if (wake) changed_.notify_all();
      return job.listed ? &job.result : nullptr;
    }
    if (job.state == Job::State::kOffered) {
      std::unique_ptr<platform::DirEnumerator::Listing> released;
      StartLocked(job, released);
      lock.unlock();
      List(job, path);
      released.reset();  // only now: the child was opened relative to it
      lock.lock();
      PublishLocked(job);
      const bool wake = idleReaders_ > 0 && !job.children.empty();
      lock.unlock();
      if (wake) changed_.notify_all();
      return job.listed ? &job.result : nullptr;
    }
    // A reader has it: one listing to wait for, or a stop.
    if (Stopping()) return nullptr;
    workerWaiting_ = true;
    changed_.wait_for(lock, std::chrono::milliseconds(2));
    workerWaiting_ = false;
  }
}

// The first offered job after the first one: that one is the worker's
// likely next, and a reader racing for it would make the worker wait.
FolderReadAhead::Job* FolderReadAhead::PickLocked() {
  if (held_ >= kHeldEntries) return nullptr;
  bool skipped = false;
  for (Job* job : frontier_) {
    if (job->state != Job::State::kOffered) continue;
    if (!skipped) {
      skipped = true;
      continue;
    }
    return job;
  }
  return nullptr;
}

void FolderReadAhead::ReaderLoop() {
  platform::NameThisThread(kReaderThreadName);
  std::string path;
  std::vector<const Job*> chain;
  for (;;) {
    Job* job = nullptr;
    std::unique_ptr<platform::DirEnumerator::Listing> released;
    {
      std::unique_lock lock(mutex_);
      while (!closing_ && (job = PickLocked()) == nullptr) {
        ++idleReaders_;
        changed_.wait(lock);
        --idleReaders_;
      }
      if (closing_) return;
      if (Stopping()) {
        // Nothing more will be taken; wait for the worker to close.
        ++idleReaders_;
        changed_.wait(lock, [&] { return closing_; });
        --idleReaders_;
        return;
      }
      StartLocked(*job, released);
    }
    chain.clear();
    for (const Job* j = job; j != nullptr; j = j->parent) chain.push_back(j);
    path.clear();
    const char separator = dirs_.Separator();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      path.append((*it)->name);
      if (it != chain.rbegin()) path.push_back(separator);
    }
    try {
      List(*job, path);
      released.reset();
    } catch (...) {
      // Out of memory, say: the worker lists this one itself and meets the
      // failure on its own thread, where it is handled.
      {
        std::lock_guard lock(mutex_);
        job->result.Clear();
        job->children.clear();
        job->listing.reset();
        job->listed = false;
        job->state = Job::State::kOffered;
        if (job->parent != nullptr) --job->parent->started;
      }
      changed_.notify_all();
      return;
    }
    bool wake;
    {
      std::lock_guard lock(mutex_);
      PublishLocked(*job);
      held_ += job->result.Size();
      if (held_ > peakHeld_) peakHeld_ = held_;
      wake = workerWaiting_ || (idleReaders_ > 0 && !job->children.empty());
    }
    if (wake) changed_.notify_all();
  }
}

}  // namespace diskview
