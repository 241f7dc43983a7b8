// Message sequences, as Wine's conformance tests check them: a window (or
// a test's object) records the messages it receives, and the test compares
// the record with the sequence it expects. Only the messages a test names
// in its filter are recorded, so the system's own traffic (which differs
// between Windows and Wine) does not make the comparison brittle.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace dravon_test {

struct Received {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// How an expected entry is compared.
enum SeqFlags : unsigned {
  kMsgOnly = 0,
  kWParam = 1,    // wParam must match
  kLParam = 2,    // lParam must match
  kOptional = 4,  // may be missing (Windows and Wine differ here)
};

struct Expected {
  UINT msg;
  unsigned flags = kMsgOnly;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class MessageLog {
 public:
  MessageLog() = default;
  // Records only the messages listed (every message when the list is empty).
  explicit MessageLog(std::initializer_list<UINT> only) : only_(only) {}

  void Add(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!only_.empty() && std::find(only_.begin(), only_.end(), msg) == only_.end()) return;
    seen_.push_back({msg, wParam, lParam});
  }
  void Clear() { seen_.clear(); }
  const std::vector<Received>& Seen() const { return seen_; }
  int Count(UINT msg) const {
    return static_cast<int>(std::count_if(seen_.begin(), seen_.end(),
                                          [msg](const Received& r) { return r.msg == msg; }));
  }

 private:
  std::vector<UINT> only_;
  std::vector<Received> seen_;
};

inline std::string Describe(const Received& r) {
  char text[96];
  std::snprintf(text, sizeof text, "0x%04x(w=0x%llx, l=0x%llx)", r.msg,
                static_cast<unsigned long long>(r.wParam), static_cast<unsigned long long>(r.lParam));
  return text;
}

// Every received message in order, matching the expected entries; an
// optional entry may be skipped. Says where the two part when they differ.
inline ::testing::AssertionResult SequenceIs(const MessageLog& log,
                                             std::initializer_list<Expected> expected) {
  const std::vector<Received>& seen = log.Seen();
  size_t i = 0;
  for (const Expected& e : expected) {
    const bool here = i < seen.size() && seen[i].msg == e.msg &&
                      (!(e.flags & kWParam) || seen[i].wParam == e.wParam) &&
                      (!(e.flags & kLParam) || seen[i].lParam == e.lParam);
    if (here) {
      ++i;
      continue;
    }
    if (e.flags & kOptional) continue;
    std::string got = i < seen.size() ? Describe(seen[i]) : std::string("nothing more");
    return ::testing::AssertionFailure()
           << "at message " << i << ": expected " << Describe({e.msg, e.wParam, e.lParam})
           << " (flags " << e.flags << "), got " << got;
  }
  if (i != seen.size()) {
    return ::testing::AssertionFailure() << "more messages than expected, from " << Describe(seen[i])
                                         << " (" << seen.size() - i << " more)";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace dravon_test
