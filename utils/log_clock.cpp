#include "utils/log_clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace logq {
namespace {

class SystemClock final : public Clock {
 public:
  std::int64_t nowMillis() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  }

  bool toLocal(std::int64_t seconds, LocalTime& out) override {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) return false;
#else
    if (localtime_r(&t, &tm) == nullptr) return false;
#endif
    out = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_yday};
    return true;
  }

  void sleepMillis(int millis) override { std::this_thread::sleep_for(std::chrono::milliseconds(millis)); }

  void pollSleep(int millis, WakeSignal& wake) override { (void)wake.waitFor(millis); }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace logq
