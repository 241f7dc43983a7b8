// A call that may block for a long time, made on a thread of its own so the
// user-interface thread never waits on it: a mapped drive whose server is
// gone makes a volume query take the network's time-outs, a failing disk
// takes tens of seconds to answer a command, or neither ever returns.
//
// The caller may wait a moment for the answer, so calls that answer at once
// show exactly what a direct call would, in the same order; an answer that
// comes later is announced by a message posted to a window, and Answer()
// then holds it. After Start, the caller reads Answer(): an answer that came
// before Start returned may post nothing. A call that never returns leaves
// only its own thread behind, which holds nothing of the caller's but what
// the call itself owns.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
    // A Win32 thread whose handle is closed at once, not a detached
    // std::thread: under Wine a pthread detached before it has started can
    // begin with its argument gone (seen: a null read in the thread's start).
    auto job = std::make_unique<Job>(Job{state, std::move(call)});
    HANDLE thread = ::CreateThread(nullptr, 0, &Run, job.get(), 0, nullptr);
    if (thread == nullptr) {
      // No thread: make the call here rather than lose it.
      state->Deliver(job->call());
      return state;
    }
    job.release();
    ::CloseHandle(thread);
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
  struct Job {
    std::shared_ptr<OffThreadCall> state;
    std::function<Result()> call;
  };
  static DWORD WINAPI Run(void* param) {
    const std::unique_ptr<Job> job(static_cast<Job*>(param));
    job->state->Deliver(job->call());
    return 0;
  }

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
