// A developer's trace of where a scan's time goes, off unless the
// environment names a file (DRAVON_SCAN_TRACE=path): one line per mark,
// "milliseconds-since-the-first-mark stage [value]", appended and flushed
// at once, so a benchmark can split the time from the click to the chart
// into the scan, the rows, the progress posts, the completion and drawing.
// Marks come from any thread; when off a mark costs a test of a pointer.
#pragma once

#include <atomic>
#include <cstdint>

namespace diskview {

class ScanTrace {
 public:
  static bool Enabled();
  // Writes the mark (a stage name, no spaces) with an optional value.
  static void Mark(const char* stage, std::int64_t value = -1);
  // The next MarkArmed writes this stage once (the first paint after the
  // completion, say, among many paints).
  static void Arm() { armed_.store(true, std::memory_order_relaxed); }
  static void MarkArmed(const char* stage) {
    if (armed_.exchange(false, std::memory_order_relaxed)) Mark(stage);
  }

 private:
  static inline std::atomic<bool> armed_{false};
};

}  // namespace diskview
