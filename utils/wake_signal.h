// A wake-up that one thread waits for, with a time limit, and any thread gives.
//
// A mutex and a condition variable rather than a C++20 semaphore: MinGW's
// library has no futex to wait on and times a semaphore's wait by yielding
// and sleeping in ever longer steps (sub-millisecond sleeps become yields),
// which kept the writer thread of every idle Windows process spinning; a
// condition variable waits in the kernel on both platforms.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace logq {

class WakeSignal {
 public:
  void raise() {
    {
      std::lock_guard lock(mutex_);
      raised_ = true;
    }
    condition_.notify_one();
  }

  // True when raised before `millis` ran out; the wake-up is taken either way.
  bool waitFor(int millis) {
    std::unique_lock lock(mutex_);
    const bool raised = condition_.wait_for(lock, std::chrono::milliseconds(millis), [this] { return raised_; });
    raised_ = false;
    return raised;
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool raised_ = false;
};

}  // namespace logq
