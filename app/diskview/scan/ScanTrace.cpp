#include "app/diskview/scan/ScanTrace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace diskview {
namespace {

struct Sink {
  std::FILE* file = nullptr;
  std::mutex mutex;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  Sink() {
    if (const char* path = std::getenv("DRAVON_SCAN_TRACE"); path && *path) {
      file = std::fopen(path, "ab");  // plain line ends on any system
    }
  }
};

Sink& TheSink() {
  static Sink sink;  // made once, on the first mark
  return sink;
}

}  // namespace

bool ScanTrace::Enabled() { return TheSink().file != nullptr; }

void ScanTrace::Mark(const char* stage, std::int64_t value) {
  Sink& sink = TheSink();
  if (!sink.file) return;
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sink.start).count();
  std::lock_guard lock(sink.mutex);
  if (value >= 0) {
    std::fprintf(sink.file, "%.1f %s %lld\n", ms, stage, static_cast<long long>(value));
  } else {
    std::fprintf(sink.file, "%.1f %s\n", ms, stage);
  }
  std::fflush(sink.file);
}

}  // namespace diskview
