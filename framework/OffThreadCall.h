// A call that may block on a drive (a volume label, a drive's free space, a
// removable volume's description), made on a thread of its own so the
// user-interface thread never waits on it: a mapped drive whose server is
// gone makes such calls take the network's time-outs, or never return.
//
// The caller waits a moment for the answer, so drives that answer at once
// show exactly what a direct call would, in the same order; an answer that
// comes later is announced by a message posted to a window, and Answer()
// then holds it. A call that never returns leaves only its own thread
// behind, which holds nothing of the caller's.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

template <class Result>
class OffThreadCall {
 public:
  // How long the caller waits before it goes on without the answer.
  static constexpr std::chrono::milliseconds kQuickAnswer{50};

  // Starts `call` on its own thread and waits up to `wait` for it. An
  // answer after that posts `message` (wParam, lParam) to `window`.
  static std::shared_ptr<OffThreadCall> Start(std::function<Result()> call, HWND window,
                                              UINT message, WPARAM wParam, LPARAM lParam,
                                              std::chrono::milliseconds wait = kQuickAnswer) {
    auto state = std::make_shared<OffThreadCall>();
    state->window_ = window;
    state->message_ = message;
    state->wParam_ = wParam;
    state->lParam_ = lParam;
    try {
      std::thread([state, call = std::move(call)] { state->Deliver(call()); }).detach();
    } catch (const std::system_error&) {
      // No thread: make the call here rather than lose it.
      state->Deliver(call());
      return state;
    }
    std::unique_lock lock(state->mutex_);
    if (wait.count() <= 0 ||
        !state->answered_.wait_for(lock, wait, [&] { return state->answer_.has_value(); })) {
      state->late_ = true;
    }
    return state;
  }

  // Waits until the answer has come or `until`; says whether it has. A call
  // started without a wait posts its message even when it answers here.
  bool WaitUntil(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    return answered_.wait_until(lock, until, [&] { return answer_.has_value(); });
  }

  // The answer, once it has come.
  std::optional<Result> Answer() const {
    std::lock_guard lock(mutex_);
    return answer_;
  }
  // The caller has moved on: a late answer posts nothing.
  void Forget() {
    std::lock_guard lock(mutex_);
    window_ = nullptr;
  }

 private:
  void Deliver(Result result) {
    HWND window = nullptr;
    {
      std::lock_guard lock(mutex_);
      answer_ = std::move(result);
      answered_.notify_all();
      if (late_) window = window_;
    }
    // A full queue refuses the post: it drains, so try again a while.
    for (int i = 0; window != nullptr && i < 250; ++i) {
      if (::PostMessageW(window, message_, wParam_, lParam_) || !::IsWindow(window)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  mutable std::mutex mutex_;
  std::condition_variable answered_;
  std::optional<Result> answer_;
  bool late_ = false;
  HWND window_ = nullptr;
  UINT message_ = 0;
  WPARAM wParam_ = 0;
  LPARAM lParam_ = 0;
};
