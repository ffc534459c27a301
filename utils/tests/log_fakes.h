// Test doubles for the logger: a clock that the test steps, and a console
// that remembers what was printed.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "utils/console_output.h"
#include "utils/log_clock.h"
#include "utils/log_manager.h"

namespace logq::testing {

// Local time is UTC here, so expected texts do not depend on the machine's zone.
// In manual mode every sleep of the writer blocks until the test calls
// advancePoll(); in free mode sleeps return after a millisecond.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(std::int64_t millis) : millis_(millis) {}

  std::int64_t nowMillis() override {
    std::lock_guard lock(mutex_);
    return millis_;
  }
  void setMillis(std::int64_t millis) {
    std::lock_guard lock(mutex_);
    millis_ = millis;
  }

  bool toLocal(std::int64_t seconds, LocalTime& out) override;

  void sleepMillis(int millis) override;
  // Wake-ups are ignored (the test steps the writer itself), unless the
  // writer's polls are to wait for them: then a poll lasts until a wake-up,
  // or ten seconds, and the clock notes which ended it.
  void pollSleep(int millis, WakeSignal& wake) override {
    if (!pollsWaitForWake_) return sleepMillis(millis);
    const bool woken = wake.waitFor(10000);
    std::lock_guard lock(mutex_);
    lastPollWoken_ = woken;
  }
  void setPollsWaitForWake() { pollsWaitForWake_ = true; }  // before the writer starts
  bool lastPollWoken() const {
    std::lock_guard lock(mutex_);
    return lastPollWoken_;
  }

  void setManual(bool manual) {
    std::lock_guard lock(mutex_);
    manual_ = manual;
    changed_.notify_all();
  }
  // Lets one sleeping writer go on and waits until it sleeps again.
  void advancePoll();
  int sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
  }
  int lastSleep() const {
    std::lock_guard lock(mutex_);
    return lastSleep_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::int64_t millis_;
  bool manual_ = false;
  int permits_ = 0;
  int sleeps_ = 0;    // sleeps entered
  int sleeping_ = 0;  // threads asleep now
  int lastSleep_ = 0;
  bool pollsWaitForWake_ = false;
  bool lastPollWoken_ = false;
};

class FakeConsole final : public ConsoleOutput {
 public:
  explicit FakeConsole(bool isConsole = true) : isConsole_(isConsole) {}
  void writePlain(std::string_view text) override {
    std::lock_guard lock(mutex_);
    plain_ += text;
    all_ += text;
  }
  bool writeColoured(std::string_view text, std::uint16_t attribute) override {
    std::lock_guard lock(mutex_);
    if (!isConsole_) return false;
    coloured_ += "<" + std::to_string(attribute) + ">";
    coloured_ += text;
    all_ += text;
    return true;
  }
  std::string plain() const {
    std::lock_guard lock(mutex_);
    return plain_;
  }
  std::string coloured() const {
    std::lock_guard lock(mutex_);
    return coloured_;
  }
  std::string all() const {
    std::lock_guard lock(mutex_);
    return all_;
  }

 private:
  mutable std::mutex mutex_;
  bool isConsole_;
  std::string plain_;
  std::string coloured_;
  std::string all_;
};

// 2024-03-02 09:05:03.007 UTC
inline constexpr std::int64_t kMarch2At0905 = 1709370303007;

inline LogEnvironment fakeEnvironment(FakeClock& clock, FakeConsole& console) {
  return LogEnvironment{&clock, &console, 4242, "C:\\dir\\app.exe"};
}

}  // namespace logq::testing
